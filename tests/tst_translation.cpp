#include "translation.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

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
    {"MainWindow", "&File", "&Datei", "&Archivo", "&Файл"},
    {"MainWindow", "&Edit", "&Bearbeiten", "&Editar", "&Редактиране"},
    {"MainWindow", "&View", "&Ansicht", "&Ver", "&Изглед"},
    {"MainWindow", "&Help", "&Hilfe", "A&yuda", "&Помощ"},
    {"MainWindow", "&New Canvas...", "&Neuer Zeichenbereich...", "&Nuevo lienzo...",
     "&Ново платно..."},
    {"MainWindow", "Add &Folder...", "Foto&ordner hinzufügen...", "Agregar car&peta...",
     "Добавяне на &папки със снимки..."},
    {"MainWindow", "Add &Photo(s)...", "Fotos &hinzufügen...", "Agregar &fotos...",
     "&Добавяне на снимки..."},
    {"MainWindow", "&Save Collage As...", "&Collage speichern unter...", "Guardar co&llage como...",
     "Запиши ко&лажа като..."},
    {"MainWindow", "E&xit", "&Beenden", "&Salir", "&Изход"},
    {"MainWindow", "&About", "&Über Vellomir", "&Acerca de Vellomir", "&Относно Vellomir"},
    {"MainWindow", "About Vellomir", "Vellomir", "Vellomir", "Vellomir"},
    {"ProjectController", "No Recent Projects", "&Keine zuletzt geöffneten Projekte",
     "&No hay proyectos recientes", "&Няма скорошни проекти"},
    {"MainWindow", "Add folder", "Fotoordner hinzufügen", "Agregar Carpeta...",
     "Добавяне на папка"},
    {"MainWindow", "Add Photo(s)", "Fotos hinzufügen", "Agregar Fotos...", "Добавяне на снимки"},
    {"PhotoFilters", "Photos", "Fotos", "Fotos", "Снимки"},
    {"MainWindow", "Save Collage", "Speichern unter", "Guardar como...", "Запиши като"},
    {"MainWindow", "Add Photos", "Fotos hinzufügen", "Adición de fotos", "Добавяне на снимки"},
    {"CollageSession", "Add Photos", "Fotos hinzufügen", "Adición de fotos", "Добавяне на снимки"},
    {"CollageSession", "Remove Photo", "Foto entfernen", "Eliminación de foto",
     "Премахване на снимка"},
    {"CanvasSettings", "Background", "Hintergrundfarbe", "Fondo", "Фон"},
    {"CanvasSettings", "Frame", "Fotorahmen", "Marco de foto", "Рамка"},
    {"CanvasSettings", "Margin: %1 px", "Rand: %1 px", "Margen: %1 px", "Поле: %1 пкс"},
    {"SizeWidget", "Size", "Größe", "Tamaño", "Размери на платното"},
    {"SizeWidget", "Orientation", "Ausrichtung", "Orientación", "Ориентация"},
    {"SizeWidget", "Portrait", "Hochformat", "Vertical", "Портретна ориентация"},
    {"SizeWidget", "Landscape", "Querformat", "Horizontal", "Пейзажна ориентация"},
    {"SizeWidget", "Custom", "Benutzerdefiniert", "Personalizado", "По избор"},
    {"PaperSize", "in", "Zoll", "pulg.", "инча"},
    {"MainWindow", "Cannot write %1: %2", "%1 kann nicht geschrieben werden: %2",
     "No se puede escribir %1: %2", "%1 не може да бъде записан: %2"},
    {"CollageFile", "unsupported file type", "nicht unterstützter Dateityp",
     "tipo de archivo no admitido", "неподдържан тип файл"},
    {"MainWindow",
     "Cannot save %1: only JPEG (.jpg, .jpeg), PNG (.png) and PDF (.pdf) files are supported.",
     "%1 kann nicht gespeichert werden: nur JPEG- (.jpg, .jpeg), PNG- (.png) und PDF-Dateien "
     "(.pdf) werden unterstützt.",
     "No se puede guardar %1: solo se admiten archivos JPEG (.jpg, .jpeg), PNG (.png) y PDF "
     "(.pdf).",
     "%1 не може да бъде записан: поддържат се само файлове JPEG (.jpg, .jpeg), PNG (.png) и "
     "PDF (.pdf)."},
    {"CollageFile", "there is no image to save", "es gibt kein Bild zum Speichern",
     "no hay ninguna imagen que guardar", "няма изображение за записване"},
    // Shortcuts and filters stay as they are in every language.
    {"MainWindow", "Ctrl+N", "Ctrl+N", "Ctrl+N", "Ctrl+N"},
    {"MainWindow", "Ctrl+A", "Ctrl+A", "Ctrl+A", "Ctrl+A"},
    {"MainWindow", "Ctrl+S", "Ctrl+S", "Ctrl+S", "Ctrl+S"},
    {"MainWindow", "Ctrl+Q", "Ctrl+Q", "Ctrl+Q", "Ctrl+Q"},
    {"MainWindow", "Ctrl++", "Ctrl++", "Ctrl++", "Ctrl++"},
    {"MainWindow", "JPEG (*.jpg *.jpeg)", "JPEG (*.jpg *.jpeg)", "JPEG (*.jpg *.jpeg)",
     "JPEG (*.jpg *.jpeg)"},
    {"MainWindow", "PNG (*.png)", "PNG (*.png)", "PNG (*.png)", "PNG (*.png)"},
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
    void presetLabels_data();
    void presetLabels();
    void plurals_data();
    void plurals();
    void wholeCatalogue_data();
    void wholeCatalogue();
    void hiddenTexts_data();
    void hiddenTexts();
    void aboutText_data();
    void aboutText();

private:
    struct Message
    {
        QString context;
        QString source;
        bool numerus;
    };
    static QList<Message> messagesOf(const QString &tsFile);
    static QStringList placeholders(const QString &text);
    static int mnemonicCount(const QString &text);
};

static void addLanguages()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("German") << "de";
    QTest::newRow("Spanish") << "es";
    QTest::newRow("Bulgarian") << "bg";
}

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

void TestTranslation::presetLabels_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("de");
    QTest::addColumn<QString>("es");
    QTest::addColumn<QString>("bg");
    // German and Spanish write sizes as the source does; Bulgarian names its units.
    QTest::newRow("first") << " 800 x  600 px             "
                           << " 800 x  600 px             "
                           << " 800 x  600 px             " << QString::fromUtf8(" 800 x  600 пкс");
    QTest::newRow("9 x 13") << "1500 x 1051 px   (9 x 13)cm"
                            << "1500 x 1051 px   (9 x 13)cm"
                            << "1500 x 1051 px   (9 x 13)cm"
                            << QString::fromUtf8("1500 x 1051 пкс   (9 x 13)см");
    QTest::newRow("20 x 30") << "3602 x 2398 px  (20 x 30)cm"
                             << "3602 x 2398 px  (20 x 30)cm"
                             << "3602 x 2398 px  (20 x 30)cm"
                             << QString::fromUtf8("3602 x 2398 пкс  (20 x 30)см");
    QTest::newRow("last") << "5492 x 3602 px             "
                          << "5492 x 3602 px             "
                          << "5492 x 3602 px             " << QString::fromUtf8("5492 x 3602 пкс");
}

void TestTranslation::presetLabels()
{
    QFETCH(QString, label);
    QFETCH(QString, de);
    QFETCH(QString, es);
    QFETCH(QString, bg);
    const QByteArray source = label.toUtf8();
    for (const auto &[locale, expected] :
         {std::pair {"de", de}, std::pair {"es", es}, std::pair {"bg", bg}}) {
        QTranslator translator;
        QVERIFY(loadTranslation(translator, QLatin1String(locale)));
        QCOMPARE(translator.translate("SizeWidget", source.constData()), expected);
    }
}

void TestTranslation::plurals_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");
    QTest::newRow("German, one photo") << "de"
                                       << "%n photos" << 1 << "%n Foto";
    QTest::newRow("German, photos") << "de"
                                    << "%n photos" << 12 << "%n Fotos";
    QTest::newRow("German, one more")
        << "de" << QString::fromUtf8("…and %n more") << 1 << QString::fromUtf8("…und %n weiteres");
    QTest::newRow("Spanish, one file")
        << "es"
        << "%n files were not added:" << 1 << "No se ha agregado %n archivo:";
    QTest::newRow("Spanish, files")
        << "es"
        << "%n files were not added:" << 3 << "No se han agregado %n archivos:";
    QTest::newRow("Spanish, photos") << "es"
                                     << "%n photos" << 0 << "%n fotos";
    QTest::newRow("Bulgarian, one photo") << "bg"
                                          << "%n photos" << 1 << QString::fromUtf8("%n снимка");
    QTest::newRow("Bulgarian, photos") << "bg"
                                       << "%n photos" << 21 << QString::fromUtf8("%n снимки");
    QTest::newRow("Bulgarian, files")
        << "bg"
        << "%n files were not added:" << 2 << QString::fromUtf8("%n файла не бяха добавени:");
    QTest::newRow("Bulgarian, left out")
        << "bg"
        << "%n photos could not be decoded and were left out:" << 5
        << QString::fromUtf8("%n снимки не могат да бъдат декодирани и са пропуснати:");
}

void TestTranslation::plurals()
{
    QFETCH(QString, locale);
    QFETCH(QString, source);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QTranslator translator;
    QVERIFY(loadTranslation(translator, locale));
    QCOMPARE(translator.translate("MainWindow", source.toUtf8().constData(), nullptr, n), expected);
}

// Every message of a catalogue's source file, as lupdate and the hand-kept entries left it.
QList<TestTranslation::Message> TestTranslation::messagesOf(const QString &tsFile)
{
    QFile file(tsFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            const bool numerus
                = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
            messages.append({context, QString(), numerus});
        } else if (xml.name() == QLatin1String("source") && !messages.isEmpty()) {
            messages.last().source = xml.readElementText();
        }
    }
    return xml.hasError() ? QList<Message>() : messages;
}

QStringList TestTranslation::placeholders(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%(\\d+|n)|\\[\\*\\]"));
    QStringList found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

int TestTranslation::mnemonicCount(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            count += text.at(i + 1) != QLatin1Char('&');
            ++i;
        }
    }
    return count;
}

void TestTranslation::wholeCatalogue_data()
{
    addLanguages();
}

// The compiled catalogue translates every message it was made from, and keeps the
// placeholders and the mnemonic the program relies on.
void TestTranslation::wholeCatalogue()
{
    QFETCH(QString, locale);
    QTranslator translator;
    QVERIFY(loadTranslation(translator, locale));
    const QList<Message> messages = messagesOf(
        QStringLiteral(VELLOMIR_TEST_DATA "/../../resources/translations/vellomir_%1.ts")
            .arg(locale));
    QVERIFY(messages.size() > 100);
    for (const Message &message : messages) {
        const QByteArray context = message.context.toUtf8();
        const QByteArray source = message.source.toUtf8();
        for (const int n : message.numerus ? QList<int> {1, 2} : QList<int> {-1}) {
            const QString got
                = translator.translate(context.constData(), source.constData(), nullptr, n);
            const QString where
                = message.context + QLatin1Char('/') + message.source + QLatin1String(": ") + got;
            QVERIFY2(!got.isEmpty(), qPrintable(where + " untranslated"));
            QVERIFY2(placeholders(got) == placeholders(message.source),
                     qPrintable(where + " loses or adds a placeholder"));
            if (mnemonicCount(message.source) == 1)
                QVERIFY2(mnemonicCount(got) == 1, qPrintable(where + " needs one mnemonic"));
        }
    }
}

void TestTranslation::hiddenTexts_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    // Looked up through file-local helpers, where lupdate cannot name their context.
    for (const char *text :
         {"unsupported file type", "there is no image to save",
          "the file name is too long: saving first writes a temporary file whose name is %1 "
          "bytes longer, so the name may be at most %2 bytes",
          "No space left on device", "the file cannot be created", "Permission denied",
          "the finished file cannot take its name", "the file cannot be written"})
        QTest::newRow(text) << "CollageFile" << text;
    for (const char *text :
         {"not readable", "no such file", "not a regular file", "not a usable image",
          "%1 x %2 pixels, more than the %3 a side a collage takes",
          "a progressive JPEG of %1 x %2 pixels needs %3 MB to decode, more than the %4 MB a "
          "photo may take",
          "%1 x %2 pixels need %3 MB to decode, more than the %4 MB a photo may take",
          "needs %1 MB to decode"})
        QTest::newRow(text) << "PhotoLoader" << text;
}

void TestTranslation::hiddenTexts()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    for (const char *locale : {"de", "es", "bg"}) {
        QTranslator translator;
        QVERIFY(loadTranslation(translator, QLatin1String(locale)));
        const QString got
            = translator.translate(context.toUtf8().constData(), source.toUtf8().constData());
        QVERIFY2(!got.isEmpty() && got != source, locale);
        QCOMPARE(placeholders(got), placeholders(source));
    }
}

void TestTranslation::aboutText_data()
{
    addLanguages();
}

// Translated, with the version's place, the heading, the link and the copyright kept.
void TestTranslation::aboutText()
{
    QFETCH(QString, locale);
    const char *source
        = "<h3>Vellomir</h3><p>This program is a photo collage software. It allows you to "
          "create layouts quickly and  generate unique layout each time.</p>"
          "<p>version: %1</p>"
          "<p><a href=\"https://vellomir.org/\">vellomir.org</a></p>"
          "<p>Copyright &copy; 2026 Vellomir</p>";
    QTranslator translator;
    QVERIFY(loadTranslation(translator, locale));
    const QString got = translator.translate("QMessageBox", source);
    QVERIFY(!got.isEmpty());
    QVERIFY(got != QLatin1String(source));
    QVERIFY(got.startsWith(QLatin1String("<h3>Vellomir</h3><p>")));
    QVERIFY(got.endsWith(QLatin1String("<p><a href=\"https://vellomir.org/\">vellomir.org</a></p>"
                                       "<p>Copyright &copy; 2026 Vellomir</p>")));
    QCOMPARE(got.count(QLatin1String("%1")), 1);
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
