#include "mainwindow.h"
#include "translation.h"

#include <QApplication>
#include <QDebug>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qDebug() << QCoreApplication::libraryPaths();
    setApplicationIdentity();

    const QString localeName = QLocale::system().name();
    qDebug() << localeName;
    QTranslator translator;
    if (!loadTranslation(translator, localeName))
        qDebug() << "no catalogue for" << localeName;
    app.installTranslator(&translator);

    MainWindow window;
    window.setWindowTitle(applicationTitle());
    window.show();
    return app.exec();
}
