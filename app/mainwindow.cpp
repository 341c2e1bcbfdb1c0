#include "mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    readSettings();
    createActions();
    createMenus();
}

MainWindow::~MainWindow()
{
    writeSettings();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    writeSettings();
    QMainWindow::closeEvent(event);
}

void MainWindow::createActions()
{
    newCanvasAct = new QAction(tr("&New Canvas..."), this);
    newCanvasAct->setShortcut(QKeySequence(tr("Ctrl+N")));

    addFolderAct = new QAction(tr("Add &Folder..."), this);

    addPhotosAct = new QAction(tr("Add &Photo(s)..."), this);
    addPhotosAct->setShortcut(QKeySequence(tr("Ctrl+A")));

    saveAct = new QAction(tr("&Save Collage As..."), this);
    saveAct->setShortcut(QKeySequence(tr("Ctrl+S")));
    saveAct->setEnabled(false); // nothing to save before the first render

    exitAct = new QAction(tr("E&xit"), this);
    exitAct->setShortcut(QKeySequence(tr("Ctrl+Q")));
    connect(exitAct, &QAction::triggered, this, &QWidget::close);

    aboutAct = new QAction(tr("&About"), this);
    connect(aboutAct, &QAction::triggered, this, &MainWindow::about);
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(newCanvasAct);
    fileMenu->addAction(addFolderAct);
    fileMenu->addAction(addPhotosAct);
    fileMenu->addSeparator();
    fileMenu->addAction(saveAct);
    fileMenu->addSeparator();
    fileMenu->addAction(exitAct);

    helpMenu = menuBar()->addMenu(tr("&Help"));
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
              .arg(QStringLiteral("0.1.03"));

    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(tr("About Vellomir"));
    box->setText(text);
    const QPixmap logo(QStringLiteral(":/resources/logo128.png"));
    if (!logo.isNull())
        box->setIconPixmap(logo);
    box->exec();
}

void MainWindow::readSettings()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    resize(settings.value(QStringLiteral("size"), QSize(840, 640)).toSize());
    move(settings.value(QStringLiteral("pos"), QPoint(200, 200)).toPoint());
    openDirPath = settings.value(QStringLiteral("openDirPath"), pictures).toString();
    saveDirPath = settings.value(QStringLiteral("saveDirPath"), pictures).toString();
    settings.endGroup();
}

void MainWindow::writeSettings()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    settings.setValue(QStringLiteral("size"), size());
    settings.setValue(QStringLiteral("pos"), pos());
    settings.setValue(QStringLiteral("openDirPath"), openDirPath);
    settings.setValue(QStringLiteral("saveDirPath"), saveDirPath);
    settings.endGroup();
}
