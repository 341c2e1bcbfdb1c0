#include "cmykjpeg.h"

#include <QIODevice>
#include <QLoggingCategory>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

Q_LOGGING_CATEGORY(lcCmyk, "vellomir.colour.cmyk", QtWarningMsg)

namespace {

struct ErrorManager
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void errorExit(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void outputMessage(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    qCDebug(lcCmyk) << message;
}

struct Source
{
    jpeg_source_mgr manager;
    QIODevice *device;
    JOCTET buffer[64 * 1024];
};

boolean fillInput(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    qint64 n = source->device->read(reinterpret_cast<char *>(source->buffer),
                                    qint64(sizeof source->buffer));
    if (n <= 0) {
        // As libjpeg's own sources do: an inserted end of image ends a truncated file.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        n = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = size_t(n);
    return TRUE;
}

void skipInput(j_decompress_ptr info, long n)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    if (n <= 0)
        return;
    while (n > long(source->manager.bytes_in_buffer)) {
        n -= long(source->manager.bytes_in_buffer);
        fillInput(info);
    }
    source->manager.next_input_byte += n;
    source->manager.bytes_in_buffer -= size_t(n);
}

void nothing(j_decompress_ptr) { }

// Runs the decoder into `image`, which the caller owns: libjpeg leaves by longjmp on an error,
// which must not jump over a destructor, so nothing here holds one.
bool decodeInto(jpeg_decompress_struct *info, ErrorManager *errors, Source *source,
                const QSize &target, QImage *image)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(info);
    info->src = &source->manager;
    jpeg_read_header(info, TRUE);
    if (info->jpeg_color_space != JCS_CMYK && info->jpeg_color_space != JCS_YCCK) {
        std::strcpy(errors->message, "not a CMYK image");
        return false;
    }
    info->out_color_space = JCS_CMYK;
    // The same reduction the memory estimate of a JPEG decode counts on.
    info->scale_num = 1;
    info->scale_denom = 1;
    while (info->scale_denom < 8 && !target.isEmpty()
           && info->image_width / (2 * info->scale_denom) >= JDIMENSION(target.width())
           && info->image_height / (2 * info->scale_denom) >= JDIMENSION(target.height()))
        info->scale_denom *= 2;
    jpeg_start_decompress(info);
    if (info->output_components != 4) {
        std::strcpy(errors->message, "not a CMYK image");
        return false;
    }
    *image = QImage(int(info->output_width), int(info->output_height), QImage::Format_RGB32);
    if (image->isNull()) {
        std::strcpy(errors->message, "out of memory");
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image->scanLine(int(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

Result<QImage> decodeCmykJpeg(QIODevice *device, const QSize &target, const PhotoColour &colour)
{
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info); // destroying it is safe even when creating it failed
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = errorExit;
    errors.manager.output_message = outputMessage;
    errors.message[0] = '\0';
    const auto source = std::make_unique<Source>();
    source->device = device;
    source->manager.init_source = nothing;
    source->manager.fill_input_buffer = fillInput;
    source->manager.skip_input_data = skipInput;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = nothing;
    source->manager.bytes_in_buffer = 0;
    source->manager.next_input_byte = nullptr;

    QImage image;
    const bool decoded
        = device->seek(0) && decodeInto(&info, &errors, source.get(), target, &image);
    jpeg_destroy_decompress(&info);
    if (!decoded)
        return Failure {QString::fromLatin1(errors.message)};
    image = cmykToSrgb(std::move(image), colour.adobe, colour.profile);
    if (!target.isEmpty() && image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.isNull())
        return Failure {QStringLiteral("out of memory")};
    return image;
}
