// The parts of the window the tests reach, found the way a user finds them: the actions by
// their texts or keys, the panels by their kind.
#ifndef WINDOWPARTS_H
#define WINDOWPARTS_H

#include "mainwindow.h"
#include "rightwidget.h"
#include "statuswidget.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace parts {

// The window's action with this text (as the menu shows it, mnemonic included).
inline QAction *action(const MainWindow &window, const QString &text)
{
    const auto actions = window.findChildren<QAction *>();
    for (QAction *action : actions) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// The window's action this key sequence triggers: Undo and Redo name their step.
inline QAction *action(const MainWindow &window, const QKeySequence &keys)
{
    const auto actions = window.findChildren<QAction *>();
    for (QAction *action : actions) {
        if (action->shortcuts().contains(keys))
            return action;
    }
    return nullptr;
}

inline QAction *undo(const MainWindow &window)
{
    return action(window, QKeySequence(QStringLiteral("Ctrl+Z")));
}

inline QAction *redo(const MainWindow &window)
{
    return action(window, QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
}

// The menu of the menu bar with this title.
inline QMenu *menu(const MainWindow &window, const QString &title)
{
    const auto titles = window.menuBar()->actions();
    for (const QAction *entry : titles) {
        if (entry->text() == title)
            return entry->menu();
    }
    return nullptr;
}

inline StatusWidget *status(const MainWindow &window)
{
    return window.findChild<StatusWidget *>();
}

inline RightWidget *panel(const MainWindow &window)
{
    return window.findChild<RightWidget *>();
}

} // namespace parts

#endif // WINDOWPARTS_H
