#include "treesettings.h"

#include "canvassettings.h"
#include "photossettings.h"

#include <QStackedLayout>

TreeSettings::TreeSettings(QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(200);
    setMinimumHeight(500);

    canvasSettings = new CanvasSettings(this);
    photosSettings = new PhotosSettings(this);

    pageStack = new QStackedLayout;
    pageStack->insertWidget(0, canvasSettings);
    pageStack->insertWidget(1, photosSettings);
    pageStack->setStackingMode(QStackedLayout::StackOne);
    setLayout(pageStack);
    pageStack->setCurrentIndex(0);
}
