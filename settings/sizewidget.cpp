#include "sizewidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSize>
#include <QSpinBox>
#include <QVBoxLayout>

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

} // namespace

SizeWidget::SizeWidget(QWidget *parent)
    : QDialog(parent)
{
    setModal(true);
    createSizeGroup();
    createOrientationGroup();

    buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                     Qt::Horizontal, this);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout;
    layout->addWidget(sizeGroup);
    layout->addWidget(orientationGroup);
    layout->addWidget(buttonBox);
    setLayout(layout);
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

    widthSpin = new QSpinBox(sizeGroup);
    widthSpin->setMinimum(400);
    heightSpin = new QSpinBox(sizeGroup);
    heightSpin->setMinimum(300);
    widthSpin->setMaximum(maxWidth);
    heightSpin->setMaximum(maxHeight);
    widthSpin->setValue(canvasWidth);
    heightSpin->setValue(canvasHeight);

    auto *spins = new QHBoxLayout;
    spins->addWidget(widthSpin);
    spins->addWidget(heightSpin);
    auto *layout = new QVBoxLayout;
    layout->addWidget(presetBox);
    layout->addLayout(spins);
    sizeGroup->setLayout(layout);

    connect(presetBox, &QComboBox::currentIndexChanged, this, &SizeWidget::setSpin);
    connect(widthSpin, &QSpinBox::valueChanged, this, &SizeWidget::setWidth);
    connect(heightSpin, &QSpinBox::valueChanged, this, &SizeWidget::setHeight);
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

void SizeWidget::setSpin(int index)
{
    if (index < 0 || index >= presetBox->count())
        return;
    const QSize size = presetBox->itemData(index, Qt::UserRole).toSize();
    widthSpin->setValue(size.width());
    heightSpin->setValue(size.height());
}

void SizeWidget::setWidth(int width)
{
    canvasWidth = width;
}

void SizeWidget::setHeight(int height)
{
    canvasHeight = height;
}

void SizeWidget::setPortrait()
{
    orientation = -1;
}

void SizeWidget::setLandscape()
{
    orientation = 1;
}
