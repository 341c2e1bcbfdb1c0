#include "translation.h"

#include <QCoreApplication>
#include <QString>
#include <QTranslator>

bool loadTranslation(QTranslator &translator, const QString &localeName)
{
    return translator.load(QStringLiteral(":/translations/vellomir_%1").arg(localeName));
}

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vellomir"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vellomir.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Vellomir"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLOMIR_VERSION));
}

QString applicationTitle()
{
    return QCoreApplication::applicationName() + QLatin1Char(' ')
           + QCoreApplication::applicationVersion();
}
