#ifndef SIZEWIDGET_H
#define SIZEWIDGET_H

#include "collagelimits.h"
#include "papersize.h"

#include <QDialog>
#include <QSize>
#include <QSizeF>

#include <optional>

class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QGroupBox;
class QRadioButton;
class QSpinBox;

// The New Canvas dialog: a preset or a typed width and height, and an orientation; or a
// paper, its size in a unit and a resolution, the pixels following from size x DPI. The
// numbers shown are the size asked for; the caller reads chosenSize(), chosenDpi() and
// chosenUnit() after an accepted exec().
class SizeWidget : public QDialog
{
    Q_OBJECT

public:
    explicit SizeWidget(QWidget *parent = nullptr);

    // Bounds that admit A2 at 300 dpi, as vellomir-collage does; the saving render keeps its
    // photos within the decoding memory budget at that size too.
    static constexpr int maxWidth = limits::maxWindowCanvasSide;
    static constexpr int maxHeight = limits::maxWindowCanvasSide;

    // Shows a canvas size: its preset (in either orientation) or Custom, and its orientation.
    // A size out of bounds is shown clamped, as it would be chosen.
    void showSize(const QSize &size);

    // Shows a resolution and a unit; call before showSize() so that a paper is recognised.
    void showResolution(int dpi, LengthUnit unit);

    // Width by height as shown.
    QSize chosenSize() const;
    // Pixels per inch on paper, minDpi to maxDpi.
    int chosenDpi() const;
    // The unit the size is shown in; the window shows frame sizes in it (mm for any length).
    LengthUnit chosenUnit() const;
    // The paper, in the orientation shown, whose pixels at the chosen DPI are the size shown.
    std::optional<QSizeF> chosenPaper() const;

public slots:
    void setSpin(int index);
    void setPortrait();
    void setLandscape();

private:
    void createSizeGroup();
    void createPaperGroup();
    void createOrientationGroup();
    void display(QSize size, bool portrait);
    void numbersEdited();
    void follow();
    void paperChosen(int index);
    void unitChosen(int index);
    void lengthsEdited();
    void dpiEdited();
    void showLengths();

    bool keepLengths = false; // the lengths were typed: the pixels follow them, not the reverse

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
    QGroupBox *paperGroup = nullptr;
    QComboBox *paperBox = nullptr; // "No paper", then paperPresets() with the key as item data
    QComboBox *unitBox = nullptr; // px, mm, cm, in; a LengthUnit as item data
    QDoubleSpinBox *paperWidthSpin = nullptr; // the width in the unit; off for pixels
    QDoubleSpinBox *paperHeightSpin = nullptr;
    QSpinBox *dpiSpin = nullptr;
};

#endif // SIZEWIDGET_H
