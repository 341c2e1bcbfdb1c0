#include "mainwindow.h"
#include "startup.h"
#include "translation.h"

#include <QLoggingCategory>

// The window's trace, silent unless QT_LOGGING_RULES enables vellomir.*.
Q_LOGGING_CATEGORY(lcWindow, "vellomir.window", QtWarningMsg)

#include <QApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qCDebug(lcWindow) << QCoreApplication::libraryPaths();
    setApplicationIdentity();
    // Wayland matches the window to the desktop entry, and so to its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELLOMIR_APP_ID));

    const QString localeName = QLocale::system().name();
    qCDebug(lcWindow) << localeName;
    QTranslator translator;
    if (!loadTranslation(translator, localeName))
        qCDebug(lcWindow) << "no catalogue for" << localeName;
    app.installTranslator(&translator);
    // Qt's own texts, such as the dialogs' standard buttons.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

    MainWindow window;
    window.show();
    // Once the window is on screen, so that a warning about a damaged project has it as parent.
    const StartupFiles files = startupFiles(QCoreApplication::arguments().mid(1));
    QTimer::singleShot(0, &window, [&window, files] { openStartupFiles(window, files); });
    return app.exec();
}
