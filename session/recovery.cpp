#include "recovery.h"

#include "projectfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent>

#include <algorithm>

Q_LOGGING_CATEGORY(lcRecovery, "vellomir.recovery", QtWarningMsg)

namespace {

const QString suffix = QStringLiteral(".recovery");

QString lockName(const QString &fileName)
{
    return fileName + QStringLiteral(".lock");
}

// Letters and digits of the project's name, so that any name makes a plain file name.
QString fileNameFor(const QString &folder, const QString &projectPath)
{
    QString base = projectPath.isEmpty() ? QStringLiteral("untitled")
                                         : QFileInfo(projectPath).completeBaseName();
    for (QChar &c : base) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    }
    return QDir(folder).filePath(QStringLiteral("%1-%2%3")
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(base.left(64), suffix));
}

} // namespace

RecoveryFile::RecoveryFile(const QString &folder)
    : dir(folder)
{
    writer.setMaxThreadCount(1);
}

RecoveryFile::~RecoveryFile()
{
    writer.waitForDone();
}

QString RecoveryFile::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

bool RecoveryFile::lock(const QString &fileName)
{
    if (current == fileName && lockFile)
        return true;
    unlock();
    auto next = std::make_unique<QLockFile>(lockName(fileName));
    // Only a lock whose process is gone is stale, however old it is.
    next->setStaleLockTime(0);
    if (!next->tryLock(0))
        return false;
    lockFile = std::move(next);
    current = fileName;
    return true;
}

void RecoveryFile::unlock()
{
    lockFile.reset();
    current.clear();
}

void RecoveryFile::write(const CollageDocument &document, const QString &projectPath)
{
    if (!QDir().mkpath(dir)) {
        qCWarning(lcRecovery) << "cannot make" << dir;
        return;
    }
    const QString wanted = fileNameFor(dir, projectPath);
    // A file adopted at a restore keeps its name until it goes.
    if (!adopted && current != wanted) {
        const QString previous = current;
        if (!lock(wanted))
            return;
        if (!previous.isEmpty())
            writer.start([previous] { QFile::remove(previous); });
    }
    // Relative where the photos lie beside the project, as a saved project has them.
    const QString folder = projectPath.isEmpty() ? dir : QFileInfo(projectPath).absolutePath();
    QJsonObject wrapper;
    wrapper.insert(QStringLiteral("project"), projectPath);
    wrapper.insert(QStringLiteral("folder"), folder);
    wrapper.insert(QStringLiteral("document"),
                   QJsonDocument::fromJson(projectToJson(document, folder)).object());
    const QByteArray bytes = QJsonDocument(wrapper).toJson(QJsonDocument::Compact);
    const QString target = current;
    writer.start([bytes, target] {
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()
            || !file.commit()) {
            file.cancelWriting();
            qCWarning(lcRecovery) << "cannot write" << target << file.errorString();
        }
    });
}

void RecoveryFile::remove()
{
    if (current.isEmpty())
        return;
    const QString target = current;
    writer.start([target] { QFile::remove(target); });
    writer.waitForDone();
    unlock();
    adopted = false;
}

void RecoveryFile::flush()
{
    writer.waitForDone();
}

bool RecoveryFile::adopt(const RecoveredCollage &left)
{
    writer.waitForDone();
    const QString previous = current;
    if (!lock(left.fileName))
        return false;
    if (!previous.isEmpty() && previous != left.fileName)
        QFile::remove(previous);
    adopted = true;
    return true;
}

QList<RecoveredCollage> RecoveryFile::leftBehind(const QString &folder)
{
    QList<RecoveredCollage> found;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {QLatin1Char('*') + suffix}, QDir::Files | QDir::NoSymLinks, QDir::Time);
    for (const QFileInfo &entry : entries) {
        QLockFile probe(lockName(entry.absoluteFilePath()));
        probe.setStaleLockTime(0);
        // Held: its process lives and is still writing it.
        if (!probe.tryLock(0))
            continue;
        probe.unlock();
        const RecoveryLoad load = read(entry.absoluteFilePath());
        found.append({entry.absoluteFilePath(), load.projectPath, entry.lastModified()});
    }
    std::stable_sort(
        found.begin(), found.end(),
        [](const RecoveredCollage &x, const RecoveredCollage &y) { return x.written > y.written; });
    return found;
}

RecoveryLoad RecoveryFile::read(const QString &fileName)
{
    QFile file(fileName);
    const QFileInfo info(fileName);
    if (!info.isFile() || info.size() > maxProjectBytes || !file.open(QIODevice::ReadOnly))
        return {QString(), Failure {QCoreApplication::translate("Recovery", "cannot be read")}};
    const QJsonObject wrapper = QJsonDocument::fromJson(file.read(maxProjectBytes)).object();
    const QJsonValue project = wrapper.value(QStringLiteral("project"));
    const QJsonValue folder = wrapper.value(QStringLiteral("folder"));
    const QJsonValue document = wrapper.value(QStringLiteral("document"));
    if (!project.isString() || !folder.isString() || !document.isObject())
        return {QString(),
                Failure {QCoreApplication::translate("Recovery", "not a recovery file")}};
    return {project.toString(),
            projectFromJson(QJsonDocument(document.toObject()).toJson(), folder.toString())};
}

void RecoveryFile::discard(const RecoveredCollage &left)
{
    QFile::remove(left.fileName);
    QFile::remove(lockName(left.fileName));
}

void RecoveryFile::setAside(const RecoveredCollage &left)
{
    const QString aside = left.fileName + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (!QFile::rename(left.fileName, aside))
        QFile::remove(left.fileName);
    QFile::remove(lockName(left.fileName));
}
