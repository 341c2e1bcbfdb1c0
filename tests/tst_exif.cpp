#include "exifreader.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

// Builders for the bytes of a JPEG header with an EXIF block, in either byte order.
struct Tiff
{
    bool le = true;

    QByteArray u16(quint32 v) const
    {
        QByteArray b(2, 0);
        if (le)
            qToLittleEndian<quint16>(quint16(v), b.data());
        else
            qToBigEndian<quint16>(quint16(v), b.data());
        return b;
    }
    QByteArray u32(quint32 v) const
    {
        QByteArray b(4, 0);
        if (le)
            qToLittleEndian<quint32>(v, b.data());
        else
            qToBigEndian<quint32>(v, b.data());
        return b;
    }
    QByteArray entry(int tag, int type, quint32 count, const QByteArray &value) const
    {
        return u16(tag) + u16(type) + u32(count) + value.leftJustified(4, '\0', true);
    }
    QByteArray ifd(const QList<QByteArray> &entries) const
    {
        QByteArray b = u16(quint32(entries.size()));
        for (const QByteArray &e : entries)
            b += e;
        return b + u32(0);
    }
    QByteArray header(quint32 firstOffset = 8) const
    {
        return QByteArray(le ? "II" : "MM") + u16(42) + u32(firstOffset);
    }
};

QByteArray segment(uchar marker, const QByteArray &payload)
{
    QByteArray b;
    b += char(0xFF);
    b += char(marker);
    const int length = int(payload.size()) + 2;
    b += char(length >> 8);
    b += char(length & 0xFF);
    return b + payload;
}

QByteArray app1(const QByteArray &tiff)
{
    return segment(0xE1, QByteArray("Exif\0\0", 6) + tiff);
}

QByteArray jpeg(const QByteArray &segments)
{
    return QByteArray("\xFF\xD8", 2) + segments + segment(0xDA, QByteArray(6, '\x01'));
}

const QByteArray app0 = segment(0xE0, QByteArray("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));

JpegScan scanOf(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ExifReader::scanJpeg(&buffer);
}

// A first directory holding only the orientation entry.
QByteArray simple(bool le, int type, quint32 count, const QByteArray &value,
                  const QByteArray &outside = QByteArray())
{
    Tiff t {le};
    return jpeg(app1(t.header() + t.ifd({t.entry(0x112, type, count, value)}) + outside));
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data, qint64 length = -1)
{
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(length < 0 ? data.size() : length), chunk.data());
    return chunk + type + data + QByteArray(4, '\0'); // the CRC is not read
}

QByteArray png(const QByteArray &chunks)
{
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", QByteArray(13, '\1')) + chunks
           + pngChunk("IEND", QByteArray());
}

QByteArray riffChunk(const QByteArray &fourcc, const QByteArray &data, qint64 length = -1)
{
    QByteArray chunk = fourcc + QByteArray(4, '\0') + data;
    qToLittleEndian(quint32(length < 0 ? data.size() : length), chunk.data() + 4);
    return data.size() % 2 ? chunk + '\0' : chunk;
}

QByteArray webp(const QByteArray &chunks)
{
    return QByteArray("RIFF\0\0\0\0WEBP", 12) + riffChunk("VP8X", QByteArray(10, '\0'))
           + riffChunk("VP8 ", QByteArray(30, '\x11')) + chunks;
}

// A bare TIFF block whose first directory holds the orientation as a SHORT.
QByteArray orientationBlock(bool le, int orientation)
{
    const Tiff t {le};
    return t.header() + t.ifd({t.entry(0x112, 3, 1, t.u16(orientation))});
}

QByteArray bigTiff(int orientation, int offsetSize = 8)
{
    QByteArray b("II+\0", 4);
    b += QByteArray(1, char(offsetSize)) + QByteArray(3, '\0');
    b += QByteArray("\x10\0\0\0\0\0\0\0", 8); // the first directory at 16
    b += QByteArray("\x01\0\0\0\0\0\0\0", 8); // one entry
    b += QByteArray("\x12\x01\x03\0\x01\0\0\0\0\0\0\0", 12) + char(orientation);
    return b + QByteArray(7 + 8, '\0');
}

} // namespace

class TestExif : public QObject
{
    Q_OBJECT

private slots:
    void orientationValues_data();
    void orientationValues();
    void twoOrientations();
    void twoExifBlocks_data();
    void twoExifBlocks();
    void directoryDepth_data();
    void directoryDepth();
    void offsetsOutsideTheBlock_data();
    void offsetsOutsideTheBlock();
    void refusedFiles_data();
    void refusedFiles();
    void containers_data();
    void containers();
    void filePath();
    void corpusReplay();
};

void TestExif::orientationValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");

    for (const bool le : {true, false}) {
        const Tiff t {le};
        const QByteArray order = le ? "II " : "MM ";
        // Values longer than four bytes sit right after the directory: 8 + 2 + 12 + 4.
        const quint32 after = 26;
        QTest::newRow(order + "SHORT 6") << simple(le, 3, 1, t.u16(6)) << 6;
        QTest::newRow(order + "LONG 8") << simple(le, 4, 1, t.u32(8)) << 8;
        QTest::newRow(order + "RATIONAL 6/1")
            << simple(le, 5, 1, t.u32(after), t.u32(6) + t.u32(1)) << 6;
        QTest::newRow(order + "RATIONAL 7/0") << simple(le, 5, 1, t.u32(after), t.u32(7)) << 0;
        QTest::newRow(order + "SRATIONAL -6/-1")
            << simple(le, 10, 1, t.u32(after), t.u32(quint32(-6)) + t.u32(quint32(-1))) << 6;
        QTest::newRow(order + "SHORT 0") << simple(le, 3, 1, t.u16(0)) << 0;
        QTest::newRow(order + "SHORT 12") << simple(le, 3, 1, t.u16(12)) << 0;
        QTest::newRow(order + "SSHORT -3") << simple(le, 8, 1, t.u16(quint16(-3))) << 0;
        QTest::newRow(order + "LONG 4e9") << simple(le, 4, 1, t.u32(4000000000u)) << 0;
        QTest::newRow(order + "ASCII") << simple(le, 2, 4, QByteArray("6\0\0\0", 4)) << 0;
        QTest::newRow(order + "UNDEFINED") << simple(le, 7, 1, QByteArray("\x06", 1)) << 0;
        QTest::newRow(order + "type 13 skipped") << simple(le, 13, 1, t.u16(6)) << 0;
        QTest::newRow(order + "count over 65536 skipped") << simple(le, 3, 65537, t.u16(6)) << 0;
        float f = 3.0f;
        quint32 bits;
        memcpy(&bits, &f, 4);
        QTest::newRow(order + "FLOAT 3") << simple(le, 11, 1, t.u32(bits)) << 3;
        const quint32 nanBits = 0x7FC00000;
        QTest::newRow(order + "FLOAT NaN") << simple(le, 11, 1, t.u32(nanBits)) << 0;
        double d = 5.0;
        quint64 dbits;
        memcpy(&dbits, &d, 8);
        const QByteArray dbytes = le ? t.u32(quint32(dbits)) + t.u32(quint32(dbits >> 32))
                                     : t.u32(quint32(dbits >> 32)) + t.u32(quint32(dbits));
        QTest::newRow(order + "DOUBLE 5") << simple(le, 12, 1, t.u32(after), dbytes) << 5;
        QTest::newRow(order + "after APP0")
            << jpeg(app0 + app1(t.header() + t.ifd({t.entry(0x112, 3, 1, t.u16(3))}))) << 3;
        // A RATIONAL whose count claims no value has nothing to read inside the entry either.
        QTest::newRow(order + "RATIONAL count 0") << simple(le, 5, 0, t.u32(6)) << 0;
    }
}

void TestExif::orientationValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    const JpegScan scan = scanOf(bytes);
    QCOMPARE(scan.orientation, expected);
    QVERIFY(scan.complete);
}

void TestExif::twoOrientations()
{
    for (const bool le : {true, false}) {
        const Tiff t {le};
        // First directory: orientation 6 then the EXIF pointer to a directory holding 8.
        const quint32 sub = 8 + 2 + 2 * 12 + 4;
        const QByteArray tiff
            = t.header()
              + t.ifd({t.entry(0x112, 3, 1, t.u16(6)), t.entry(0x8769, 4, 1, t.u32(sub))})
              + t.ifd({t.entry(0x112, 3, 1, t.u16(8))});
        QCOMPARE(scanOf(jpeg(app1(tiff))).orientation, 6);

        // Only in the sub-directory: found there.
        const quint32 sub2 = 8 + 2 + 12 + 4;
        const QByteArray tiff2 = t.header() + t.ifd({t.entry(0xA005, 4, 1, t.u32(sub2))})
                                 + t.ifd({t.entry(0x112, 3, 1, t.u16(8))});
        QCOMPARE(scanOf(jpeg(app1(tiff2))).orientation, 8);
    }
}

void TestExif::twoExifBlocks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");
    for (const bool le : {true, false}) {
        const Tiff t {le};
        const QByteArray order = le ? "II " : "MM ";
        const auto block = [&t](int orientation) {
            return app1(t.header() + t.ifd({t.entry(0x112, 3, 1, t.u16(quint32(orientation)))}));
        };
        const QByteArray none = app1(t.header() + t.ifd({t.entry(0x100, 3, 1, t.u16(640))}));
        QTest::newRow(order + "6 then 8") << jpeg(block(6) + block(8)) << 6;
        QTest::newRow(order + "8 then 1") << jpeg(block(8) + block(1)) << 8;
        QTest::newRow(order + "6, APP0, 3") << jpeg(block(6) + app0 + block(3)) << 6;
        // An unusable value still takes the first block's say.
        QTest::newRow(order + "12 then 6") << jpeg(block(12) + block(6)) << 0;
        // A block without the tag, or without a TIFF header, leaves it to the next.
        QTest::newRow(order + "none then 5") << jpeg(none + block(5)) << 5;
        QTest::newRow(order + "broken then 7")
            << jpeg(app1(QByteArray("XX*\0\x08\0\0\0", 8)) + block(7)) << 7;
    }
}

void TestExif::twoExifBlocks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    QCOMPARE(scanOf(bytes).orientation, expected);
}

void TestExif::directoryDepth_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("expected");
    QTest::newRow("orientation at level 4") << 4 << 5;
    QTest::newRow("orientation at level 5") << 5 << 0;
    QTest::newRow("orientation at level 9") << 9 << 0;
}

void TestExif::directoryDepth()
{
    QFETCH(int, levels);
    QFETCH(int, expected);
    const Tiff t {true};
    // A chain of EXIF pointers, each directory one entry long (18 bytes), ending in the tag.
    QByteArray tiff = t.header();
    for (int level = 0; level < levels; ++level)
        tiff += t.ifd({t.entry(0x8769, 4, 1, t.u32(quint32(8 + 18 * (level + 1))))});
    tiff += t.ifd({t.entry(0x112, 3, 1, t.u16(5))});
    QCOMPARE(scanOf(jpeg(app1(tiff))).orientation, expected);
}

void TestExif::offsetsOutsideTheBlock_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const Tiff t {true};
    QTest::newRow("value offset past the end") << simple(true, 5, 1, t.u32(4000));
    QTest::newRow("value offset wraps") << simple(true, 5, 1, t.u32(0xFFFFFFF8u));
    QTest::newRow("sub-directory past the end")
        << jpeg(app1(t.header() + t.ifd({t.entry(0x8769, 4, 1, t.u32(0x7FFFFFFF))})));
    QTest::newRow("sub-directory at the very end")
        << jpeg(app1(t.header() + t.ifd({t.entry(0x8769, 4, 1, t.u32(26))})));
    QTest::newRow("first offset too large") << jpeg(app1(t.header(5000) + t.ifd({})));
    QTest::newRow("first offset below 8")
        << jpeg(app1(t.header(2) + t.ifd({t.entry(0x112, 3, 1, t.u16(6))})));
    // The directory claims 40 entries; the block holds one, and nothing past it is read.
    QTest::newRow("count past the block")
        << jpeg(app1(t.header() + t.u16(40) + t.entry(0x100, 3, 1, t.u16(1))));
    QTest::newRow("header cut short") << jpeg(app1(QByteArray("II*\0", 4)));
    QTest::newRow("no byte order") << jpeg(app1(QByteArray("XX*\0\x08\0\0\0", 8) + t.ifd({})));
    // Every entry points back at its own directory; the walk must end quickly.
    QList<QByteArray> loops;
    for (int i = 0; i < 4000; ++i)
        loops << t.entry(0x8769, 4, 1, t.u32(8));
    QTest::newRow("self-referencing directories") << jpeg(app1(t.header() + t.ifd(loops)));
}

void TestExif::offsetsOutsideTheBlock()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(scanOf(bytes).orientation, 0);
}

void TestExif::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only SOI") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("PNG signature") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    QTest::newRow("EOI before SOS") << QByteArray("\xFF\xD8\xFF\xD9", 4);
    QTest::newRow("length below 2") << QByteArray("\xFF\xD8\xFF\xE0\x00\x01", 6);
    QTest::newRow("empty payload") << QByteArray("\xFF\xD8\xFF\xE0\x00\x02", 6);
    QTest::newRow("truncated payload") << QByteArray("\xFF\xD8\xFF\xE1\x00\x40"
                                                     "Exif\0\0II",
                                                     14);
    QTest::newRow("only fill bytes") << QByteArray("\xFF\xD8", 2) + QByteArray(1000, '\xFF');
}

void TestExif::refusedFiles()
{
    QFETCH(QByteArray, bytes);
    const JpegScan scan = scanOf(bytes);
    QCOMPARE(scan.orientation, 0);
    QVERIFY(!scan.complete);
}

void TestExif::containers_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("orientation");
    const QByteArray idat = pngChunk("IDAT", QByteArray(50, '\x22'));
    const QByteArray six = orientationBlock(true, 6);
    QTest::newRow("PNG eXIf before the data") << "png" << png(pngChunk("eXIf", six) + idat) << 6;
    QTest::newRow("PNG eXIf after the data")
        << "png" << png(idat + pngChunk("eXIf", orientationBlock(false, 3))) << 3;
    QTest::newRow("PNG eXIf with the JPEG prefix")
        << "png" << png(pngChunk("eXIf", QByteArray("Exif\0\0", 6) + orientationBlock(false, 8)))
        << 8;
    QTest::newRow("PNG without eXIf") << "png" << png(idat) << 0;
    QTest::newRow("PNG eXIf after IEND") << "png" << png(idat) + pngChunk("eXIf", six) << 0;
    QTest::newRow("PNG chunk of over 2 GB first")
        << "png" << png(pngChunk("tEXt", "x", 0x80000000u) + pngChunk("eXIf", six)) << 0;
    QTest::newRow("PNG eXIf cut short")
        << "png" << png(QByteArray()).left(33) + pngChunk("eXIf", six).left(20) << 0;
    QByteArray manyChunks;
    for (int i = 0; i < ExifReader::chunkBudget; ++i)
        manyChunks += pngChunk("tEXt", QByteArray());
    QTest::newRow("PNG eXIf past the chunk budget")
        << "png" << png(manyChunks + pngChunk("eXIf", six)) << 0;
    QTest::newRow("PNG signature damaged") << "png"
                                           << "\x89PNX" + png(pngChunk("eXIf", six)).mid(4) << 0;

    QTest::newRow("WebP EXIF after the image") << "webp" << webp(riffChunk("EXIF", six)) << 6;
    QTest::newRow("WebP odd chunk before EXIF")
        << "webp"
        << webp(riffChunk("ICCP", "abcde") + riffChunk("EXIF", orientationBlock(false, 7))) << 7;
    QTest::newRow("WebP EXIF with the JPEG prefix")
        << "webp" << webp(riffChunk("EXIF", QByteArray("Exif\0\0", 6) + orientationBlock(true, 5)))
        << 5;
    QTest::newRow("WebP without EXIF") << "webp" << webp(QByteArray()) << 0;
    QTest::newRow("WebP chunk of 4 GB first")
        << "webp" << webp(riffChunk("XMP ", "x", 0xFFFFFFF0u) + riffChunk("EXIF", six)) << 0;
    QTest::newRow("WebP EXIF claims 4 GB")
        << "webp" << webp(riffChunk("EXIF", six, 0xFFFFFFF0u)) << 6;
    QTest::newRow("RIFF of another kind")
        << "webp" << QByteArray("RIFF\0\0\0\0WAVE", 12) + riffChunk("EXIF", six) << 0;

    const Tiff le {true};
    const Tiff be {false};
    QTest::newRow("TIFF little-endian") << "tiff" << orientationBlock(true, 6) << 6;
    QTest::newRow("TIFF big-endian") << "tiff" << orientationBlock(false, 8) << 8;
    QTest::newRow("TIFF orientation as LONG")
        << "tiff" << le.header() + le.ifd({le.entry(0x112, 4, 1, le.u32(3))}) << 3;
    QTest::newRow("TIFF orientation as BYTE")
        << "tiff" << be.header() + be.ifd({be.entry(0x112, 1, 1, QByteArray(1, '\2'))}) << 2;
    QTest::newRow("TIFF orientation 9") << "tiff" << orientationBlock(true, 9) << 0;
    QTest::newRow("TIFF orientation 0") << "tiff" << orientationBlock(true, 0) << 0;
    QTest::newRow("TIFF after other tags")
        << "tiff"
        << le.header()
               + le.ifd({le.entry(256, 3, 1, le.u16(10)), le.entry(257, 3, 1, le.u16(10)),
                         le.entry(0x112, 3, 1, le.u16(4))})
        << 4;
    QTest::newRow("TIFF directory past the end")
        << "tiff" << le.header(4000) + le.ifd({le.entry(0x112, 3, 1, le.u16(6))}) << 0;
    QTest::newRow("TIFF directory inside the header") << "tiff" << le.header(2) << 0;
    QByteArray countTooLarge = orientationBlock(true, 6);
    qToLittleEndian(quint16(0xFFFF), countTooLarge.data() + 8);
    QTest::newRow("TIFF directory claims 65535 entries") << "tiff" << countTooLarge << 6;
    // Only the first page's orientation counts.
    QTest::newRow("TIFF orientation on the second page")
        << "tiff"
        << le.header() + le.u16(1) + le.entry(256, 3, 1, le.u16(10)) + le.u32(26)
               + le.ifd({le.entry(0x112, 3, 1, le.u16(6))})
        << 0;
    QTest::newRow("BigTIFF") << "tiff" << bigTiff(6) << 6;
    QTest::newRow("BigTIFF with 4-byte offsets") << "tiff" << bigTiff(6, 4) << 0;
    QTest::newRow("TIFF header alone") << "tiff" << le.header() << 0;
    QTest::newRow("not a TIFF") << "tiff" << QByteArray("XX*\0\x08\0\0\0", 8) << 0;
}

// The orientation where PNG, WebP and TIFF files carry it, found by walking the container
// within its bounds however it lies about its sizes.
void TestExif::containers()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, bytes);
    QFETCH(int, orientation);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    if (format == "png")
        QCOMPARE(ExifReader::pngOrientation(&buffer), orientation);
    else if (format == "webp")
        QCOMPARE(ExifReader::webpOrientation(&buffer), orientation);
    else
        QCOMPARE(ExifReader::tiffOrientation(&buffer), orientation);
}

void TestExif::filePath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!ExifReader::readOrientation(dir.filePath("missing.jpg")));

    QFile file(dir.filePath("six.jpg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(simple(false, 3, 1, Tiff {false}.u16(6)));
    file.close();
    const Result<int> read = ExifReader::readOrientation(file.fileName());
    QVERIFY(read);
    QCOMPARE(*read, 6);
}

// The fuzzer's corpus, including every input that once crashed the reader.
void TestExif::corpusReplay()
{
    const QFileInfoList files = QDir(VELLOMIR_FUZZ_CORPUS).entryInfoList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QFileInfo &info : files) {
        QFile file(info.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const int orientation = ExifReader::readOrientation(&file);
        QVERIFY2(orientation >= 0 && orientation <= 8, qPrintable(info.fileName()));
        QVERIFY(file.seek(0));
        const std::optional<QByteArray> preview = ExifReader::jpegThumbnail(&file);
        QVERIFY2(!preview || (preview->size() >= 4 && preview->size() < file.size()),
                 qPrintable(info.fileName()));
    }
}

QTEST_GUILESS_MAIN(TestExif)
#include "tst_exif.moc"
