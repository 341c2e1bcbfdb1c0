#ifndef SIZEWIDGET_H
#define SIZEWIDGET_H

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QRadioButton;
class QSpinBox;

// The New Canvas dialog: a preset or a typed width and height, and an orientation. The
// caller reads the three values after an accepted exec().
class SizeWidget : public QDialog
{
    Q_OBJECT

public:
    explicit SizeWidget(QWidget *parent = nullptr);

    // Bounds that admit every preset, while one full-size 32-bit layer stays under 150 MB.
    static constexpr int maxWidth = 6000;
    static constexpr int maxHeight = 6000;

public slots:
    void setSpin(int index);
    void setWidth(int width);
    void setHeight(int height);
    void setPortrait();
    void setLandscape();

private:
    void createSizeGroup();
    void createOrientationGroup();

public:
    int canvasWidth = 800; // pixels
    int canvasHeight = 600; // pixels
    int orientation = 1; // 1 landscape, -1 portrait
    QDialogButtonBox *buttonBox = nullptr;
    QGroupBox *sizeGroup = nullptr;
    QGroupBox *orientationGroup = nullptr;
    QComboBox *presetBox = nullptr;
    QSpinBox *widthSpin = nullptr;
    QSpinBox *heightSpin = nullptr;
    QRadioButton *portraitButton = nullptr;
    QRadioButton *landscapeButton = nullptr;
};

#endif // SIZEWIDGET_H
