// The window's actions and menus, and the About box.
#include "mainwindow.h"

#include "collagelimits.h"
#include "printcontroller.h"
#include "projectcontroller.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QStyle>
#include <QUndoStack>

void MainWindow::createActions()
{
    newCanvasAct = new QAction(tr("&New Canvas..."), this);
    newCanvasAct->setShortcut(QKeySequence(tr("Ctrl+N")));
    connect(newCanvasAct, &QAction::triggered, this, &MainWindow::newCanvas);

    canvasSizeAct = new QAction(tr("Canvas Si&ze..."), this);
    connect(canvasSizeAct, &QAction::triggered, this, &MainWindow::canvasSize);

    openProjectAct = new QAction(tr("&Open Project..."), this);
    openProjectAct->setShortcut(QKeySequence(tr("Ctrl+O")));
    connect(openProjectAct, &QAction::triggered, this,
            [this] { projectController->openProjectDialog(); });

    saveProjectAct = new QAction(tr("Save Pro&ject"), this);
    saveProjectAct->setShortcut(QKeySequence(tr("Ctrl+Shift+S")));
    connect(saveProjectAct, &QAction::triggered, this,
            [this] { projectController->saveProject(); });

    saveProjectAsAct = new QAction(tr("Save Project &As..."), this);
    connect(saveProjectAsAct, &QAction::triggered, this,
            [this] { projectController->saveProjectAs(); });

    addFolderAct = new QAction(tr("Add &Folder..."), this);
    connect(addFolderAct, &QAction::triggered, this, &MainWindow::addFolderDialog);

    addPhotosAct = new QAction(tr("Add &Photo(s)..."), this);
    addPhotosAct->setShortcut(QKeySequence(tr("Ctrl+A")));
    connect(addPhotosAct, &QAction::triggered, this, &MainWindow::addPhotosDialog);

    saveAct = new QAction(tr("&Save Collage As..."), this);
    saveAct->setShortcut(QKeySequence(tr("Ctrl+S")));
    saveAct->setEnabled(false); // nothing to save before the first render
    connect(saveAct, &QAction::triggered, this, &MainWindow::saveCollage);

    printController = new PrintController(this, &collage, &settings);

    exitAct = new QAction(tr("E&xit"), this);
    exitAct->setShortcut(QKeySequence(tr("Ctrl+Q")));
    connect(exitAct, &QAction::triggered, this, &QWidget::close);

    zoomInAct = new QAction(tr("Zoom &In"), this);
    zoomInAct->setShortcuts({QKeySequence(tr("Ctrl++")), QKeySequence(tr("Ctrl+="))});
    zoomOutAct = new QAction(tr("Zoom &Out"), this);
    zoomOutAct->setShortcut(QKeySequence(tr("Ctrl+-")));
    fitAct = new QAction(tr("&Fit"), this);
    fitAct->setShortcut(QKeySequence(tr("Ctrl+0")));
    actualSizeAct = new QAction(tr("&Actual Size"), this);
    actualSizeAct->setShortcut(QKeySequence(tr("Ctrl+1")));

    aboutAct = new QAction(tr("&About"), this);
    connect(aboutAct, &QAction::triggered, this, &MainWindow::about);

    // The stack's own actions name the step ("Undo Shuffle"); they are refused while busy.
    QUndoStack *stack = collage.undoStack();
    undoAct = stack->createUndoAction(this, tr("&Undo"));
    undoAct->setShortcut(QKeySequence(tr("Ctrl+Z")));
    undoAct->setIcon(
        QIcon::fromTheme(QStringLiteral("edit-undo"), style()->standardIcon(QStyle::SP_ArrowBack)));
    redoAct = stack->createRedoAction(this, tr("&Redo"));
    redoAct->setShortcut(QKeySequence(tr("Ctrl+Shift+Z")));
    redoAct->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo"),
                                      style()->standardIcon(QStyle::SP_ArrowForward)));
    // The stack enables them as its steps come and go; a busy collage keeps them off.
    for (QAction *action : {undoAct, redoAct}) {
        connect(action, &QAction::changed, this, [this, action] {
            if (collage.busy() && action->isEnabled())
                action->setEnabled(false);
        });
    }
}

void MainWindow::createMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(newCanvasAct);
    fileMenu->addAction(canvasSizeAct);
    fileMenu->addAction(openProjectAct);
    recentMenu = fileMenu->addMenu(tr("Open &Recent"));
    connect(recentMenu, &QMenu::aboutToShow, this,
            [this] { projectController->fillRecentMenu(recentMenu); });
    fileMenu->addSeparator();
    fileMenu->addAction(addFolderAct);
    fileMenu->addAction(addPhotosAct);
    fileMenu->addSeparator();
    fileMenu->addAction(saveProjectAct);
    fileMenu->addAction(saveProjectAsAct);
    fileMenu->addAction(saveAct);
    fileMenu->addAction(printController->exportPdfAction());
    fileMenu->addSeparator();
    fileMenu->addAction(printController->previewAction());
    fileMenu->addAction(printController->printAction());
    fileMenu->addSeparator();
    fileMenu->addAction(exitAct);

    QMenu *editMenu = menuBar()->addMenu(tr("&Edit"));
    editMenu->addAction(undoAct);
    editMenu->addAction(redoAct);

    QMenu *viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->addAction(zoomInAct);
    viewMenu->addAction(zoomOutAct);
    viewMenu->addSeparator();
    viewMenu->addAction(fitAct);
    viewMenu->addAction(actualSizeAct);

    QMenu *helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(aboutAct);
}

void MainWindow::about()
{
    const QString text
        = QCoreApplication::translate(
              "QMessageBox",
              "<h3>Vellomir</h3><p>This program is a photo collage software. It allows you to "
              "create layouts quickly and  generate unique layout each time.</p>"
              "<p>version: %1</p>"
              "<p><a href=\"https://vellomir.org/\">vellomir.org</a></p>"
              "<p>Copyright &copy; 2026 Vellomir</p>")
              .arg(QLatin1String(limits::version));

    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(tr("About Vellomir"));
    box->setText(text);
    // Through QIcon, which takes the @2x drawing on a high-density screen.
    const QPixmap logo = QIcon(QStringLiteral(":/resources/logo128.png"))
                             .pixmap(QSize(128, 128), devicePixelRatioF());
    if (!logo.isNull())
        box->setIconPixmap(logo);
    box->exec();
}
