#include "collagefile.h"

#include "collagepdf.h"
#include "papersize.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const double inchesPerMeter = 1.0 / 0.0254;
// QSaveFile writes to the final name followed by ".XXXXXX" and renames when done.
const int temporarySuffixLength = 7;

// The window shows these words, so they live with its texts in the catalogues.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(CollageFile)
};

// Passes the encoded bytes on to the file, and once the file has failed, swallows the rest:
// the image writers are left to finish (Qt's JPEG writer loses memory when its device fails
// mid-image), and the file keeps the reason for the failure.
class Relay : public QIODevice
{
public:
    explicit Relay(QIODevice &target)
        : target(target)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool failed() const { return targetFailed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        // A write the system cuts short gives no reason; the rest is written again, so that
        // the write that takes nothing fails with the system's words.
        for (qint64 done = 0; !targetFailed && done < length;) {
            const qint64 written = target.write(data + done, length - done);
            targetFailed = written <= 0;
            done += std::max<qint64>(written, 0);
        }
        return length;
    }

private:
    QIODevice &target;
    bool targetFailed = false;
};

// JPEG has no alpha: whatever is not opaque is laid onto white, as on paper.
void flattenOntoWhite(QImage &image)
{
    if (!image.hasAlphaChannel())
        return;
    image.convertTo(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const uint a = qAlpha(p);
            if (a == 255)
                continue;
            const auto onWhite = [a](uint c) { return int((c * a + 255 * (255 - a) + 127) / 255); };
            line[x] = qRgb(onWhite(qRed(p)), onWhite(qGreen(p)), onWhite(qBlue(p)));
        }
    }
    image.convertTo(QImage::Format_RGB32);
}

Result<void> writable(const QImage &image, CollageFormat format)
{
    if (format == CollageFormat::Unsupported)
        return Failure {Words::tr("unsupported file type")};
    if (image.isNull())
        return Failure {Words::tr("there is no image to save")};
    return {};
}

// Words for a name that fits the folder but leaves no room for the temporary file's
// suffix. Such a save fails only where a temporary name is needed: on file systems without
// unnamed temporary files, and when an existing file is replaced.
Result<void> temporaryNameFits(const QString &fileName)
{
    const QFileInfo info(fileName);
    const qsizetype length = QFile::encodeName(info.fileName()).size();
    long max = pathconf(QFile::encodeName(info.absolutePath()).constData(), _PC_NAME_MAX);
    if (max <= 0)
        max = 255;
    if (length > max || length + temporarySuffixLength <= max)
        return {};
    return Failure {Words::tr("the file name is too long: saving first writes a temporary file "
                              "whose name is %1 bytes longer, so the name may be at most %2 bytes")
                        .arg(temporarySuffixLength)
                        .arg(max - temporarySuffixLength)};
}

} // namespace

CollageFormat completeCollageName(QString &fileName)
{
    const QFileInfo info(fileName);
    QString suffix = info.suffix();
    if (!info.fileName().contains(QLatin1Char('.'))) {
        fileName += QStringLiteral(".jpg");
        suffix = QStringLiteral("jpg");
    }
    suffix = suffix.toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return CollageFormat::Jpeg;
    if (suffix == QLatin1String("png"))
        return CollageFormat::Png;
    if (suffix == QLatin1String("pdf"))
        return CollageFormat::Pdf;
    return CollageFormat::Unsupported;
}

QString fileFailureReason(QFileDevice::FileError error, const QString &systemReason)
{
    // Qt says "Unknown error" where it had no system reason to give.
    if (!systemReason.isEmpty() && systemReason != QLatin1String("Unknown error"))
        return systemReason;
    switch (error) {
    case QFileDevice::ResourceError:
        return Words::tr("No space left on device");
    case QFileDevice::OpenError:
        return Words::tr("the file cannot be created");
    case QFileDevice::PermissionsError:
        return Words::tr("Permission denied");
    case QFileDevice::RenameError:
        return Words::tr("the finished file cannot take its name");
    default:
        return Words::tr("the file cannot be written");
    }
}

QString saveFailureReason(const QSaveFile &file)
{
    if (const Result<void> fits = temporaryNameFits(file.fileName()); !fits)
        return fits.error();
    return fileFailureReason(file.error(), file.errorString());
}

Result<void> encodeCollage(const QImage &source, CollageFormat format, QFileDevice &device,
                           const SaveOptions &options)
{
    if (Result<void> checked = writable(source, format); !checked)
        return checked;

    QImage image = source;
    const int dpm = qRound(qBound(minDpi, options.dpi, maxDpi) * inchesPerMeter);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    const bool jpeg = format != CollageFormat::Png; // a PDF carries the photos as a JPEG
    if (jpeg)
        flattenOntoWhite(image);
    // Every photo was converted to sRGB as it was decoded; the profile tells a print lab or a
    // browser so instead of leaving it to guess.
    image.setColorSpace(QColorSpace::SRgb);

    Relay relay(device);
    bool written = false;
    QString writerError;
    if (format == CollageFormat::Pdf) {
        // Encoded whole before the page is written around it: a PDF gives the image's length
        // ahead of its bytes.
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpg");
        writer.setQuality(100);
        written = writer.write(image);
        writerError = writer.errorString();
        const QColorSpace colourSpace = image.colorSpace();
        image = QImage();
        if (written)
            written = bool(writeCollagePdf(relay, encoded, source.size(), colourSpace, options));
    } else {
        QImageWriter writer(&relay, jpeg ? "jpg" : "png");
        if (jpeg)
            writer.setQuality(100);
        written = writer.write(image);
        writerError = writer.errorString();
    }
    // A full disk can surface only when the last buffered bytes go out.
    if (written && !relay.failed() && device.flush())
        return {};
    // The writer only knows that its device refused; the device knows why.
    if (device.error() != QFileDevice::NoError)
        return Failure {fileFailureReason(device.error(), device.errorString())};
    return Failure {writerError};
}

Result<void> replaceableTarget(const QString &fileName)
{
    // Renaming over a device node or a pipe would replace it with the file written.
    if (const QFileInfo existing(fileName); existing.exists() && !existing.isFile())
        return Failure {Words::tr("not a regular file")};
    return {};
}

Result<void> writeCollage(const QImage &image, const QString &fileName, CollageFormat format,
                          const SaveOptions &options)
{
    if (Result<void> checked = replaceableTarget(fileName); !checked)
        return checked;
    if (Result<void> checked = writable(image, format); !checked)
        return checked;

    QSaveFile file(fileName);
    // Unbuffered, so that a write the system refuses fails with its reason: a buffer flushed
    // onto a full disk or past a size limit fails as "Unknown error".
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Failure {saveFailureReason(file)};
    if (Result<void> encoded = encodeCollage(image, format, file, options); !encoded) {
        file.cancelWriting();
        return encoded;
    }
    if (!file.commit())
        return Failure {saveFailureReason(file)};
    return {};
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first;
    struct stat second;
    if (::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
           == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

std::optional<QString> clashingInput(const QString &output, const QList<PhotoRecord> &photos)
{
    QStringList files;
    files.reserve(photos.size());
    for (const PhotoRecord &photo : photos)
        files << photo.path;
    return clashingFile(output, files);
}

std::optional<QString> clashingFile(const QString &output, const QStringList &files)
{
    struct stat target;
    if (::stat(QFile::encodeName(output).constData(), &target) != 0)
        return std::nullopt;
    for (const QString &file : files) {
        struct stat input;
        if (::stat(QFile::encodeName(file).constData(), &input) == 0
            && input.st_dev == target.st_dev && input.st_ino == target.st_ino)
            return file;
    }
    return std::nullopt;
}
