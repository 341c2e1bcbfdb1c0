#include "projectcontroller.h"

#include "collagesession.h"
#include "projectfile.h"
#include "settingsstore.h"
#include "translation.h"
#include "warning.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

QString ProjectController::projectFilter()
{
    return tr("Vellomir projects (*.%1)").arg(QLatin1String(projectSuffix));
}

ProjectController::ProjectController(QWidget *window, CollageSession *session,
                                     SettingsStore *settings)
    : QObject(window)
    , window(window)
    , session(session)
    , settings(settings)
{
    connect(session, &CollageSession::modifiedChanged, this, [this] { showTitle(); });
    showTitle();
}

void ProjectController::showTitle()
{
    if (path.isEmpty()) {
        window->setWindowTitle(applicationTitle());
        return;
    }
    window->setWindowTitle(
        tr("%1[*] \u2014 %2").arg(QFileInfo(path).completeBaseName(), applicationTitle()));
    window->setWindowModified(session->isModified());
}

void ProjectController::setProjectPath(const QString &fileName)
{
    path = fileName;
    showTitle();
}

void ProjectController::startUntitled()
{
    setProjectPath(QString());
}

bool ProjectController::maybeSave()
{
    if (!session->isModified())
        return true;
    const QMessageBox::StandardButton answer = warn(
        window, applicationTitle(), tr("The collage has been modified.\nDo you want to save it?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return saveProject();
    return answer == QMessageBox::Discard;
}

void ProjectController::openProjectDialog()
{
    if (session->busy() || !maybeSave())
        return;
    const QString fileName = QFileDialog::getOpenFileName(window, tr("Open Project"),
                                                          settings->projectDir(), projectFilter());
    if (!fileName.isEmpty())
        openProject(fileName);
}

bool ProjectController::openProject(const QString &fileName)
{
    if (session->busy())
        return false;
    const QString shownName = QDir::toNativeSeparators(fileName);
    const ProjectOpening opening = session->openProject(fileName);
    if (!opening.opened) {
        warn(window, tr("Open Project"), tr("Cannot open %1: %2").arg(shownName, opening.error));
        return false;
    }
    settings->setProjectDir(QFileInfo(fileName).absolutePath());
    setProjectPath(QFileInfo(fileName).absoluteFilePath());
    settings->addRecentProject(path);
    if (opening.leftOut.isEmpty())
        return true;
    const int shown = 10;
    QStringList lines;
    for (const PhotoProblem &problem : opening.leftOut.mid(0, shown))
        lines << tr("%1: %2").arg(QDir::toNativeSeparators(problem.path), problem.reason);
    if (opening.leftOut.size() > shown)
        lines << tr("…and %n more", nullptr, int(opening.leftOut.size() - shown));
    // English has no catalogue, so its singular needs a text of its own.
    const int count = int(opening.leftOut.size());
    const QString summary
        = (count == 1 ? tr("One photo of %1 could not be used and was left out of the "
                           "collage:")
                      : tr("%n photos of %1 could not be used and were left out of the "
                           "collage:",
                           nullptr, count))
              .arg(shownName);
    warn(window, tr("Open Project"),
         summary + QLatin1String("\n\n") + lines.join(QLatin1Char('\n')));
    return true;
}

bool ProjectController::saveProject()
{
    if (path.isEmpty())
        return saveProjectAs();
    return writeProject(path);
}

bool ProjectController::saveProjectAs()
{
    const QString start = path.isEmpty() ? settings->projectDir() : path;
    const QString fileName
        = QFileDialog::getSaveFileName(window, tr("Save Project"), start, projectFilter());
    if (fileName.isEmpty())
        return false;
    return writeProject(completeProjectName(fileName));
}

bool ProjectController::writeProject(const QString &fileName)
{
    if (const std::optional<QString> error = session->saveProject(fileName)) {
        warn(window, tr("Save Project"),
             tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(fileName), *error));
        return false;
    }
    settings->setProjectDir(QFileInfo(fileName).absolutePath());
    setProjectPath(QFileInfo(fileName).absoluteFilePath());
    settings->addRecentProject(path);
    return true;
}

void ProjectController::fillRecentMenu(QMenu *menu)
{
    menu->clear();
    for (const QString &recent : settings->recentProjects()) {
        if (!QFileInfo(recent).isFile())
            continue;
        QAction *action = menu->addAction(
            QStringLiteral("&%1 %2")
                .arg(menu->actions().size() + 1)
                .arg(QFileInfo(recent).fileName().replace(QLatin1Char('&'), QLatin1String("&&"))));
        action->setToolTip(QDir::toNativeSeparators(recent));
        connect(action, &QAction::triggered, this, [this, recent] {
            if (!session->busy() && maybeSave())
                openProject(recent);
        });
    }
    if (menu->isEmpty())
        menu->addAction(tr("No Recent Projects"))->setEnabled(false);
}
