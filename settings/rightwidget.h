#ifndef RIGHTWIDGET_H
#define RIGHTWIDGET_H

#include <QWidget>

class StatusWidget;
class TreeSettings;

// The fixed-width panel right of the canvas: the status strip over the settings pages.
class RightWidget : public QWidget
{
    Q_OBJECT

public:
    explicit RightWidget(QWidget *parent = nullptr);

    StatusWidget *statusWidget = nullptr;
    TreeSettings *treeSettings = nullptr;
};

#endif // RIGHTWIDGET_H
