#include "rightwidget.h"

#include "canvasscene.h"
#include "canvassettings.h"
#include "statuswidget.h"
#include "treesettings.h"

#include <QFrame>
#include <QVBoxLayout>

RightWidget::RightWidget(CanvasScene *scene, QWidget *parent)
    : QWidget(parent)
    , scene(scene)
{
    setFixedWidth(200);

    treeSettings = new TreeSettings(this);
    statusWidget = new StatusWidget(this);

    auto *frame = new QFrame(this);
    frame->setFrameStyle(0);
    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(statusWidget);
    column->addWidget(treeSettings);
    frame->setLayout(column);

    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setLayout(layout);

    const CanvasSettings *page = treeSettings->canvasSettings;
    connect(page, &CanvasSettings::colorChanged, scene, &CanvasScene::setBackColor);
    connect(page, &CanvasSettings::paramChanged, scene, &CanvasScene::setPhotoFrameParam);
    connect(page, &CanvasSettings::photoFrameChanged, scene, &CanvasScene::setPhotoFrame);
}
