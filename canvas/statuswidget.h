#ifndef STATUSWIDGET_H
#define STATUSWIDGET_H

#include <QWidget>

class QLabel;
class QPalette;
class QProgressBar;
class QPushButton;
class QToolButton;

// The back and forward buttons, the shuffle button and the progress bar above the settings;
// the main window gives the first two their actions, connects the third and drives the bar.
class StatusWidget : public QWidget
{
    Q_OBJECT

public:
    explicit StatusWidget(QWidget *parent = nullptr);

    // The bar's style sheet: no border, the palette's window colour behind centred text.
    static QString progressStyleSheet(const QPalette &palette);

    QToolButton *undoButton = nullptr;
    QToolButton *redoButton = nullptr;
    QPushButton *shuffleButton = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *countLabel = nullptr; // how many photos the collage holds
};

#endif // STATUSWIDGET_H
