#ifndef RIGHTWIDGET_H
#define RIGHTWIDGET_H

#include <QWidget>

class CanvasScene;
class StatusWidget;
class TreeSettings;

// The fixed-width panel right of the canvas: the status strip over the settings pages.
// It wires the canvas page straight to the scene.
class RightWidget : public QWidget
{
    Q_OBJECT

public:
    RightWidget(CanvasScene *scene, QWidget *parent = nullptr);

    CanvasScene *scene = nullptr; // not owned
    StatusWidget *statusWidget = nullptr;
    TreeSettings *treeSettings = nullptr;
};

#endif // RIGHTWIDGET_H
