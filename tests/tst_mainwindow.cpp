#include "canvasscene.h"
#include "canvasview.h"
#include "mainwindow.h"
#include "rightwidget.h"
#include "settingsstore.h"
#include "translation.h"
#include "windowparts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTranslator>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void title();
    void fileMenu();
    void helpMenu();
    void contentAtStart();
    void aboutBox_data();
    void aboutBox();
    void settingsDefaults();
    void settingsRoundTrip();

private:
    static QStringList menuTexts(QMenu *menu);
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setApplicationIdentity();
}

void TestMainWindow::init()
{
    QSettings().clear();
}

void TestMainWindow::title()
{
    QCOMPARE(applicationTitle(), QStringLiteral("Vellomir 0.1.03"));
}

QStringList TestMainWindow::menuTexts(QMenu *menu)
{
    QStringList texts;
    const auto actions = menu->actions();
    for (QAction *action : actions)
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

void TestMainWindow::fileMenu()
{
    MainWindow window;
    const auto menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 4);
    QCOMPARE(menus.at(0)->text(), QStringLiteral("&File"));
    QCOMPARE(menus.at(1)->text(), QStringLiteral("&Edit"));
    QCOMPARE(menus.at(2)->text(), QStringLiteral("&View"));
    QCOMPARE(menus.at(3)->text(), QStringLiteral("&Help"));
    QCOMPARE(menuTexts(parts::menu(window, "&View")),
             QStringList({"Zoom &In", "Zoom &Out", "|", "&Fit", "&Actual Size"}));
    const auto shortcut = [&window](const char *text) {
        QAction *action = parts::action(window, QString::fromUtf8(text));
        return action ? action->shortcut() : QKeySequence(QStringLiteral("missing"));
    };
    QCOMPARE(shortcut("&Fit"), QKeySequence(QStringLiteral("Ctrl+0")));
    QCOMPARE(shortcut("&Actual Size"), QKeySequence(QStringLiteral("Ctrl+1")));
    QCOMPARE(shortcut("Zoom &In"), QKeySequence(QStringLiteral("Ctrl++")));
    QCOMPARE(shortcut("Zoom &Out"), QKeySequence(QStringLiteral("Ctrl+-")));

    QCOMPARE(menuTexts(parts::menu(window, "&File")),
             QStringList({"&New Canvas...", "Canvas Si&ze...", "&Open Project...", "Open &Recent",
                          "|", "Add &Folder...", "Add &Photo(s)...", "|", "Save Pro&ject",
                          "Save Project &As...", "&Save Collage As...", "&Export PDF...", "|",
                          "Print Pre&view...", "&Print...", "|", "E&xit"}));
    QCOMPARE(shortcut("&Print..."), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(shortcut("&Open Project..."), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(shortcut("Save Pro&ject"), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    QCOMPARE(shortcut("&New Canvas..."), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(shortcut("Add &Photo(s)..."), QKeySequence(QStringLiteral("Ctrl+A")));
    QCOMPARE(shortcut("&Save Collage As..."), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(shortcut("E&xit"), QKeySequence(QStringLiteral("Ctrl+Q")));
    QVERIFY(shortcut("Add &Folder...").isEmpty());

    QVERIFY(!parts::action(window, "&Save Collage As...")->isEnabled());
    QVERIFY(parts::action(window, "E&xit")->isEnabled());
    QVERIFY(parts::action(window, "&About")->isEnabled());
    QVERIFY(parts::action(window, "&New Canvas...")->isEnabled());
}

void TestMainWindow::helpMenu()
{
    MainWindow window;
    QCOMPARE(menuTexts(parts::menu(window, "&Help")), QStringList({"&About"}));
}

void TestMainWindow::contentAtStart()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage canvas = window.canvasScene()->renderCanvas();
    QCOMPARE(canvas.size(), QSize(800, 600));
    QCOMPARE(canvas.pixel(400, 300), qRgb(255, 255, 255));

    // only the view takes up a change of the window's width
    CanvasView *view = window.canvasView();
    RightWidget *right = parts::panel(window);
    QVERIFY(right);
    const int panel = right->width();
    const int viewWidth = view->width();
    window.resize(window.width() + 200, window.height());
    QTRY_COMPARE(view->width(), viewWidth + 200);
    QCOMPARE(right->width(), panel);
    QCOMPARE(view->geometry().right() + 1, right->geometry().left());
}

void TestMainWindow::aboutBox_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("opening"); // the text up to the version
    QTest::newRow("English") << "en_US"
                             << "About Vellomir"
                             << "<h3>Vellomir</h3><p>This program is a photo collage software. It "
                                "allows you to create layouts quickly and  generate unique layout "
                                "each time.</p><p>version: 0.1.03</p>";
    QTest::newRow("German") << "de_DE"
                            << "Vellomir"
                            << QString::fromUtf8(
                                   "<h3>Vellomir</h3><p>Dieses Programm gestaltet "
                                   "Fotocollagen. Es entwirft Layouts im Handumdrehen "
                                   "und erzeugt jedes Mal ein neues, einzigartiges "
                                   "Layout.</p><p>Version: 0.1.03</p>");
    QTest::newRow("Bulgarian") << "bg_BG"
                               << "Vellomir"
                               << QString::fromUtf8(
                                      "<h3>Vellomir</h3><p>Тази програма създава "
                                      "фотоколажи. С нея бързо подреждате снимките, а "
                                      "всяка подредба е неповторима.</p><p>версия: "
                                      "0.1.03</p>");
}

void TestMainWindow::aboutBox()
{
    QFETCH(QString, locale);
    QFETCH(QString, boxTitle);
    QFETCH(QString, opening);
    QTranslator translator;
    (void)loadTranslation(translator, locale);
    QCoreApplication::installTranslator(&translator);

    MainWindow window;
    QString title, text;
    bool hasIcon = false;
    // The box is modal: inspect and close it from inside its own event loop.
    QTimer::singleShot(0, &window, [&] {
        auto *box = window.findChild<QMessageBox *>();
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        hasIcon = !box->iconPixmap().isNull();
        box->close();
    });
    // Help's only entry, whatever the language calls it
    window.menuBar()->actions().last()->menu()->actions().first()->trigger();
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(title, boxTitle);
    // English without a catalogue, translated with one
    QVERIFY2(text.startsWith(opening), qPrintable(text));
    QVERIFY(hasIcon);
}

void TestMainWindow::settingsDefaults()
{
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    // Never the name of a folder that is not there, typed into the dialog's name field.
    if (!QFileInfo(pictures).isDir())
        pictures = QDir::homePath();
    MainWindow window;
    // Room for the 800 x 600 canvas at 100 % beside the panel, as far as the screen allows.
    const QSize room = window.screen()->availableGeometry().size();
    QCOMPARE(window.size(), QSize(1080, 740).boundedTo(room));
    // At 200, 200 unless that would push it off the screen.
    const QRect area = window.screen()->availableGeometry();
    QCOMPARE(window.pos(), QPoint(qBound(area.left(), 200, area.right() + 1 - window.width()),
                                  qBound(area.top(), 200, area.bottom() + 1 - window.height())));
    const SettingsStore store;
    QCOMPARE(store.openDir(), pictures);
    QCOMPARE(store.saveDir(), pictures);
}

void TestMainWindow::settingsRoundTrip()
{
    {
        MainWindow window;
        window.resize(900, 700);
        window.move(40, 60);
        SettingsStore store;
        store.setOpenDir(QStringLiteral("/photos/first.jpg"));
        store.setSaveDir(QStringLiteral("/out/collage.jpg"));
        window.close();
    }
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    QCOMPARE(settings.value("size").toSize(), QSize(900, 700));
    QCOMPARE(settings.value("pos").toPoint(), QPoint(40, 60));
    settings.endGroup();

    MainWindow again;
    QCOMPARE(again.size(), QSize(900, 700));
    QCOMPARE(again.pos(), QPoint(40, 60));
    const SettingsStore store;
    QCOMPARE(store.openDir(), QStringLiteral("/photos/first.jpg"));
    QCOMPARE(store.saveDir(), QStringLiteral("/out/collage.jpg"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
