#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The files the desktop reads beside the programs, checked against the programs themselves.
class TestDesktopFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void manPageMatchesHelp();
    void projectMimeType_data();
    void projectMimeType();

private:
    QTemporaryDir dataHome;
};

namespace {

const QString dataDir = QStringLiteral(VELLOMIR_DATA_BUILD);
const QString appId = QStringLiteral(VELLOMIR_APP_ID);

// Sorted, each once, the first group of every match.
QStringList captures(const QString &text, const QString &pattern)
{
    QStringList found;
    const QRegularExpression re(pattern, QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : re.globalMatch(text))
        found << m.captured(1).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    found.sort();
    found.removeDuplicates();
    return found;
}

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

// Every option the tool accepts has its paragraph in the manual page, and the page names
// no option the tool no longer has.
void TestDesktopFiles::manPageMatchesHelp()
{
    QProcess tool;
    tool.start(QStringLiteral(VELLOMIR_COLLAGE), {QStringLiteral("--help")});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    const QStringList options = captures(QString::fromLocal8Bit(tool.readAllStandardOutput()),
                                         QStringLiteral("^\\s+(?:-\\w, )?--([\\w-]+)"));
    QVERIFY(options.contains(QStringLiteral("save-project")));

    QFile file(dataDir + QStringLiteral("/vellomir-collage.1"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    // A paragraph: .TP, then the option in bold, after its short form if it has one.
    QCOMPARE(captures(page, QStringLiteral("^\\.TP\\n\\.B[RI]? (?:\\\\-\\w \", \" )?"
                                           "\\\\-\\\\-((?:\\w|\\\\-)+)")),
             options);
    for (const QString &named : captures(page, QStringLiteral("\\\\-\\\\-((?:\\w|\\\\-)+)")))
        QVERIFY2(options.contains(named), qPrintable(named));
    // The version is the build's, not one written into the page.
    QVERIFY(page.contains(QStringLiteral("\"Vellomir " VELLOMIR_VERSION "\"")));
}

void TestDesktopFiles::projectMimeType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    const QString project = QStringLiteral("application/x-vellomir-project");
    QTest::newRow("project") << "holiday.vellomir" << project;
    QTest::newRow("any case") << "HOLIDAY.Vellomir" << project;
    QTest::newRow("dotted name") << "summer.2026.vellomir" << project;
    QTest::newRow("json beside") << "holiday.vellomir.json"
                                 << "application/json";
}

void TestDesktopFiles::projectMimeType()
{
    QFETCH(QString, name);
    QFETCH(QString, type);
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QCOMPARE(mime.name(), type);
    if (type.contains(QLatin1String("vellomir"))) {
        QVERIFY(mime.inherits(QStringLiteral("application/json")));
        QCOMPARE(mime.iconName(), appId);
    }
}

QTEST_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
