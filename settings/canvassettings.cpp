#include "canvassettings.h"

#include "collagedocument.h"
#include "photoframe.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPushButton *sampleButton(const QImage &sample, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setFlat(true);
    button->setIcon(QIcon(QPixmap::fromImage(sample)));
    button->setIconSize(QSize(120, 80));
    button->setFixedSize(122, 82);
    return button;
}

QSlider *paramSlider(int maximum, int tick, int value, QWidget *parent)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setFixedWidth(120);
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
    setLayout(mainLayout);

    connect(colorButton, &QPushButton::clicked, this, &CanvasSettings::setColor);
}

QWidget *CanvasSettings::createBackgroundGroup()
{
    auto *group = new QGroupBox(tr("Background"), this);
    group->setFixedHeight(80);

    colorButton = new QPushButton(group);
    colorButton->setFlat(true);
    colorButton->setIcon(QIcon(QStringLiteral(":/resources/color_picker.png")));
    colorButton->setIconSize(QSize(32, 32));
    colorButton->setFixedSize(34, 34);

    colorLabel = new QLabel(group);
    colorLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    showSwatch(colorLabel, Qt::white);

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

    QImage sample(120, 80, QImage::Format_ARGB32);
    sample.fill(QColor(200, 180, 200));
    PhotoFrame frame;
    frameButton1 = sampleButton(frame.apply(sample, FrameRect, 0, 0), group);
    frameButton2 = sampleButton(frame.apply(sample, FrameRounded, 0, 15), group);
    frameButton3 = sampleButton(frame.apply(sample, FrameScallop, 0, 8), group);

    param1Slider = paramSlider(30, 6, 0, group);
    param2Slider = paramSlider(40, 8, 10, group);

    auto *grid = new QGridLayout;
    QWidget *rows[] = {frameButton1, frameButton2, frameButton3, param1Slider, param2Slider};
    for (int row = 0; row < 5; ++row) {
        grid->addWidget(rows[row], row, 0);
        grid->setRowMinimumHeight(row, row < 3 ? 84 : 40);
    }
    auto *layout = new QVBoxLayout;
    layout->addLayout(grid);
    group->setLayout(layout);

    for (QPushButton *button : {frameButton1, frameButton2, frameButton3})
        connect(button, &QPushButton::clicked, this, &CanvasSettings::setPhotoFrame);
    connect(param1Slider, &QSlider::valueChanged, this, &CanvasSettings::setTimeout);
    connect(param2Slider, &QSlider::valueChanged, this, &CanvasSettings::setTimeout);

    // Parented so the page frees it; a pending shot dies with the page.
    paramTimer = new QTimer(this);
    paramTimer->setSingleShot(true);
    connect(paramTimer, &QTimer::timeout, this, &CanvasSettings::emitParam);
    return group;
}

void CanvasSettings::showAppearance(const QColor &colour, const FrameSettings &frame)
{
    showSwatch(colorLabel, colour);
    paramTimer->stop();
    const QSignalBlocker block1(param1Slider);
    const QSignalBlocker block2(param2Slider);
    param1Slider->setValue(frame.a);
    param2Slider->setValue(frame.b);
}

void CanvasSettings::setColor()
{
    QColorDialog dialog(this);
    dialog.setCurrentColor(Qt::green);
    dialog.setOption(QColorDialog::ShowAlphaChannel, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor colour = dialog.selectedColor();
    if (!colour.isValid())
        return;
    showSwatch(colorLabel, colour);
    emit colorChanged(colour);
}

void CanvasSettings::setPhotoFrame()
{
    const QObject *button = sender();
    if (button == frameButton1)
        emit photoFrameChanged(FrameRect);
    if (button == frameButton2)
        emit photoFrameChanged(FrameRounded);
    if (button == frameButton3)
        emit photoFrameChanged(FrameScallop);
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
