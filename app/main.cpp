#include "mainwindow.h"
#include "translation.h"

#include <QApplication>
#include <QDebug>
#include <QLibraryInfo>
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
    // Qt's own texts, such as the dialogs' standard buttons.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

    MainWindow window;
    window.setWindowTitle(applicationTitle());
    window.show();
    return app.exec();
}
