#include "rightwidget.h"

#include "canvassettings.h"
#include "statuswidget.h"
#include "treesettings.h"

#include <QFrame>
#include <QVBoxLayout>

RightWidget::RightWidget(QWidget *parent)
    : QWidget(parent)
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
}
