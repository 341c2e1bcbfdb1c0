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
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
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
    connect(session, &CollageSession::projectPathChanged, this, [this] { showTitle(); });
    showTitle();
}

QString ProjectController::projectPath() const
{
    return session->projectPath();
}

void ProjectController::showTitle()
{
    const QString path = session->projectPath();
    // An untitled collage shows its unsaved changes too.
    if (path.isEmpty())
        window->setWindowTitle(applicationTitle() + QLatin1String("[*]"));
    else
        window->setWindowTitle(
            tr("%1[*] \u2014 %2").arg(QFileInfo(path).completeBaseName(), applicationTitle()));
    window->setWindowModified(session->isModified());
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
    // A crashed window's state of this very project, newer than the file, is offered first.
    const QString absolute = QFileInfo(fileName).absoluteFilePath();
    for (const RecoveredCollage &left : RecoveryFile::leftBehind(session->recoveryFolder())) {
        if (left.projectPath != absolute || left.written <= QFileInfo(fileName).lastModified())
            continue;
        const QMessageBox::StandardButton answer
            = warn(window, tr("Open Project"),
                   tr("%1 has unsaved changes from %2, when Vellomir did not close properly.\n"
                      "Do you want to restore them?")
                       .arg(QDir::toNativeSeparators(absolute),
                            QLocale().toString(left.written, QLocale::ShortFormat)),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            return restore(left);
        RecoveryFile::discard(left);
        break;
    }
    const QString shownName = QDir::toNativeSeparators(fileName);
    const Result<ProjectOpening> opening = session->openProject(fileName);
    if (!opening) {
        warn(window, tr("Open Project"), tr("Cannot open %1: %2").arg(shownName, opening.error()));
        return false;
    }
    settings->setProjectDir(QFileInfo(fileName).absolutePath());
    settings->addRecentProject(session->projectPath());
    showProblems(shownName, *opening);
    return true;
}

void ProjectController::showProblems(const QString &shownName, const ProjectOpening &opening)
{
    // English has no catalogue, so its singular needs a text of its own.
    const int leftOut = int(opening.leftOut.size());
    if (leftOut > 0)
        showList(leftOut == 1 ? tr("One photo of %1 could not be used and was left out of the "
                                   "collage:")
                              : tr("%n photos of %1 could not be used and were left out of the "
                                   "collage:",
                                   nullptr, leftOut),
                 shownName, opening.leftOut);
    const int changed = int(opening.changed.size());
    if (changed > 0)
        showList(changed == 1
                     ? tr("One photo of %1 has changed since it was saved:")
                     : tr("%n photos of %1 have changed since it was saved:", nullptr, changed),
                 shownName, opening.changed);
}

void ProjectController::showList(const QString &summary, const QString &shownName,
                                 const QList<PhotoProblem> &problems)
{
    const int shown = 10;
    QStringList lines;
    for (const PhotoProblem &problem : problems.mid(0, shown))
        lines << tr("%1: %2").arg(QDir::toNativeSeparators(problem.path), problem.reason);
    if (problems.size() > shown)
        lines << tr("…and %n more", nullptr, int(problems.size() - shown));
    warn(window, tr("Open Project"),
         summary.arg(shownName) + QLatin1String("\n\n") + lines.join(QLatin1Char('\n')));
}

bool ProjectController::offerRecoveries()
{
    for (const RecoveredCollage &left : RecoveryFile::leftBehind(session->recoveryFolder())) {
        const QString name = left.projectPath.isEmpty()
                                 ? tr("An untitled collage")
                                 : QDir::toNativeSeparators(left.projectPath);
        QMessageBox box(QMessageBox::Question, tr("Restore Collage"),
                        tr("Vellomir did not close properly.\n%1 has changes from %2 that were "
                           "not saved.")
                            .arg(name, QLocale().toString(left.written, QLocale::ShortFormat)),
                        QMessageBox::NoButton, window);
        box.setTextFormat(Qt::PlainText);
        QPushButton *restoreButton = box.addButton(tr("&Restore"), QMessageBox::AcceptRole);
        QPushButton *discardButton = box.addButton(tr("&Discard"), QMessageBox::DestructiveRole);
        box.addButton(tr("&Later"), QMessageBox::RejectRole);
        box.setDefaultButton(restoreButton);
        box.exec();
        if (box.clickedButton() == restoreButton)
            return restore(left);
        if (box.clickedButton() == discardButton)
            RecoveryFile::discard(left);
    }
    return false;
}

bool ProjectController::restore(const RecoveredCollage &left)
{
    const Result<ProjectOpening> opening = session->restoreRecovery(left);
    const QString shownName = QDir::toNativeSeparators(left.fileName);
    if (!opening) {
        warn(window, tr("Restore Collage"),
             tr("Cannot restore %1: %2").arg(shownName, opening.error()));
        return false;
    }
    showProblems(shownName, *opening);
    return true;
}

bool ProjectController::saveProject()
{
    if (session->projectPath().isEmpty())
        return saveProjectAs();
    return writeProject(session->projectPath());
}

bool ProjectController::saveProjectAs()
{
    const QString start
        = session->projectPath().isEmpty() ? settings->projectDir() : session->projectPath();
    const QString fileName
        = QFileDialog::getSaveFileName(window, tr("Save Project"), start, projectFilter());
    if (fileName.isEmpty())
        return false;
    return writeProject(completeProjectName(fileName));
}

bool ProjectController::writeProject(const QString &fileName)
{
    if (const Result<void> written = session->saveProject(fileName); !written) {
        warn(window, tr("Save Project"),
             tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(fileName), written.error()));
        return false;
    }
    settings->setProjectDir(QFileInfo(fileName).absolutePath());
    settings->addRecentProject(session->projectPath());
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
