#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>
#include <QString>

class QAction;
class QMenu;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void about();

private:
    void createActions();
    void createMenus();
    void readSettings();
    void writeSettings();

    QAction *newCanvasAct = nullptr;
    QAction *addFolderAct = nullptr;
    QAction *addPhotosAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *aboutAct = nullptr;
    QMenu *fileMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QString openDirPath;
    QString saveDirPath;

    friend class TestMainWindow;
};

#endif // MAINWINDOW_H
