#include "sizewidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSize>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace {

struct Preset
{
    const char *label; // source text, padded so the columns line up
    int width;
    int height;
};

const Preset presets[] = {
    {QT_TRANSLATE_NOOP("SizeWidget", " 800 x  600 px             "), 800, 600},
    {QT_TRANSLATE_NOOP("SizeWidget", "1000 x  750 px             "), 1000, 750},
    {QT_TRANSLATE_NOOP("SizeWidget", "1500 x 1051 px   (9 x 13)cm"), 1500, 1051},
    {QT_TRANSLATE_NOOP("SizeWidget", "1795 x 1205 px  (10 x 15)cm"), 1795, 1205},
    {QT_TRANSLATE_NOOP("SizeWidget", "1800 x 1350 px             "), 1800, 1350},
    {QT_TRANSLATE_NOOP("SizeWidget", "2102 x 1500 px  (13 x 18)cm"), 2102, 1500},
    {QT_TRANSLATE_NOOP("SizeWidget", "2398 x 1795 px             "), 2398, 1795},
    {QT_TRANSLATE_NOOP("SizeWidget", "3000 x 2398 px  (20 x 25)cm"), 3000, 2398},
    {QT_TRANSLATE_NOOP("SizeWidget", "3602 x 2398 px  (20 x 30)cm"), 3602, 2398},
    {QT_TRANSLATE_NOOP("SizeWidget", "3602 x 3000 px             "), 3602, 3000},
    {QT_TRANSLATE_NOOP("SizeWidget", "4205 x 3295 px  (28 x 36)cm"), 4205, 3295},
    {QT_TRANSLATE_NOOP("SizeWidget", "4500 x 3000 px             "), 4500, 3000},
    {QT_TRANSLATE_NOOP("SizeWidget", "4500 x 3602 px             "), 4500, 3602},
    {QT_TRANSLATE_NOOP("SizeWidget", "5102 x 3295 px             "), 5102, 3295},
    {QT_TRANSLATE_NOOP("SizeWidget", "5492 x 3602 px             "), 5492, 3602},
};

// The shorter side may be as small as 300 pixels, the longer one no smaller than 400.
constexpr int minShort = 300;
constexpr int minLong = 400;

QSize allowedSize(const QSize &size)
{
    QSize allowed(qBound(minShort, size.width(), SizeWidget::maxWidth),
                  qBound(minShort, size.height(), SizeWidget::maxHeight));
    if (qMax(allowed.width(), allowed.height()) < minLong) {
        if (size.width() < size.height() && size.height() > 0)
            allowed.setHeight(minLong);
        else
            allowed.setWidth(minLong);
    }
    return allowed;
}

// A plain spin box refuses the keystroke that takes a number past its maximum, so a typed
// 7000 silently becomes 700; this one lets it stand and clamps it when the edit ends.
class ClampingSpinBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &input, int &pos) const override
    {
        const QValidator::State state = QSpinBox::validate(input, pos);
        if (state == QValidator::Invalid && typedNumber(input))
            return QValidator::Intermediate;
        return state;
    }

    void fixup(QString &input) const override
    {
        if (const std::optional<qlonglong> number = typedNumber(input))
            input = textFromValue(int(qBound(qlonglong(minimum()), *number, qlonglong(maximum()))));
        else
            QSpinBox::fixup(input);
    }

private:
    std::optional<qlonglong> typedNumber(const QString &input) const
    {
        QString digits = input.trimmed();
        digits.remove(locale().groupSeparator());
        bool ok = false;
        const qlonglong number = locale().toLongLong(digits, &ok);
        return ok ? std::optional<qlonglong>(number) : std::nullopt;
    }
};

// Lengths are shown in the unit chosen, in millimetres when that is pixels.
LengthUnit shownUnit(LengthUnit unit)
{
    return unit == LengthUnit::Pixels ? LengthUnit::Millimetres : unit;
}

QDoubleSpinBox *lengthSpin(QWidget *parent)
{
    auto *spin = new QDoubleSpinBox(parent);
    // A typed length counts when the edit ends, as the pixels do.
    spin->setKeyboardTracking(false);
    return spin;
}

} // namespace

SizeWidget::SizeWidget(QWidget *parent)
    : QDialog(parent)
{
    setModal(true);
    createSizeGroup();
    createPaperGroup();
    createOrientationGroup();

    buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                     Qt::Horizontal, this);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout;
    layout->addWidget(sizeGroup);
    layout->addWidget(paperGroup);
    layout->addWidget(orientationGroup);
    layout->addWidget(buttonBox);
    setLayout(layout);

    display(QSize(canvasWidth, canvasHeight), false);
}

void SizeWidget::createSizeGroup()
{
    sizeGroup = new QGroupBox(tr("Size"), this);

    presetBox = new QComboBox(sizeGroup);
    // The labels are padded with blanks into columns, which line up only in a fixed-pitch font.
    presetBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    for (const Preset &preset : presets)
        presetBox->addItem(tr(preset.label),
                           QVariant::fromValue(QSize(preset.width, preset.height)));
    presetBox->addItem(tr("Custom"));

    widthSpin = new ClampingSpinBox(sizeGroup);
    heightSpin = new ClampingSpinBox(sizeGroup);
    widthSpin->setRange(minShort, maxWidth);
    heightSpin->setRange(minShort, maxHeight);
    // A typed number counts when the edit ends; on the way, 7000 would pass through 700 and
    // flip the orientation and the preset box back and forth.
    widthSpin->setKeyboardTracking(false);
    heightSpin->setKeyboardTracking(false);

    auto *spins = new QHBoxLayout;
    spins->addWidget(widthSpin);
    spins->addWidget(heightSpin);
    auto *layout = new QVBoxLayout;
    layout->addWidget(presetBox);
    layout->addLayout(spins);
    sizeGroup->setLayout(layout);

    connect(presetBox, &QComboBox::currentIndexChanged, this, &SizeWidget::setSpin);
    connect(widthSpin, &QSpinBox::valueChanged, this, &SizeWidget::numbersEdited);
    connect(heightSpin, &QSpinBox::valueChanged, this, &SizeWidget::numbersEdited);
}

void SizeWidget::createPaperGroup()
{
    paperGroup = new QGroupBox(tr("Paper"), this);

    paperBox = new QComboBox(paperGroup);
    paperBox->addItem(tr("No paper"));
    for (const PaperPreset &preset : paperPresets())
        paperBox->addItem(tr(preset.label), QString::fromLatin1(preset.key));

    unitBox = new QComboBox(paperGroup);
    for (const LengthUnit unit :
         {LengthUnit::Pixels, LengthUnit::Millimetres, LengthUnit::Centimetres, LengthUnit::Inches})
        unitBox->addItem(unitName(unit), int(unit));

    paperWidthSpin = lengthSpin(paperGroup);
    paperHeightSpin = lengthSpin(paperGroup);
    dpiSpin = new ClampingSpinBox(paperGroup);
    dpiSpin->setRange(minDpi, maxDpi);
    dpiSpin->setValue(defaultDpi);
    dpiSpin->setSuffix(tr(" dpi"));
    dpiSpin->setKeyboardTracking(false);

    auto *lengths = new QHBoxLayout;
    lengths->addWidget(paperWidthSpin);
    lengths->addWidget(new QLabel(QStringLiteral("x"), paperGroup));
    lengths->addWidget(paperHeightSpin);
    auto *form = new QFormLayout;
    form->addRow(tr("Paper:"), paperBox);
    form->addRow(tr("Unit:"), unitBox);
    form->addRow(tr("Size:"), lengths);
    form->addRow(tr("Resolution:"), dpiSpin);
    paperGroup->setLayout(form);

    connect(paperBox, &QComboBox::currentIndexChanged, this, &SizeWidget::paperChosen);
    connect(unitBox, &QComboBox::currentIndexChanged, this, &SizeWidget::unitChosen);
    connect(paperWidthSpin, &QDoubleSpinBox::valueChanged, this, &SizeWidget::lengthsEdited);
    connect(paperHeightSpin, &QDoubleSpinBox::valueChanged, this, &SizeWidget::lengthsEdited);
    connect(dpiSpin, &QSpinBox::valueChanged, this, &SizeWidget::dpiEdited);
}

void SizeWidget::createOrientationGroup()
{
    orientationGroup = new QGroupBox(tr("Orientation"), this);

    portraitButton = new QRadioButton(orientationGroup);
    landscapeButton = new QRadioButton(orientationGroup);
    landscapeButton->setChecked(true);

    auto *form = new QFormLayout;
    form->addRow(portraitButton, new QLabel(tr("Portrait"), orientationGroup));
    form->addRow(landscapeButton, new QLabel(tr("Landscape"), orientationGroup));
    orientationGroup->setLayout(form);

    connect(portraitButton, &QRadioButton::clicked, this, &SizeWidget::setPortrait);
    connect(landscapeButton, &QRadioButton::clicked, this, &SizeWidget::setLandscape);
}

void SizeWidget::showSize(const QSize &size)
{
    const QSize allowed = allowedSize(size);
    display(allowed, allowed.width() < allowed.height());
}

QSize SizeWidget::chosenSize() const
{
    return QSize(widthSpin->value(), heightSpin->value());
}

int SizeWidget::chosenDpi() const
{
    return dpiSpin->value();
}

LengthUnit SizeWidget::chosenUnit() const
{
    return LengthUnit(unitBox->currentData().toInt());
}

std::optional<QSizeF> SizeWidget::chosenPaper() const
{
    return matchingPaper(chosenSize(), chosenDpi());
}

void SizeWidget::showResolution(int dpi, LengthUnit unit)
{
    {
        const QSignalBlocker blockDpi(dpiSpin);
        const QSignalBlocker blockUnit(unitBox);
        dpiSpin->setValue(dpi);
        unitBox->setCurrentIndex(std::max(0, unitBox->findData(int(unit))));
    }
    follow();
}

void SizeWidget::paperChosen(int index)
{
    // "No paper" keeps the numbers for editing.
    const std::optional<PaperPreset> preset
        = index > 0 ? paperPreset(paperBox->itemData(index).toString()) : std::nullopt;
    if (!preset)
        return;
    // A paper is measured in its own unit unless another length unit was chosen.
    if (chosenUnit() == LengthUnit::Pixels) {
        const QSignalBlocker block(unitBox);
        unitBox->setCurrentIndex(unitBox->findData(int(preset->unit)));
    }
    const bool portrait = orientation == -1;
    const QSize pixels = paperPixels(preset->millimetres, chosenDpi());
    display(portrait ? pixels : pixels.transposed(), portrait);
}

void SizeWidget::unitChosen(int)
{
    showLengths();
}

void SizeWidget::lengthsEdited()
{
    const double perUnit = unitMillimetres(shownUnit(chosenUnit()));
    const QSize pixels(millimetrePixels(paperWidthSpin->value() * perUnit, chosenDpi()),
                       millimetrePixels(paperHeightSpin->value() * perUnit, chosenDpi()));
    const bool portrait
        = pixels.width() == pixels.height() ? orientation == -1 : pixels.width() < pixels.height();
    keepLengths = true;
    display(pixels, portrait);
    keepLengths = false;
    // Past the bounds the pixels are clamped, and the lengths then show what they give.
    if (chosenSize() != pixels)
        showLengths();
}

void SizeWidget::dpiEdited()
{
    // A size on paper keeps its length and the pixels follow; pixels keep their number.
    if (chosenUnit() == LengthUnit::Pixels)
        follow();
    else
        lengthsEdited();
}

void SizeWidget::showLengths()
{
    const LengthUnit unit = shownUnit(chosenUnit());
    const double perUnit = unitMillimetres(unit);
    const int decimals = unit == LengthUnit::Millimetres ? 1 : 2;
    const QSizeF lengths = pixelMillimetres(chosenSize(), chosenDpi()) / perUnit;
    for (QDoubleSpinBox *spin : {paperWidthSpin, paperHeightSpin}) {
        const QSignalBlocker block(spin);
        spin->setDecimals(decimals);
        spin->setRange(1.0 / perUnit, 2000.0 / perUnit);
        spin->setSingleStep(unit == LengthUnit::Millimetres ? 1.0 : 0.1);
        spin->setSuffix(QLatin1Char(' ') + unitName(unit));
        // Lengths only measure pixels chosen as such; typed, they give the pixels.
        spin->setEnabled(chosenUnit() != LengthUnit::Pixels);
    }
    const QSignalBlocker blockWidth(paperWidthSpin);
    const QSignalBlocker blockHeight(paperHeightSpin);
    paperWidthSpin->setValue(lengths.width());
    paperHeightSpin->setValue(lengths.height());
}

void SizeWidget::setSpin(int index)
{
    // The last item, Custom, keeps the numbers for editing.
    if (index < 0 || index >= presetBox->count() - 1)
        return;
    const QSize size = presetBox->itemData(index, Qt::UserRole).toSize();
    const bool portrait = orientation == -1;
    display(portrait ? size.transposed() : size, portrait);
}

void SizeWidget::setPortrait()
{
    if (orientation != -1)
        display(chosenSize().transposed(), true);
}

void SizeWidget::setLandscape()
{
    if (orientation != 1)
        display(chosenSize().transposed(), false);
}

void SizeWidget::display(QSize size, bool portrait)
{
    size = allowedSize(size);
    {
        const QSignalBlocker blockWidth(widthSpin);
        const QSignalBlocker blockHeight(heightSpin);
        widthSpin->setMinimum(minShort);
        heightSpin->setMinimum(minShort);
        widthSpin->setValue(size.width());
        heightSpin->setValue(size.height());
    }
    (portrait ? portraitButton : landscapeButton)->setChecked(true);
    follow();
}

void SizeWidget::numbersEdited()
{
    const QSize shown = chosenSize();
    // A square keeps the orientation it has.
    if (shown.width() != shown.height())
        (shown.width() < shown.height() ? portraitButton : landscapeButton)->setChecked(true);
    follow();
}

// The preset box, the orientation and the old public numbers follow what is shown.
void SizeWidget::follow()
{
    const QSize shown = chosenSize();
    // Each side's minimum depends on the other side, so that every allowed size can be typed
    // and the two numbers can always swap. Set only on a change: setting it stops a held arrow.
    const int widthMinimum = shown.height() >= minLong ? minShort : minLong;
    const int heightMinimum = shown.width() >= minLong ? minShort : minLong;
    if (widthSpin->minimum() != widthMinimum)
        widthSpin->setMinimum(widthMinimum);
    if (heightSpin->minimum() != heightMinimum)
        heightSpin->setMinimum(heightMinimum);

    orientation = portraitButton->isChecked() ? -1 : 1;
    const QSize unturned = orientation == -1 ? shown.transposed() : shown;
    canvasWidth = unturned.width();
    canvasHeight = unturned.height();

    int index = presetBox->count() - 1;
    for (int i = 0; i < presetBox->count() - 1; ++i) {
        const QSize preset = presetBox->itemData(i, Qt::UserRole).toSize();
        if (preset == shown || preset.transposed() == shown) {
            index = i;
            break;
        }
    }
    const QSignalBlocker block(presetBox);
    presetBox->setCurrentIndex(index);

    const std::optional<PaperPreset> paper = matchingPreset(shown, chosenDpi());
    const QSignalBlocker blockPaper(paperBox);
    paperBox->setCurrentIndex(
        paper ? std::max(0, paperBox->findData(QString::fromLatin1(paper->key))) : 0);
    // Typed lengths stay as typed while their pixels are what they ask for.
    if (!keepLengths)
        showLengths();
}
