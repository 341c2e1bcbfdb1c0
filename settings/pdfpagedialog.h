#ifndef PDFPAGEDIALOG_H
#define PDFPAGEDIALOG_H

#include <QDialog>
#include <QSize>
#include <QSizeF>

class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QRadioButton;

// The page of an exported PDF: the canvas's own, which may take a bleed for a print lab, or a
// paper in portrait or landscape with the collage fitted onto it. The caller reads paper() and
// bleedMm() after an accepted exec().
class PdfPageDialog : public QDialog
{
    Q_OBJECT

public:
    // `canvas` pixels at `dpi`: the page offered first, and the orientation a paper starts in.
    PdfPageDialog(const QSize &canvas, int dpi, QWidget *parent = nullptr);

    // The paper chosen in its orientation, in millimetres; empty for the canvas's own page.
    QSizeF paper() const;
    // The bleed on every side; zero on a paper page.
    double bleedMm() const;

private:
    void pageChosen();

public:
    QComboBox *paperBox = nullptr; // the canvas's page, then paperPresets() with the key as data
    QRadioButton *portraitButton = nullptr;
    QRadioButton *landscapeButton = nullptr;
    QDoubleSpinBox *bleedSpin = nullptr; // millimetres, 0..maxBleedMm
    QDialogButtonBox *buttonBox = nullptr;
};

#endif // PDFPAGEDIALOG_H
