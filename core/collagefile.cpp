#include "collagefile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <sys/stat.h>

namespace {
const double printDpi = 300.0;
const double inchesPerMeter = 1.0 / 0.0254;
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
    return CollageFormat::Unsupported;
}

bool writeCollage(const QImage &source, const QString &fileName, CollageFormat format,
                  QString *errorString)
{
    auto fail = [errorString](const QString &reason) {
        if (errorString)
            *errorString = reason;
        return false;
    };
    // Renaming over a device node or a pipe would replace it with the image.
    if (const QFileInfo existing(fileName); existing.exists() && !existing.isFile())
        return fail(QCoreApplication::translate("MainWindow", "not a regular file"));
    if (format == CollageFormat::Unsupported)
        return fail(QCoreApplication::translate("MainWindow", "unsupported file type"));
    if (source.isNull())
        return fail(QCoreApplication::translate("MainWindow", "there is no image to save"));

    QImage image = source;
    const int dpm = qRound(printDpi * inchesPerMeter);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QImageWriter writer(&file, format == CollageFormat::Jpeg ? "jpg" : "png");
    if (format == CollageFormat::Jpeg)
        writer.setQuality(100);
    if (!writer.write(image)) {
        file.cancelWriting();
        return fail(writer.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

std::optional<QString> clashingInput(const QString &output, const QList<PhotoRecord> &photos)
{
    struct stat target;
    if (::stat(QFile::encodeName(output).constData(), &target) != 0)
        return std::nullopt;
    for (const PhotoRecord &photo : photos) {
        struct stat input;
        if (::stat(QFile::encodeName(photo.path).constData(), &input) == 0
            && input.st_dev == target.st_dev && input.st_ino == target.st_ino)
            return photo.path;
    }
    return std::nullopt;
}
