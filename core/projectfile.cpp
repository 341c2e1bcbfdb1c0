#include "projectfile.h"

#include <QCoreApplication>
#include <QFileInfo>

QByteArray projectToJson(const CollageDocument &, const QString &)
{
    return QByteArray();
}

ProjectLoad projectFromJson(const QByteArray &, const QString &)
{
    return {std::nullopt, QCoreApplication::translate("ProjectFile", "not a project file")};
}

ProjectLoad readProjectFile(const QString &)
{
    return {std::nullopt, QCoreApplication::translate("ProjectFile", "not a project file")};
}

std::optional<QString> writeProjectFile(const CollageDocument &, const QString &)
{
    return QCoreApplication::translate("ProjectFile", "not written");
}

QString completeProjectName(const QString &fileName)
{
    if (QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        return fileName;
    return fileName + QLatin1Char('.') + QLatin1String(projectSuffix);
}
