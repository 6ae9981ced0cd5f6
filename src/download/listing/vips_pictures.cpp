// libvips first: glib's headers use `signals` as a name, which Qt makes a keyword.
#include <vips/vips.h>

#include "download/listing/vips_pictures.h"

#include "download/listing/jpeg_encoder.h"
#include "download/listing/slice_cutter.h"

#include <QFile>
#include <QImage>
#include <QScopeGuard>

#include <malloc.h>

#include <algorithm>
#include <initializer_list>
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

bool isOneOf(const char *name, std::initializer_list<const char *> names)
{
    return std::any_of(names.begin(), names.end(), [name](const char *n) { return qstrcmp(n, name) == 0; });
}

// Pictures decoded whole take turns: two at once would double the peak.
std::mutex wholeDecoding;

// Whether the file is a picture worth decoding (only its header is read);
// errorText says why not. One that is decoded whole holds `turn` until done.
bool readable(const QByteArray &path, std::unique_lock<std::mutex> &turn, QString *errorText)
{
    const Image header(vips_image_new_from_file(path.constData(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr));
    if (!header)
        return fail(errorText, QStringLiteral("不是图片,或格式无法识别"));
    const char *loader = nullptr;
    if (vips_image_get_string(header.get(), "vips-loader", &loader)
        || !isOneOf(loader, {"jpegload", "pngload", "gifload", "webpload"}))
        return fail(errorText, QStringLiteral("格式不支持(只读取 JPEG、PNG、GIF 和 WebP)"));
    // WebP, GIF, progressive JPEG and interlaced PNG are decoded whole, not row by row.
    int interlaced = 0;
    if (vips_image_get_typeof(header.get(), "interlaced"))
        vips_image_get_int(header.get(), "interlaced", &interlaced);
    const bool whole = interlaced || isOneOf(loader, {"webpload", "gifload"});
    const qint64 pixels = qint64(header.get()->Xsize) * header.get()->Ysize;
    if (pixels > VipsPictures::MaxPixels)
        return fail(errorText, QStringLiteral("图片过大(超过一亿像素)"));
    if (whole && pixels > VipsPictures::MaxWholePixels)
        return fail(errorText, QStringLiteral("图片过大(这种图片要整张解码,最多三千万像素)"));
    if (whole)
        turn = std::unique_lock(wholeDecoding);
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

// Rows [top, top + count) of an 8-bit RGB picture, a strip at a time and in
// order: the decoder reads the file once, top to bottom, on this thread.
template <typename Row>
bool readRows(VipsImage *image, int count, const Row &row)
{
    constexpr int StripRows = 64;
    VipsRegion *region = vips_region_new(image);
    const auto endRegion = qScopeGuard([region] { g_object_unref(region); });
    for (int top = 0; top < count; top += StripRows) {
        const VipsRect strip{0, top, image->Xsize, std::min(StripRows, count - top)};
        if (vips_region_prepare(region, &strip))
            return false;
        for (int y = strip.top; y < strip.top + strip.height; ++y) {
            if (!row(y, reinterpret_cast<const uchar *>(VIPS_REGION_ADDR(region, 0, y))))
                return false;
        }
    }
    return true;
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
    // Decoders' buffers come and go by tens of megabytes; glibc keeps what
    // was freed unless asked to give it back.
    malloc_trim(0);
}

std::optional<ListingFile> VipsPictures::mainPicture(const QString &path, const ListingOptions &options,
                                                     QString *errorText)
{
    const QByteArray native = QFile::encodeName(path);
    std::unique_lock<std::mutex> turn;
    if (!readable(native, turn, errorText))
        return std::nullopt;
    const int side = options.mainSide;
    Image picture;
    if (!scaled(native, side, side, options.enlargeMain, picture)) {
        fail(errorText, unreadable());
        return std::nullopt;
    }
    const VipsImage *fitted = picture.get();
    if (fitted->Xsize > side || fitted->Ysize > side) {
        fail(errorText, unreadable());
        return std::nullopt;
    }
    // Centred on white, decoded once, encoded at as many qualities as it takes.
    QImage square(side, side, QImage::Format_RGB888);
    square.fill(Qt::white);
    const int left = (side - fitted->Xsize) / 2, top = (side - fitted->Ysize) / 2;
    const bool decoded = readRows(picture.get(), fitted->Ysize, [&](int y, const uchar *rgb) {
        std::copy_n(rgb, size_t(fitted->Xsize) * 3, square.scanLine(top + y) + size_t(left) * 3);
        return true;
    });
    if (!decoded) {
        fail(errorText, unreadable());
        return std::nullopt;
    }
    ListingFile file = encodeJpeg(square, options.sizeLimitBytes());
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
    std::unique_lock<std::mutex> turn;
    if (!readable(native, turn, errorText))
        return false;
    Image picture;
    if (!scaled(native, options.descWidth, VIPS_MAX_COORD, false, picture))
        return fail(errorText, unreadable());
    const int width = picture.get()->Xsize, height = picture.get()->Ysize;
    SliceCutter cutter(width, height, options.sliceHeight);
    QString problem; // a slice that could not be encoded
    bool stopped = false;
    const bool whole = readRows(picture.get(), height, [&](int, const uchar *rgb) {
        cutter.addRow(rgb);
        while (const std::optional<SliceCutter::Slice> slice = cutter.nextSlice()) {
            const QImage rows(slice->rows, width, slice->height, width * 3, QImage::Format_RGB888);
            const ListingFile file = encodeJpeg(rows, options.sizeLimitBytes());
            if (file.jpeg.isEmpty()) {
                problem = QStringLiteral("无法编码为 JPEG");
                return false;
            }
            if (!take(file)) {
                stopped = true;
                return false;
            }
        }
        return true;
    });
    if (!whole && !stopped)
        fail(errorText, problem.isEmpty() ? unreadable() : problem);
    return whole;
}
