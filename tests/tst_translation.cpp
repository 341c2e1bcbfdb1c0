#include "translation.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

// Every row the catalogues must carry: context, source, German, Spanish, Bulgarian.
struct Row
{
    const char *context;
    const char *source;
    const char *de;
    const char *es;
    const char *bg;
};

static const Row rows[] = {
    {"MainWindow", "&File", "Datei", "Archivo", "Файл"},
    {"MainWindow", "&Help", "Hilfe", "Ayuda", "Помощ"},
    {"MainWindow", "&New Canvas...", "Neuer Zeichenbereich...", "Nuevo Lienzo...",
     "Ново платно..."},
    {"MainWindow", "Add &Folder...", "Fotoordner hinzufügen...", "Agregar carpeta...",
     "Добавяне на папки със снимки..."},
    {"MainWindow", "Add &Photo(s)...", "Fotos hinzufügen...", "Agregar fotos...",
     "Добавяне на снимки..."},
    {"MainWindow", "&Save Collage As...", "Speichern unter...", "Guardar como...",
     "Запиши като..."},
    {"MainWindow", "E&xit", "Beenden", "Salir", "Изход"},
    {"MainWindow", "&About", "Vellomir", "Vellomir", "Vellomir"},
    {"MainWindow", "About Vellomir", "Vellomir", "Vellomir", "Vellomir"},
    {"MainWindow", "Add folder", "Fotoordner hinzufügen", "Agregar Carpeta...",
     "Добавяне на папка"},
    {"MainWindow", "Add Photo(s)", "Fotos hinzufügen", "Agregar Fotos...", "Добавяне на снимки"},
    {"MainWindow", "Photos (*.jpg *.jpeg)", "Fotos (*.jpg *.jpeg)", "Fotos (*.jpg *.jpeg)",
     "Снимки (*.jpg *.jpeg)"},
    {"MainWindow", "Save Collage", "Speichern unter", "Guardar como...", "Запиши като"},
    {"CanvasSettings", "Background", "Hintergrundfarbe", "Fondo", "Фон"},
    {"CanvasSettings", "Frame", "Fotorahmen", "Marco de foto", "Рамка"},
    {"SizeWidget", "Size", "Größe", "Tamaño", "Размери на платното"},
    {"SizeWidget", "Orientation", "Ausrichtung", "Orientación", "Ориентация"},
    {"SizeWidget", "Portrait", "Hochformat", "Vertical", "Портретна ориентация"},
    {"SizeWidget", "Landscape", "Querformat", "Horizontal", "Пейзажна ориентация"},
    {"MainWindow", "Cannot write %1: %2", "%1 kann nicht geschrieben werden: %2",
     "No se puede escribir %1: %2", "%1 не може да бъде записан: %2"},
    {"MainWindow", "unsupported file type", "nicht unterstützter Dateityp",
     "tipo de archivo no admitido", "неподдържан тип файл"},
    {"MainWindow", "Cannot save %1: only JPEG (.jpg, .jpeg) and PNG (.png) files are supported.",
     "%1 kann nicht gespeichert werden: nur JPEG- (.jpg, .jpeg) und PNG-Dateien (.png) werden "
     "unterstützt.",
     "No se puede guardar %1: solo se admiten archivos JPEG (.jpg, .jpeg) y PNG (.png).",
     "%1 не може да бъде записан: поддържат се само файлове JPEG (.jpg, .jpeg) и PNG (.png)."},
    {"MainWindow", "there is no image to save", "es gibt kein Bild zum Speichern",
     "no hay ninguna imagen que guardar", "няма изображение за записване"},
    // Shortcuts and filters stay as they are in every language.
    {"MainWindow", "Ctrl+N", "Ctrl+N", "Ctrl+N", "Ctrl+N"},
    {"MainWindow", "Ctrl+A", "Ctrl+A", "Ctrl+A", "Ctrl+A"},
    {"MainWindow", "Ctrl+S", "Ctrl+S", "Ctrl+S", "Ctrl+S"},
    {"MainWindow", "Ctrl+Q", "Ctrl+Q", "Ctrl+Q", "Ctrl+Q"},
    {"MainWindow", "(*.jpg)", "(*.jpg)", "(*.jpg)", "(*.jpg)"},
    {"MainWindow", "&Undo", "&Rückgängig", "&Deshacer", "&Отмени"},
    {"MainWindow", "Ctrl+Shift+Z", "Ctrl+Shift+Z", "Ctrl+Shift+Z", "Ctrl+Shift+Z"},
};

class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void catalogueChoice_data();
    void catalogueChoice();
    void everyRowTranslated_data();
    void everyRowTranslated();
    void presetLabels();
};

void TestTranslation::catalogueChoice_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("file"); // empty: no catalogue, English

    QTest::newRow("de_AT") << "de_AT"
                           << ":/translations/vellomir_de.qm";
    QTest::newRow("de_DE") << "de_DE"
                           << ":/translations/vellomir_de.qm";
    QTest::newRow("es_MX") << "es_MX"
                           << ":/translations/vellomir_es.qm";
    QTest::newRow("bg_BG") << "bg_BG"
                           << ":/translations/vellomir_bg.qm";
    QTest::newRow("fr_FR") << "fr_FR"
                           << "";
    QTest::newRow("en_US") << "en_US"
                           << "";
    QTest::newRow("C") << "C"
                       << "";
}

void TestTranslation::catalogueChoice()
{
    QFETCH(QString, locale);
    QFETCH(QString, file);
    QTranslator translator;
    const bool loaded = loadTranslation(translator, locale);
    QCOMPARE(loaded, !file.isEmpty());
    QCOMPARE(translator.filePath(), file);
    if (!loaded)
        QVERIFY(translator.translate("MainWindow", "&File").isEmpty());
}

void TestTranslation::everyRowTranslated_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("column");
    QTest::newRow("German") << "de_DE" << 0;
    QTest::newRow("Spanish") << "es_ES" << 1;
    QTest::newRow("Bulgarian") << "bg_BG" << 2;
}

void TestTranslation::everyRowTranslated()
{
    QFETCH(QString, locale);
    QFETCH(int, column);
    QTranslator translator;
    QVERIFY(loadTranslation(translator, locale));
    for (const Row &row : rows) {
        const char *expected = column == 0 ? row.de : column == 1 ? row.es : row.bg;
        const QString got = translator.translate(row.context, row.source);
        QVERIFY2(got == QString::fromUtf8(expected),
                 qPrintable(QStringLiteral("%1/%2: got \"%3\"")
                                .arg(QLatin1String(row.context), QLatin1String(row.source), got)));
    }
}

void TestTranslation::presetLabels()
{
    const char *first = " 800 x  600 px             ";
    const char *last = "5492 x 3602 px             ";
    QTranslator de, es, bg;
    QVERIFY(loadTranslation(de, QStringLiteral("de")));
    QVERIFY(loadTranslation(es, QStringLiteral("es")));
    QVERIFY(loadTranslation(bg, QStringLiteral("bg")));
    // German shows the source labels; Spanish keeps the first two; Bulgarian has all.
    QVERIFY(de.translate("SizeWidget", first).isEmpty());
    QCOMPARE(es.translate("SizeWidget", first), QString::fromLatin1(first));
    QVERIFY(es.translate("SizeWidget", last).isEmpty());
    QCOMPARE(bg.translate("SizeWidget", first), QString::fromUtf8(" 800 x  600 пкс"));
    QCOMPARE(bg.translate("SizeWidget", "3602 x 2398 px  (20 x 30)cm"),
             QString::fromUtf8("3602 x 2398 пкс  (20 x 30)см"));
    QCOMPARE(bg.translate("SizeWidget", last), QString::fromUtf8("5492 x 3602 пкс"));
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
