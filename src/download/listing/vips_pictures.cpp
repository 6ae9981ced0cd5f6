// libvips first: glib's headers use `signals` as a name, which Qt makes a keyword.
#include <vips/vips.h>

#include "download/listing/vips_pictures.h"

#include "download/listing/quality_steps.h"
#include "download/listing/slice_cutter.h"

#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <mutex>
#include <utility>

namespace {

// Owns one reference to a libvips image.
class Image
{
public:
    Image() = default;
    explicit Image(VipsImage *image) : m_image(image) {}
    ~Image() { reset(); }
    Image(Image &&other) noexcept : m_image(std::exchange(other.m_image, nullptr)) {}
    Image &operator=(Image &&other) noexcept
    {
        std::swap(m_image, other.m_image);
        return *this;
    }

    VipsImage *get() const { return m_image; }
    // Where an operation puts its result.
    VipsImage **out()
    {
        reset();
        return &m_image;
    }
    explicit operator bool() const { return m_image != nullptr; }

private:
    void reset()
    {
        if (m_image)
            g_object_unref(m_image);
        m_image = nullptr;
    }

    VipsImage *m_image = nullptr;
};

// The loaders of the formats the marketplace serves; libvips may offer others
// (some through ImageMagick), which have no business with downloaded files.
constexpr const char *Loaders[] = {"jpegload", "pngload", "gifload", "webpload"};

void ignoreMessage(const gchar *, GLogLevelFlags, const gchar *, gpointer)
{
}

bool fail(QString *errorText, const QString &reason)
{
    // The library's own text is English and says no more than the reason.
    vips_error_clear();
    if (errorText)
        *errorText = reason;
    return false;
}

QString unreadable()
{
    return QStringLiteral("图片已损坏,无法解码");
}

// Whether the file is a picture worth decoding (only its header is read);
// errorText says why not.
bool readable(const QByteArray &path, QString *errorText)
{
    const Image header(vips_image_new_from_file(path.constData(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr));
    if (!header)
        return fail(errorText, QStringLiteral("不是图片,或格式无法识别"));
    const char *loader = nullptr;
    if (vips_image_get_string(header.get(), "vips-loader", &loader)
        || std::none_of(std::begin(Loaders), std::end(Loaders), [loader](const char *name) { return qstrcmp(name, loader) == 0; }))
        return fail(errorText, QStringLiteral("格式不支持(只读取 JPEG、PNG、GIF 和 WebP)"));
    if (qint64(header.get()->Xsize) * header.get()->Ysize > VipsPictures::MaxPixels)
        return fail(errorText, QStringLiteral("图片过大(超过一亿像素)"));
    return true;
}

// The picture scaled to fit width × height (never enlarged unless asked),
// in 8-bit sRGB without transparency: embedded profiles applied, CMYK
// converted (the thumbnail does that itself), alpha laid on white.
bool scaled(const QByteArray &path, int width, int height, bool enlarge, Image &result)
{
    Image image;
    if (vips_thumbnail(path.constData(), image.out(), width, "height", height, "size",
                       enlarge ? VIPS_SIZE_BOTH : VIPS_SIZE_DOWN, "fail_on", VIPS_FAIL_ON_ERROR, nullptr))
        return false;
    // A profile left on the picture is one the thumbnail did not apply
    // (RGB or grey): only then is a transform worth its time.
    if (vips_image_get_typeof(image.get(), VIPS_META_ICC_NAME)) {
        Image srgb;
        if (vips_icc_transform(image.get(), srgb.out(), "srgb", "embedded", TRUE, nullptr) == 0)
            image = std::move(srgb);
        else
            vips_error_clear(); // a broken profile: the pixels are taken as sRGB
    }
    Image next;
    if (vips_colourspace(image.get(), next.out(), VIPS_INTERPRETATION_sRGB, nullptr))
        return false;
    image = std::move(next);
    if (vips_image_hasalpha(image.get())) {
        VipsArrayDouble *white = vips_array_double_newv(3, 255.0, 255.0, 255.0);
        const int failed = vips_flatten(image.get(), next.out(), "background", white, nullptr);
        vips_area_unref(VIPS_AREA(white));
        if (failed)
            return false;
        image = std::move(next);
    }
    if (vips_cast_uchar(image.get(), next.out(), nullptr) || next.get()->Bands != 3)
        return false;
    result = std::move(next);
    return true;
}

QByteArray jpeg(VipsImage *image, int quality)
{
    void *buffer = nullptr;
    size_t length = 0;
    // Chroma at half resolution as most JPEGs have it (libvips keeps it whole from quality 90 on: files twice the size).
    if (vips_jpegsave_buffer(image, &buffer, &length, "Q", quality, "strip", TRUE, "subsample_mode",
                             VIPS_FOREIGN_SUBSAMPLE_ON, nullptr)) {
        vips_error_clear();
        return {};
    }
    QByteArray bytes(static_cast<const char *>(buffer), qsizetype(length));
    g_free(buffer);
    return bytes;
}

ListingFile encoded(VipsImage *image, const ListingOptions &options)
{
    const QualitySteps::Encoded made = QualitySteps::encodeWithin(
        options.sizeLimitBytes(), [image](int quality) { return jpeg(image, quality); });
    return {made.bytes, QSize(image->Xsize, image->Ysize), made.quality, made.overLimit};
}

} // namespace

void VipsPictures::initialise()
{
    static std::once_flag once;
    std::call_once(once, [] {
        VIPS_INIT("zorvane-picker");
        // Each file is read once: caching operations would only hold memory.
        vips_cache_set_max(0);
        vips_concurrency_set(1);
        vips_block_untrusted_set(TRUE);
        // A damaged picture is reported as such; the terminal shows the program's own lines only.
        g_log_set_handler("VIPS", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO),
                          ignoreMessage, nullptr);
    });
}

VipsPictures::VipsPictures()
{
    initialise();
}

VipsPictures::~VipsPictures()
{
    vips_thread_shutdown();
}

std::optional<ListingFile> VipsPictures::mainPicture(const QString &path, const ListingOptions &options,
                                                     QString *errorText)
{
    const QByteArray native = QFile::encodeName(path);
    if (!readable(native, errorText))
        return std::nullopt;
    const int side = options.mainSide;
    Image picture;
    if (!scaled(native, side, side, options.enlargeMain, picture)) {
        fail(errorText, unreadable());
        return std::nullopt;
    }
    VipsArrayDouble *white = vips_array_double_newv(3, 255.0, 255.0, 255.0);
    Image square;
    const int failed = vips_gravity(picture.get(), square.out(), VIPS_COMPASS_DIRECTION_CENTRE, side, side, "extend",
                                    VIPS_EXTEND_BACKGROUND, "background", white, nullptr);
    vips_area_unref(VIPS_AREA(white));
    // Decoded once, encoded at as many qualities as it takes.
    const Image decoded(failed ? nullptr : vips_image_copy_memory(square.get()));
    if (!decoded) {
        fail(errorText, unreadable());
        return std::nullopt;
    }
    ListingFile file = encoded(decoded.get(), options);
    if (file.jpeg.isEmpty()) {
        fail(errorText, QStringLiteral("无法编码为 JPEG"));
        return std::nullopt;
    }
    return file;
}

bool VipsPictures::descriptionSlices(const QString &path, const ListingOptions &options,
                                     const std::function<bool(const ListingFile &)> &take, QString *errorText)
{
    const QByteArray native = QFile::encodeName(path);
    if (!readable(native, errorText))
        return false;
    Image picture;
    if (!scaled(native, options.descWidth, VIPS_MAX_COORD, false, picture))
        return fail(errorText, unreadable());
    const int width = picture.get()->Xsize, height = picture.get()->Ysize;
    SliceCutter cutter(width, height, options.sliceHeight);
    // Strips in order: the decoder reads the file once, top to bottom.
    constexpr int StripRows = 64;
    VipsRegion *region = vips_region_new(picture.get());
    const auto endRegion = qScopeGuard([region] { g_object_unref(region); });
    while (!cutter.done()) {
        while (const std::optional<SliceCutter::Slice> slice = cutter.nextSlice()) {
            const Image rows(vips_image_new_from_memory(slice->rows, size_t(width) * 3 * size_t(slice->height), width,
                                                        slice->height, 3, VIPS_FORMAT_UCHAR));
            const ListingFile file = rows ? encoded(rows.get(), options) : ListingFile();
            if (file.jpeg.isEmpty())
                return fail(errorText, QStringLiteral("无法编码为 JPEG"));
            if (!take(file))
                return false;
        }
        if (cutter.done())
            break;
        const VipsRect strip{0, cutter.rowsAdded(), width, std::min(StripRows, height - cutter.rowsAdded())};
        if (vips_region_prepare(region, &strip))
            return fail(errorText, unreadable());
        for (int y = strip.top; y < strip.top + strip.height; ++y)
            cutter.addRow(reinterpret_cast<const uchar *>(VIPS_REGION_ADDR(region, 0, y)));
    }
    return true;
}
