#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The files the desktop reads beside the programs, checked against the programs themselves.
class TestDesktopFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void manPageCoversOption_data();
    void manPageCoversOption();
    void manPageNamesNoStaleOption();
    void projectMimeType_data();
    void projectMimeType();

private:
    QTemporaryDir dataHome;
    static QSet<QString> helpOptions();
    static QString fileText(const QString &path);
};

namespace {
const QString dataDir = QStringLiteral(VELLOMIR_DATA_BUILD);
const QString appId = QStringLiteral(VELLOMIR_APP_ID);
} // namespace

void TestDesktopFiles::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The MIME package as installed under share/mime/packages, in front of the system's.
    QVERIFY(dataHome.isValid());
    QVERIFY(QDir().mkpath(dataHome.filePath(QStringLiteral("mime/packages"))));
    QVERIFY(QFile::copy(dataDir + QLatin1Char('/') + appId + QStringLiteral(".xml"),
                        dataHome.filePath(QStringLiteral("mime/packages/") + appId + ".xml")));
    const QByteArray system = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS",
            QFile::encodeName(dataHome.path()) + ':'
                + (system.isEmpty() ? QByteArray("/usr/local/share:/usr/share") : system));
}

QString TestDesktopFiles::fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The long options `vellomir-collage --help` lists: what the tool really accepts.
QSet<QString> TestDesktopFiles::helpOptions()
{
    QProcess tool;
    tool.start(QStringLiteral(VELLOMIR_COLLAGE), {QStringLiteral("--help")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    const QString help = QString::fromLocal8Bit(tool.readAllStandardOutput());
    QSet<QString> options;
    static const QRegularExpression optionLine(QStringLiteral("^\\s+(?:-\\w, )?--([\\w-]+)"),
                                               QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : optionLine.globalMatch(help))
        options << m.captured(1);
    return options;
}

void TestDesktopFiles::manPageCoversOption_data()
{
    QTest::addColumn<QString>("option");
    const QSet<QString> options = helpOptions();
    QVERIFY(options.contains(QStringLiteral("save-project")));
    for (const QString &option : options)
        QTest::newRow(qPrintable(option)) << option;
}

void TestDesktopFiles::manPageCoversOption()
{
    QFETCH(QString, option);
    const QString page = fileText(dataDir + QStringLiteral("/vellomir-collage.1"));
    QVERIFY(!page.isEmpty());
    // Each option has its own tagged paragraph: .TP, then the option in bold.
    const QString roffName = QStringLiteral("\\-\\-") + QString(option).replace('-', "\\-");
    const QRegularExpression entry(QStringLiteral("^\\.TP\\n\\.B[RI]? (?:\\\\-\\w \", \" )?")
                                       + QRegularExpression::escape(roffName)
                                       + QStringLiteral("\\b"),
                                   QRegularExpression::MultilineOption);
    QVERIFY2(entry.match(page).hasMatch(), qPrintable(option));
}

void TestDesktopFiles::manPageNamesNoStaleOption()
{
    const QSet<QString> options = helpOptions();
    QVERIFY(!options.isEmpty());
    const QString page = fileText(dataDir + QStringLiteral("/vellomir-collage.1"));
    static const QRegularExpression named(QStringLiteral("\\\\-\\\\-((?:\\w|\\\\-)+)"));
    for (const QRegularExpressionMatch &m : named.globalMatch(page)) {
        const QString option = m.captured(1).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        QVERIFY2(options.contains(option), qPrintable(option));
    }
    // The version is the build's, not one written into the page.
    QVERIFY(page.contains(QStringLiteral("\"Vellomir " VELLOMIR_VERSION "\"")));
}

void TestDesktopFiles::projectMimeType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("opened"); // offered in the desktop entry
    const QString project = QStringLiteral("application/x-vellomir-project");
    QTest::newRow("project") << "holiday.vellomir" << project << true;
    QTest::newRow("any case") << "HOLIDAY.Vellomir" << project << true;
    QTest::newRow("dotted name") << "summer.2026.vellomir" << project << true;
    QTest::newRow("json beside") << "holiday.vellomir.json"
                                 << "application/json" << false;
    QTest::newRow("photo") << "holiday.jpg"
                           << "image/jpeg" << true;
}

void TestDesktopFiles::projectMimeType()
{
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(bool, opened);
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QCOMPARE(mime.name(), type);
    if (type.contains(QLatin1String("vellomir"))) {
        QVERIFY(mime.inherits(QStringLiteral("application/json")));
        QCOMPARE(mime.iconName(), appId);
    }
    const QString entry = fileText(dataDir + QLatin1Char('/') + appId + ".desktop");
    QVERIFY(!entry.isEmpty());
    QCOMPARE(entry.contains(QRegularExpression(QStringLiteral("^MimeType=(.*;)?")
                                                   + QRegularExpression::escape(type) + ';',
                                               QRegularExpression::MultilineOption)),
             opened);
}

QTEST_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
