#ifndef SIZEWIDGET_H
#define SIZEWIDGET_H

#include <QDialog>
#include <QSize>

class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QRadioButton;
class QSpinBox;

// The New Canvas dialog: a preset or a typed width and height, and an orientation. The
// numbers shown are the size asked for; the caller reads chosenSize() after an accepted
// exec().
class SizeWidget : public QDialog
{
    Q_OBJECT

public:
    explicit SizeWidget(QWidget *parent = nullptr);

    // Bounds that admit every preset, while one full-size 32-bit layer stays under 150 MB.
    static constexpr int maxWidth = 6000;
    static constexpr int maxHeight = 6000;

    // Shows a canvas size: its preset (in either orientation) or Custom, and its orientation.
    // A size out of bounds is shown clamped, as it would be chosen.
    void showSize(const QSize &size);

    // Width by height as shown.
    QSize chosenSize() const;

public slots:
    void setSpin(int index);
    void setPortrait();
    void setLandscape();

private:
    void createSizeGroup();
    void createOrientationGroup();
    void display(QSize size, bool portrait);
    void numbersEdited();
    void follow();

public:
    // The shown size as the window used to read it: (canvasWidth, canvasHeight), transposed
    // when orientation is -1, equals chosenSize().
    int canvasWidth = 800; // pixels
    int canvasHeight = 600; // pixels
    int orientation = 1; // 1 landscape, -1 portrait
    QDialogButtonBox *buttonBox = nullptr;
    QGroupBox *sizeGroup = nullptr;
    QGroupBox *orientationGroup = nullptr;
    QComboBox *presetBox = nullptr; // the presets, then Custom
    QSpinBox *widthSpin = nullptr;
    QSpinBox *heightSpin = nullptr;
    QRadioButton *portraitButton = nullptr;
    QRadioButton *landscapeButton = nullptr;
};

#endif // SIZEWIDGET_H
