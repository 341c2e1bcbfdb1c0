#ifndef STATUSWIDGET_H
#define STATUSWIDGET_H

#include <QWidget>

class QPalette;
class QProgressBar;
class QPushButton;

// The shuffle button and the progress bar above the settings; the main window connects
// the one and drives the other.
class StatusWidget : public QWidget
{
    Q_OBJECT

public:
    explicit StatusWidget(QWidget *parent = nullptr);

    // The bar's style sheet: no border, the palette's window colour behind centred text.
    static QString progressStyleSheet(const QPalette &palette);

    QPushButton *shuffleButton = nullptr;
    QProgressBar *progressBar = nullptr;
};

#endif // STATUSWIDGET_H
