#include "pdfpagedialog.h"

#include "papersize.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>

#include <cmath>

PdfPageDialog::PdfPageDialog(const QSize &canvas, int dpi, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Export PDF"));
    const QSizeF trim = trimMillimetres(canvas, dpi);
    paperBox = new QComboBox(this);
    paperBox->addItem(tr("The canvas: %1 x %2 mm at %3 dpi")
                          .arg(std::lround(trim.width()))
                          .arg(std::lround(trim.height()))
                          .arg(dpi));
    for (const PaperPreset &preset : paperPresets())
        paperBox->addItem(QCoreApplication::translate("SizeWidget", preset.label),
                          QString::fromLatin1(preset.key));

    portraitButton = new QRadioButton(tr("Portrait"), this);
    landscapeButton = new QRadioButton(tr("Landscape"), this);
    auto *orientation = new QButtonGroup(this);
    orientation->addButton(portraitButton);
    orientation->addButton(landscapeButton);
    (canvas.width() > canvas.height() ? landscapeButton : portraitButton)->setChecked(true);
    auto *orientationRow = new QHBoxLayout;
    orientationRow->addWidget(portraitButton);
    orientationRow->addWidget(landscapeButton);
    orientationRow->addStretch();

    bleedSpin = new QDoubleSpinBox(this);
    bleedSpin->setRange(0, maxBleedMm);
    bleedSpin->setDecimals(1);
    bleedSpin->setSingleStep(0.5);
    bleedSpin->setSuffix(QLatin1Char(' ') + unitName(LengthUnit::Millimetres));
    bleedSpin->setToolTip(tr("The background and the outer photos reach this far past the page's "
                             "edge, for a print lab to trim."));

    buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(tr("Page:"), paperBox);
    form->addRow(tr("Orientation:"), orientationRow);
    form->addRow(tr("Bleed:"), bleedSpin);
    form->addRow(buttonBox);
    connect(paperBox, &QComboBox::currentIndexChanged, this, &PdfPageDialog::pageChosen);
    pageChosen();
}

// The canvas's page has the canvas's orientation; a paper's page has no bleed, since the
// collage need not reach its edges.
void PdfPageDialog::pageChosen()
{
    const bool canvasPage = paperBox->currentIndex() == 0;
    portraitButton->setEnabled(!canvasPage);
    landscapeButton->setEnabled(!canvasPage);
    bleedSpin->setEnabled(canvasPage);
}

QSizeF PdfPageDialog::paper() const
{
    const std::optional<PaperPreset> preset = paperBox->currentIndex() > 0
                                                  ? paperPreset(paperBox->currentData().toString())
                                                  : std::nullopt;
    if (!preset)
        return QSizeF();
    return landscapeButton->isChecked() ? preset->millimetres.transposed() : preset->millimetres;
}

double PdfPageDialog::bleedMm() const
{
    return paperBox->currentIndex() == 0 ? bleedSpin->value() : 0.0;
}
