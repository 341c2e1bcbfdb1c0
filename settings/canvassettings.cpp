#include "canvassettings.h"

#include "collagedocument.h"
#include "papersize.h"
#include "photoframe.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// Flat buttons draw no frame of their own, so the page draws the marks: a band of the highlight
// colour around the icon of the chosen sample, a dotted ring for the keyboard focus. The
// transparent border and padding keep the icon where it is, at its own size.
QString markStyle(int band)
{
    return QStringLiteral("QPushButton {border: 2px solid transparent; padding: %1px; "
                          "background: transparent; outline: none;}"
                          "QPushButton:checked {background: palette(highlight);}"
                          "QPushButton:pressed {background: palette(midlight);}"
                          "QPushButton:focus {border: 2px dotted palette(window-text);}")
        .arg(band);
}

// The frame sample at `ratio` pixels per logical pixel, shaped at that density so that its rim
// stays as sharp as the screen allows.
QImage frameSample(FrameType type, int a, int b, qreal ratio)
{
    QImage sample(qRound(120 * ratio), qRound(80 * ratio), QImage::Format_ARGB32);
    sample.fill(QColor(200, 180, 200));
    QImage framed = PhotoFrame().apply(sample, type, qRound(a * ratio), qRound(b * ratio));
    framed.setDevicePixelRatio(ratio);
    return framed;
}

// Ratios 1 and 2 always, so the window may move between such screens; the page's own as well.
QList<QImage> frameSamples(FrameType type, int a, int b, qreal pageRatio)
{
    QList<QImage> samples {frameSample(type, a, b, 1), frameSample(type, a, b, 2)};
    if (pageRatio != 1 && pageRatio != 2)
        samples.append(frameSample(type, a, b, pageRatio));
    return samples;
}

QPushButton *sampleButton(const QList<QImage> &samples, const QString &tip, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setFlat(true);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setToolTip(tip);
    button->setStyleSheet(markStyle(2));
    // A focused button shows its icon's Active mode, which the style would tint.
    QIcon icon;
    for (const QImage &sample : samples) {
        const QPixmap pixmap = QPixmap::fromImage(sample);
        icon.addPixmap(pixmap);
        icon.addPixmap(pixmap, QIcon::Active);
    }
    button->setIcon(icon);
    button->setIconSize(QSize(120, 80));
    button->setFixedSize(128, 88);
    return button;
}

QSlider *paramSlider(int maximum, int tick, int value, QWidget *parent)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setFixedWidth(120);
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->setTickInterval(tick);
    slider->setTickPosition(QSlider::TicksAbove);
    slider->setRange(0, maximum);
    slider->setValue(value);
    return slider;
}

void showSwatch(QLabel *label, const QColor &colour)
{
    label->setPalette(QPalette(colour));
    label->setAutoFillBackground(true);
}

} // namespace

CanvasSettings::CanvasSettings(QWidget *parent)
    : QWidget(parent)
{
    QWidget *background = createBackgroundGroup();
    mainLayout = new QVBoxLayout;
    mainLayout->addWidget(background);
    mainLayout->addWidget(createFrameGroup());
    keepFacesBox = new QCheckBox(tr("Keep faces in view"), this);
    keepFacesBox->setToolTip(tr("Crop each photo around the faces or the subject it shows"));
    keepFacesBox->setChecked(true);
    mainLayout->addWidget(keepFacesBox);
    setLayout(mainLayout);
    connect(keepFacesBox, &QCheckBox::toggled, this, &CanvasSettings::keepFacesChanged);

    connect(colorButton, &QPushButton::clicked, this, &CanvasSettings::setColor);
}

QWidget *CanvasSettings::createBackgroundGroup()
{
    auto *group = new QGroupBox(tr("Background"), this);
    group->setFixedHeight(80);

    colorButton = new QPushButton(group);
    colorButton->setFlat(true);
    colorButton->setFocusPolicy(Qt::StrongFocus);
    colorButton->setToolTip(tr("Background colour"));
    colorButton->setStyleSheet(markStyle(0));
    // Named with its @2x drawing too: QIcon looks for that itself only if a screen of ratio 2
    // is already there when the icon is made.
    QIcon picker(QStringLiteral(":/resources/color_picker.png"));
    picker.addFile(QStringLiteral(":/resources/color_picker@2x.png"));
    colorButton->setIcon(picker);
    colorButton->setIconSize(QSize(32, 32));
    colorButton->setFixedSize(36, 36);

    colorLabel = new QLabel(group);
    colorLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    showSwatch(colorLabel, currentColour);

    auto *row = new QHBoxLayout;
    row->addWidget(colorButton);
    row->addWidget(colorLabel);
    auto *layout = new QVBoxLayout;
    layout->addLayout(row);
    group->setLayout(layout);
    return group;
}

QWidget *CanvasSettings::createFrameGroup()
{
    auto *group = new QGroupBox(tr("Frame"), this);
    group->setMinimumHeight(400);

    const qreal ratio = devicePixelRatioF();
    frameButton1
        = sampleButton(frameSamples(FrameType::Rect, 0, 0, ratio), tr("Rectangular frame"), group);
    frameButton2
        = sampleButton(frameSamples(FrameType::Rounded, 0, 15, ratio), tr("Rounded frame"), group);
    frameButton3
        = sampleButton(frameSamples(FrameType::Scallop, 0, 8, ratio), tr("Scalloped frame"), group);
    frameButtons = new QButtonGroup(this);
    frameButtons->addButton(frameButton1, int(FrameType::Rect));
    frameButtons->addButton(frameButton2, int(FrameType::Rounded));
    frameButtons->addButton(frameButton3, int(FrameType::Scallop));

    param1Label = new QLabel(group);
    param1Slider = paramSlider(30, 6, 0, group);
    param2Label = new QLabel(group);
    param2Slider = paramSlider(40, 8, 10, group);

    auto *grid = new QGridLayout;
    QWidget *rows[] = {frameButton1, frameButton2, frameButton3, param1Label,
                       param1Slider, param2Label,  param2Slider};
    // Each label sits on its slider; the space goes above the labels and below the last slider.
    const int heights[] = {90, 90, 90, 30, 0, 30, 0};
    for (int row = 0; row < 7; ++row) {
        grid->addWidget(rows[row], row, 0,
                        rows[row] == param1Label || rows[row] == param2Label
                            ? Qt::AlignBottom | Qt::AlignLeft
                            : Qt::Alignment());
        grid->setRowMinimumHeight(row, heights[row]);
    }
    auto *layout = new QVBoxLayout;
    layout->addLayout(grid);
    layout->addStretch();
    group->setLayout(layout);

    setTabOrder(colorButton, frameButton1);
    setTabOrder(frameButton1, frameButton2);
    setTabOrder(frameButton2, frameButton3);
    setTabOrder(frameButton3, param1Slider);
    setTabOrder(param1Slider, param2Slider);

    connect(frameButtons, &QButtonGroup::idClicked, this, &CanvasSettings::setPhotoFrame);
    connect(param1Slider, &QSlider::valueChanged, this, &CanvasSettings::setTimeout);
    connect(param2Slider, &QSlider::valueChanged, this, &CanvasSettings::setTimeout);
    connect(param1Slider, &QSlider::valueChanged, this, &CanvasSettings::updateParamLabels);
    connect(param2Slider, &QSlider::valueChanged, this, &CanvasSettings::updateParamLabels);
    showFrame(currentFrame);

    // Parented so the page frees it; a pending shot dies with the page.
    paramTimer = new QTimer(this);
    paramTimer->setSingleShot(true);
    connect(paramTimer, &QTimer::timeout, this, &CanvasSettings::emitParam);
    return group;
}

void CanvasSettings::showAppearance(const QColor &colour, const FrameSettings &frame)
{
    currentColour = colour;
    showSwatch(colorLabel, colour);
    paramTimer->stop();
    {
        const QSignalBlocker block1(param1Slider);
        const QSignalBlocker block2(param2Slider);
        // A project made before the sliders scaled with the canvas keeps its frame as it was.
        param1Slider->setMaximum(std::max(param1Slider->maximum(), frame.a));
        param2Slider->setMaximum(std::max(param2Slider->maximum(), frame.b));
        param1Slider->setValue(frame.a);
        param2Slider->setValue(frame.b);
    }
    showFrame(frame.type);
}

void CanvasSettings::showKeepFaces(bool keep)
{
    const QSignalBlocker block(keepFacesBox);
    keepFacesBox->setChecked(keep);
}

void CanvasSettings::showCanvas(const QSize &working, const QSize &saved, LengthUnit lengthUnit,
                                int resolution)
{
    if (working.isEmpty() || saved.isEmpty())
        return;
    workingSize = working;
    savedSize = saved;
    unit = lengthUnit;
    dpi = std::clamp(resolution, minDpi, maxDpi);
    updateSliderRanges();
    updateParamLabels();
}

void CanvasSettings::updateSliderRanges()
{
    const auto range = [](QSlider *slider, int base, const QSize &working) {
        const int maximum = std::max(frameSliderMaximum(base, working), slider->value());
        const QSignalBlocker block(slider);
        slider->setMaximum(maximum);
        slider->setTickInterval(std::max(1, frameSliderMaximum(base, working) / 5));
    };
    range(param1Slider, frameMarginBase, workingSize);
    range(param2Slider, frameCurveBase, workingSize);
}

void CanvasSettings::setColor()
{
    QColorDialog dialog(this);
    // The alpha option first: without it the dialog drops the colour's alpha.
    dialog.setOption(QColorDialog::ShowAlphaChannel, true);
    dialog.setCurrentColor(currentColour);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid())
        return;
    currentColour = chosen;
    showSwatch(colorLabel, chosen);
    emit colorChanged(chosen);
}

void CanvasSettings::setPhotoFrame(int type)
{
    const std::optional<FrameType> frame = frameTypeFromNumber(type);
    if (!frame)
        return;
    showFrame(*frame);
    emit photoFrameChanged(*frame);
}

void CanvasSettings::showFrame(FrameType type)
{
    QAbstractButton *button = frameButtons->button(int(type));
    if (!button)
        return;
    currentFrame = type;
    button->setChecked(true);
    // A rectangle has no corners; only the margin shapes it.
    param2Label->setEnabled(type != FrameType::Rect);
    param2Slider->setEnabled(type != FrameType::Rect);
    updateParamLabels();
}

void CanvasSettings::updateParamLabels()
{
    // What the saved file gets: the frame is scaled with the canvas as it is saved.
    const double factor = std::min(double(savedSize.width()) / workingSize.width(),
                                   double(savedSize.height()) / workingSize.height());
    const double a = param1Slider->value() * factor;
    const double b = param2Slider->value() * factor;
    if (unit == LengthUnit::Pixels) {
        param1Label->setText(tr("Margin: %1 px").arg(std::lround(a)));
        param2Label->setText(currentFrame == FrameType::Scallop
                                 ? tr("Arc: %1 px").arg(std::lround(b))
                                 : tr("Corner: %1 px").arg(std::lround(b)));
        return;
    }
    const auto mm
        = [this](double pixels) { return QLocale().toString(pixels * mmPerInch / dpi, 'f', 1); };
    param1Label->setText(tr("Margin: %1 mm").arg(mm(a)));
    param2Label->setText(currentFrame == FrameType::Scallop ? tr("Arc: %1 mm").arg(mm(b))
                                                            : tr("Corner: %1 mm").arg(mm(b)));
}

void CanvasSettings::setTimeout()
{
    if (paramTimer->isActive())
        paramTimer->stop();
    paramTimer->start(1000);
}

void CanvasSettings::emitParam()
{
    emit paramChanged(param1Slider->value(), param2Slider->value());
}
