#include "startup.h"

#include "mainwindow.h"
#include "projectcontroller.h"
#include "projectfile.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcStartup, "vellomir.startup", QtWarningMsg)

namespace {

QString localPath(const QString &argument)
{
    // Some desktops hand over URIs even where the entry asks for paths.
    if (argument.startsWith(QLatin1String("file:")))
        return QUrl(argument).toLocalFile();
    return argument;
}

bool isProjectName(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String(projectSuffix), Qt::CaseInsensitive) == 0;
}

} // namespace

StartupFiles startupFiles(const QStringList &arguments)
{
    StartupFiles files;
    for (const QString &argument : arguments) {
        const QString path = localPath(argument);
        if (path.isEmpty())
            continue;
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (isProjectName(path)) {
            if (files.project.isEmpty())
                files.project = absolute;
            else
                qCInfo(lcStartup) << "only the first project is opened; left out" << absolute;
        } else {
            files.photos << QUrl::fromLocalFile(absolute);
        }
    }
    if (!files.project.isEmpty() && !files.photos.isEmpty()) {
        qCInfo(lcStartup) << "a project is opened on its own; left out" << files.photos;
        files.photos.clear();
    }
    return files;
}

void openStartupFiles(MainWindow &window, const StartupFiles &files)
{
    // What a crashed window left comes first; a collage restored is not added to.
    if (window.projects().offerRecoveries()) {
        qCInfo(lcStartup) << "a collage was restored; left out" << files.project << files.photos;
        return;
    }
    if (!files.project.isEmpty()) {
        window.openProject(files.project);
        return;
    }
    if (files.photos.isEmpty())
        return;
    QStringList paths;
    for (const QUrl &url : files.photos)
        paths << url.toLocalFile();
    window.addPaths(paths);
}
