#include "statuswidget.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

StatusWidget::StatusWidget(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout;
    // Named with its @2x drawing too: QIcon looks for that itself only if a screen of ratio 2
    // is already there when the icon is made.
    QIcon shuffle(QStringLiteral(":/resources/shuffle2.png"));
    shuffle.addFile(QStringLiteral(":/resources/shuffle2@2x.png"));

    shuffleButton = new QPushButton(this);
    shuffleButton->setFlat(true);
    shuffleButton->setToolTip(tr("New layout"));
    shuffleButton->setFocusPolicy(Qt::StrongFocus);
    // A flat button shows no focus of its own; the ring fits in the pixel left around the icon.
    shuffleButton->setStyleSheet(QStringLiteral(
        "QPushButton {border: 1px solid transparent; padding: 0px; background: transparent; "
        "outline: none;}"
        "QPushButton:pressed {background: palette(midlight);}"
        "QPushButton:focus {border: 1px dotted palette(window-text);}"));
    shuffleButton->setIconSize(QSize(46, 46));
    shuffleButton->setFixedSize(48, 48);
    shuffleButton->setIcon(shuffle);

    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 100);
    progressBar->setFixedHeight(48);
    progressBar->setStyleSheet(progressStyleSheet(QPalette()));
    progressBar->setTextVisible(true);

    undoButton = new QToolButton(this);
    redoButton = new QToolButton(this);
    auto *history = new QVBoxLayout;
    history->setSpacing(0);
    history->addStretch();
    for (QToolButton *button : {undoButton, redoButton}) {
        button->setAutoRaise(true);
        button->setIconSize(QSize(18, 18));
        button->setFixedSize(24, 24);
        history->addWidget(button);
    }
    history->addStretch();

    countLabel = new QLabel(this);
    countLabel->setAlignment(Qt::AlignCenter);
    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(progressBar);
    column->addWidget(countLabel);

    layout->addLayout(history);
    layout->addWidget(shuffleButton);
    layout->addLayout(column);
    setLayout(layout);
    // As tall as its row, so the bar stays level with the buttons beside it.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString StatusWidget::progressStyleSheet(const QPalette &palette)
{
    const QString window
        = palette.brush(palette.currentColorGroup(), QPalette::Window).color().name();
    const QString bar = QStringLiteral("QProgressBar {text-align: center; border: 0px; "
                                       "background-color: %1}")
                            .arg(window);
    return bar + QStringLiteral("QProgressBar::chunk {background-color: #BBBBEE;}");
}
