#ifndef TREESETTINGS_H
#define TREESETTINGS_H

#include <QWidget>

class CanvasSettings;
class PhotosSettings;
class QStackedLayout;

// The stack of settings pages; only the canvas page is ever shown.
class TreeSettings : public QWidget
{
    Q_OBJECT

public:
    explicit TreeSettings(QWidget *parent = nullptr);

    QStackedLayout *pageStack = nullptr;
    CanvasSettings *canvasSettings = nullptr;
    PhotosSettings *photosSettings = nullptr;
};

#endif // TREESETTINGS_H
