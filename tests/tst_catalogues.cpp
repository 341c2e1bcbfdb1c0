#include "canvasview.h"
#include "mainwindow.h"
#include "translation.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QUrl>

// The compiled catalogues as the window shows them: every menu of the menu bar, its
// submenus and the tile's context menu, walked in a real MainWindow.
class TestCatalogues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void menus_data();
    void menus();

private:
    struct Menu
    {
        QString name;
        QStringList entries;
    };
    static QList<Menu> walk(const QString &photo);
    static QList<Menu> walkMenu(const QString &name, const QMenu *menu);
    static QStringList mnemonics(const QString &text);

    QTemporaryDir dir;
};

void TestCatalogues::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setApplicationIdentity();
    QVERIFY(dir.isValid());
}

void TestCatalogues::init()
{
    QSettings().clear();
}

// The letters a menu text underlines; "&&" is a literal ampersand.
QStringList TestCatalogues::mnemonics(const QString &text)
{
    QStringList letters;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            letters << text.at(i + 1).toLower();
        ++i;
    }
    return letters;
}

// The menu's entries, followed by those of its submenus.
QList<TestCatalogues::Menu> TestCatalogues::walkMenu(const QString &name, const QMenu *menu)
{
    QList<Menu> walked {{name, {}}};
    const auto actions = menu->actions();
    for (const QAction *action : actions) {
        if (action->isSeparator())
            continue;
        walked.first().entries << action->text();
        // A submenu filled as it opens, like Open Recent, is filled first.
        if (action->menu())
            emit action->menu()->aboutToShow();
        if (action->menu())
            walked << walkMenu(name + QLatin1String(" > ")
                                   + QString(action->text()).remove(QLatin1Char('&')),
                               action->menu());
    }
    return walked;
}

// A window with one photo laid out, so that Undo names its step and a tile has its menu.
// Empty when the window never got there.
QList<TestCatalogues::Menu> TestCatalogues::walk(const QString &photo)
{
    QSettings().clear();
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return {};

    QAction *undo = nullptr;
    const auto bar = window.menuBar()->actions();
    for (const QAction *title : bar) {
        const auto entries = title->menu()->actions();
        for (QAction *entry : entries) {
            if (entry->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Z))
                undo = entry;
        }
    }
    auto *view = window.findChild<CanvasView *>();
    if (!undo || !view)
        return {};
    QSignalSpy enabled(undo, &QAction::enabledChanged);
    emit view->urlsAdded({QUrl::fromLocalFile(photo)});
    while (!undo->isEnabled()) {
        if (!enabled.wait(30000))
            return {};
    }

    QList<Menu> menus {{QStringLiteral("menu bar"), {}}};
    for (const QAction *title : bar) {
        menus.first().entries << title->text();
        menus << walkMenu(QString(title->text()).remove(QLatin1Char('&')), title->menu());
    }

    // The only photo fills the canvas, so its centre is on its tile.
    const auto before = window.findChildren<QMenu *>(Qt::FindDirectChildrenOnly);
    emit view->contextMenuAt(QPointF(400, 300), QPoint(10, 10));
    QMenu *tile = nullptr;
    for (QMenu *menu : window.findChildren<QMenu *>(Qt::FindDirectChildrenOnly)) {
        if (!before.contains(menu))
            tile = menu;
    }
    if (!tile)
        return {};
    menus << walkMenu(QStringLiteral("tile"), tile);
    tile->close();
    return menus;
}

void TestCatalogues::menus_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("German") << "de_DE";
    QTest::newRow("Spanish") << "es_ES";
    QTest::newRow("Bulgarian") << "bg_BG";
}

// Each entry has exactly one mnemonic, no two entries of a menu share one, and no entry
// is left in English.
void TestCatalogues::menus()
{
    QFETCH(QString, locale);
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString photo = dir.filePath(QStringLiteral("tile.jpg"));
    QVERIFY(image.save(photo, "JPG"));

    const QList<Menu> english = walk(photo);
    QVERIFY(!english.isEmpty());

    QTranslator translator;
    QVERIFY(loadTranslation(translator, locale));
    QCoreApplication::installTranslator(&translator);
    const auto removeTranslator
        = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
    const QList<Menu> translated = walk(photo);
    QCOMPARE(translated.size(), english.size());

    for (qsizetype m = 0; m < translated.size(); ++m) {
        const Menu &menu = translated.at(m);
        const QString where = english.at(m).name;
        QCOMPARE(menu.entries.size(), english.at(m).entries.size());
        QVERIFY2(!menu.entries.isEmpty(), qPrintable(where));
        QSet<QString> taken;
        for (qsizetype i = 0; i < menu.entries.size(); ++i) {
            const QString &text = menu.entries.at(i);
            const QString entry = where + QLatin1String(": ") + text;
            QVERIFY2(text != english.at(m).entries.at(i), qPrintable(entry + " is English"));
            const QStringList letters = mnemonics(text);
            QVERIFY2(letters.size() == 1, qPrintable(entry + " needs exactly one mnemonic"));
            QVERIFY2(!taken.contains(letters.first()),
                     qPrintable(entry + " repeats the mnemonic " + letters.first()));
            taken << letters.first();
        }
    }
}

QTEST_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
