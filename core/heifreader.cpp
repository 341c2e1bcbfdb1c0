#include "heifreader.h"

#include "colourprofile.h"

#include <QIODevice>
#include <QLoggingCategory>

#include <libheif/heif.h>

#include <algorithm>
#include <vector>

Q_LOGGING_CATEGORY(lcHeif, "vellomir.heif", QtWarningMsg)

namespace {

// libheif's own ceiling; set explicitly so that no other default can loosen it.
const int maxHeifSide = 32768;
// How much larger than the photo a coded image may be: a grid's last row and column of tiles
// reach past its edges, and codecs pad to their block size.
const int codedMargin = 1024;
// A file may list any number of thumbnails; real ones carry one or two.
const int maxThumbnails = 16;

struct ContextFree
{
    void operator()(heif_context *context) const { heif_context_free(context); }
};

struct HandleRelease
{
    void operator()(const heif_image_handle *handle) const { heif_image_handle_release(handle); }
};

struct ImageRelease
{
    void operator()(const heif_image *image) const { heif_image_release(image); }
};

struct OptionsFree
{
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};

using HandlePointer = std::unique_ptr<const heif_image_handle, HandleRelease>;

QString message(const heif_error &error)
{
    return error.message && *error.message ? QString::fromUtf8(error.message)
                                           : QStringLiteral("libheif error %1").arg(error.code);
}

// heif_init() counts its callers; the process keeps its one reference until it ends.
void initialiseOnce()
{
    static const bool initialised = [] {
        const heif_error error = heif_init(nullptr);
        if (error.code != heif_error_Ok)
            qCWarning(lcHeif) << "heif_init:" << message(error);
        return true;
    }();
    Q_UNUSED(initialised);
}

// Whether a thumbnail shows the whole photo: its sides in the photo's proportion, to the
// pixel or the percent its rounding may cost, and no larger than the photo.
bool sameShape(const QSize &thumbnail, const QSize &photo)
{
    if (thumbnail.isEmpty() || thumbnail.width() > photo.width()
        || thumbnail.height() > photo.height())
        return false;
    const qint64 cross = qAbs(qint64(thumbnail.width()) * photo.height()
                              - qint64(thumbnail.height()) * photo.width());
    const qint64 pixel = std::max(photo.width(), photo.height());
    const qint64 percent = qint64(thumbnail.width()) * photo.height() / 100;
    return cross <= std::max(pixel, percent);
}

// The colour description of an image: its ICC profile, else its nclx box; false when it has
// neither.
bool readColour(const heif_image_handle *handle, HeifImage &into)
{
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        if (size == 0 || size > size_t(maxProfileBytes))
            return true; // there is one, but it is not used
        QByteArray icc(qsizetype(size), Qt::Uninitialized);
        if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code == heif_error_Ok)
            into.profile = icc;
        return true;
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx *nclx = nullptr;
        const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &nclx);
        // libheif hands out a profile with some of its errors too (values it does not know):
        // it is freed whatever was said.
        const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx *)> held(
            nclx, heif_nclx_color_profile_free);
        if (error.code != heif_error_Ok || !nclx)
            return true;
        into.primaries = int(nclx->color_primaries);
        into.transfer = int(nclx->transfer_characteristics);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

struct HeifFile::Handles
{
    std::unique_ptr<heif_context, ContextFree> context;
    HandlePointer primary;
    std::vector<heif_item_id> thumbnailIds; // as thumbnailSizes
};

namespace {

QIODevice *deviceOf(void *userdata)
{
    return static_cast<QIODevice *>(userdata);
}

// libheif keeps a pointer to this table for as long as the context lives.
const heif_reader deviceReader = {
    1,
    [](void *userdata) -> int64_t { return deviceOf(userdata)->pos(); },
    [](void *data, size_t size, void *userdata) -> int {
        return deviceOf(userdata)->read(static_cast<char *>(data), qint64(size)) == qint64(size)
                   ? 0
                   : -1;
    },
    [](int64_t position, void *userdata) -> int {
        return deviceOf(userdata)->seek(position) ? 0 : -1;
    },
    [](int64_t target, void *userdata) {
        return target <= deviceOf(userdata)->size() ? heif_reader_grow_status_size_reached
                                                    : heif_reader_grow_status_size_beyond_eof;
    },
};

} // namespace

HeifFile::HeifFile() = default;
HeifFile::HeifFile(HeifFile &&) noexcept = default;
HeifFile &HeifFile::operator=(HeifFile &&) noexcept = default;
HeifFile::~HeifFile() = default;

Result<HeifFile> HeifFile::open(QIODevice *device)
{
    initialiseOnce();
    const auto failed = [](const QString &error) { return Failure {error}; };
    HeifFile file;
    file.handles = std::make_unique<Handles>();
    file.handles->context.reset(heif_context_alloc());
    heif_context *context = file.handles->context.get();
    if (!context || !device->seek(0))
        return failed(QStringLiteral("cannot read the file"));
    heif_context_set_maximum_image_size_limit(context, maxHeifSide);
    heif_error error = heif_context_read_from_reader(context, &deviceReader, device, nullptr);
    if (error.code != heif_error_Ok)
        return failed(message(error));
    heif_image_handle *primary = nullptr;
    error = heif_context_get_primary_image_handle(context, &primary);
    if (error.code != heif_error_Ok || !primary)
        return failed(message(error));
    file.handles->primary.reset(primary);

    file.primarySize
        = QSize(heif_image_handle_get_width(primary), heif_image_handle_get_height(primary));
    if (file.primarySize.width() < 1 || file.primarySize.height() < 1)
        return failed(QStringLiteral("the image has no size"));
    // libheif checks every coded image against the limit before it allocates one: so bounded,
    // a file whose container claims a small photo cannot make it decode a huge one.
    heif_context_set_maximum_image_size_limit(
        context, std::min(maxHeifSide, std::max(file.primarySize.width(), file.primarySize.height())
                                           + codedMargin));
    file.depth = std::max(8, heif_image_handle_get_luma_bits_per_pixel(primary));
    file.alpha = heif_image_handle_has_alpha_channel(primary) != 0;

    const int listed
        = std::clamp(heif_image_handle_get_number_of_thumbnails(primary), 0, maxThumbnails);
    std::vector<heif_item_id> ids(size_t(listed), 0);
    const int count
        = listed > 0 ? heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), listed) : 0;
    std::vector<std::pair<QSize, heif_item_id>> thumbnails;
    for (int i = 0; i < std::min(count, listed); ++i) {
        heif_image_handle *thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[size_t(i)], &thumbnail).code
                != heif_error_Ok
            || !thumbnail)
            continue;
        const HandlePointer held(thumbnail);
        const QSize size(heif_image_handle_get_width(thumbnail),
                         heif_image_handle_get_height(thumbnail));
        if (sameShape(size, file.primarySize))
            thumbnails.emplace_back(size, ids[size_t(i)]);
    }
    std::stable_sort(thumbnails.begin(), thumbnails.end(), [](const auto &a, const auto &b) {
        return qint64(a.first.width()) * a.first.height()
               < qint64(b.first.width()) * b.first.height();
    });
    for (const auto &[size, id] : thumbnails) {
        file.thumbnailSizes.append(size);
        file.handles->thumbnailIds.push_back(id);
    }
    return file;
}

Result<HeifImage> HeifFile::decode(int thumbnail) const
{
    const auto failed = [](const QString &error) { return Failure {error}; };
    const heif_image_handle *handle = handles->primary.get();
    HandlePointer thumbnailHandle;
    if (thumbnail >= 0) {
        if (size_t(thumbnail) >= handles->thumbnailIds.size())
            return failed(QStringLiteral("no such thumbnail"));
        heif_image_handle *held = nullptr;
        const heif_error error = heif_image_handle_get_thumbnail(
            handle, handles->thumbnailIds[size_t(thumbnail)], &held);
        if (error.code != heif_error_Ok || !held)
            return failed(message(error));
        thumbnailHandle.reset(held);
        handle = held;
    }

    const std::unique_ptr<heif_decoding_options, OptionsFree> options(
        heif_decoding_options_alloc());
    if (!options)
        return failed(QStringLiteral("out of memory"));
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 1;
    heif_image *decoded = nullptr;
    const heif_error error = heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                                               heif_chroma_interleaved_RGBA, options.get());
    std::unique_ptr<heif_image, ImageRelease> image(decoded);
    if (error.code != heif_error_Ok || !image)
        return failed(message(error));

    int stride = 0;
    const uint8_t *pixels
        = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || width < 1 || height < 1 || stride < 4 * width
        || heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8)
        return failed(QStringLiteral("the decoder gave no usable image"));

    QImage::Format format = QImage::Format_RGBX8888; // libheif fills the unused alpha with 255
    if (heif_image_handle_has_alpha_channel(handle))
        format = heif_image_is_premultiplied_alpha(image.get())
                     ? QImage::Format_RGBA8888_Premultiplied
                     : QImage::Format_RGBA8888;
    // The image's pixels stay where libheif decoded them: no copy of a photo-sized buffer.
    heif_image *owner = image.release();
    const QImage wrapped(
        pixels, width, height, stride, format,
        [](void *info) { heif_image_release(static_cast<heif_image *>(info)); }, owner);
    if (wrapped.isNull()) {
        heif_image_release(owner);
        return failed(QStringLiteral("out of memory"));
    }
    HeifImage result;
    result.image = wrapped;
    if (!readColour(handle, result) && handle != handles->primary.get())
        readColour(handles->primary.get(), result);
    return result;
}
