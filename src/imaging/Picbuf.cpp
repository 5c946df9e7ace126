// SPDX-License-Identifier: MIT
#include "Picbuf.h"

#include "BmpEncoding.h"
#include "ImageLoading.h"
#include "MagickErrors.h"
#include "PaletteMapping.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

using namespace MagickLib;

namespace {

// Heap the pixel cache may take before it spills to disk.
constexpr std::int64_t kMemoryLimitBytes = 1536ll * 1024 * 1024;

// The control whose operation is reporting progress. The library's progress hook is
// process-wide, so the control running an operation registers itself here.
std::atomic<const Picbuf*> g_active{nullptr};

MagickPassFail monitorHandler(const char*, const magick_int64_t quantum, const magick_uint64_t span, ExceptionInfo*);

const char* writerFor(Picbuf::Format format) {
    switch (format) {
    case Picbuf::Pcx:
        return "PCX";
    // The plain 40-byte header every Windows version reads.
    case Picbuf::Bmp:
        return "BMP3";
    case Picbuf::Gif:
        return "GIF";
    case Picbuf::Png:
        return "PNG";
    case Picbuf::Tiff:
        return "TIFF";
    case Picbuf::Jpeg:
        return "JPEG";
    case Picbuf::Tga:
        return "TGA";
    default:
        return nullptr;
    }
}

} // namespace

// Registers a control as the one reporting progress for the duration of one
// operation, so that the library's process-wide progress hook can reach it.
class PicbufMonitorScope {
public:
    explicit PicbufMonitorScope(const Picbuf& p) {
        p.m_aborted = false;
        p.m_owner = std::this_thread::get_id();
        m_previous = g_active.exchange(&p);
    }
    ~PicbufMonitorScope() { g_active.store(m_previous); }
    PicbufMonitorScope(const PicbufMonitorScope&) = delete;
    PicbufMonitorScope& operator=(const PicbufMonitorScope&) = delete;

    static bool report(std::int64_t quantum, std::uint64_t span) {
        const Picbuf* p = g_active.load();
        return p ? p->reportProgress(quantum, span) : true;
    }

private:
    const Picbuf* m_previous = nullptr;
};

namespace {
MagickPassFail monitorHandler(const char*, const magick_int64_t quantum, const magick_uint64_t span, ExceptionInfo*) {
    return PicbufMonitorScope::report(quantum, span) ? MagickPass : MagickFail;
}
} // namespace

void Picbuf::initialize(const char* argv0) {
    static std::once_flag once;
    std::call_once(once, [argv0] {
        // The program decides what a signal does (a clean close at log-out), not the library.
        ExceptionInfo exception;
        GetExceptionInfo(&exception);
        InitializeMagickEx(argv0, MAGICK_OPT_NO_SIGNAL_HANDER, &exception);
        DestroyExceptionInfo(&exception);
        // The library has no limits of its own: a header claiming 60000x60000 would
        // otherwise be allocated in full.
        SetMagickResourceLimit(WidthResource, kMaxSide);
        SetMagickResourceLimit(HeightResource, kMaxSide);
        SetMagickResourceLimit(PixelsResource, static_cast<magick_int64_t>(kMaxPixels));
        SetMagickResourceLimit(MemoryResource, kMemoryLimitBytes);
        SetMonitorHandler(monitorHandler);
    });
}

Picbuf::Picbuf() {
    initialize(nullptr);
}

Picbuf::~Picbuf() = default;

int Picbuf::width() const {
    return m_held ? static_cast<int>(m_image.columns()) : 0;
}

int Picbuf::height() const {
    return m_held ? static_cast<int>(m_image.rows()) : 0;
}

int Picbuf::colorDepth() const {
    if (!m_held) return 0;
    const Image* im = m_image.constImage();
    if (im->storage_class == PseudoClass && im->colors > 0 && im->colors <= 256)
        return palettemapping::depthForColours(static_cast<unsigned>(im->colors));
    return 24;
}

void Picbuf::setLoadSizeHint(int w, int h) {
    m_hintWidth = std::max(0, w);
    m_hintHeight = std::max(0, h);
}

void Picbuf::guarded(const char* operation, LibraryFailure meaning, Progress progress,
                     const std::function<void()>& body) const {
    std::optional<PicbufMonitorScope> scope;
    if (progress == Progress::Reported) scope.emplace(*this);
    try {
        body();
    } catch (const PicbufError& e) {
        m_errorNumber = e.code();
        throw;
    } catch (const Magick::Exception& e) {
        int code = magickerrors::codeFor(e, meaning == LibraryFailure::Writing);
        if (meaning == LibraryFailure::BadArgument && code != PicbufCode::OutOfMemory) code = PicbufCode::BadArgument;
        // An operation the callback stopped fails as aborted, whatever the library made of it.
        if (progress == Progress::Reported && m_aborted) code = PicbufCode::Aborted;
        fail(code, e.what());
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, std::string(operation) + ": out of memory");
    }
}

void Picbuf::fail(int code, const std::string& text) const {
    m_errorNumber = code;
    throw PicbufError(code, text);
}

void Picbuf::requireImage(const char* operation) const {
    if (!m_held) fail(PicbufCode::NoImage, std::string(operation) + ": no image");
}

void Picbuf::checkAborted(const char* operation) const {
    if (m_aborted) fail(PicbufCode::Aborted, std::string(operation) + ": operation aborted");
}

bool Picbuf::reportProgress(std::int64_t quantum, std::uint64_t span) const {
    if (m_aborted) return false;
    // Worker threads of the library only learn the answer; the callback pumps the
    // window system and must run on the thread that started the operation.
    if (std::this_thread::get_id() != m_owner || !m_progressCallback) return true;
    const int percent =
        span ? static_cast<int>(std::clamp<std::int64_t>(quantum * 100 / std::int64_t(span), 0, 100)) : 0;
    if (!m_progressCallback(percent)) m_aborted = true;
    return !m_aborted;
}

void Picbuf::load() {
    guarded("Load", LibraryFailure::Reading, Progress::Reported, [this] {
        release();
        m_errorNumber = 0;
        imageloading::Probe probe = imageloading::readHeader(m_fileName, m_imageFormat, m_aborted);
        if (m_imageNumber < 0 || m_imageNumber >= probe.count)
            fail(PicbufCode::Reading, "Image number " + std::to_string(m_imageNumber) + " is not in the file");
        const auto [hintWidth, hintHeight] =
            m_hintFor ? m_hintFor(int(probe.width), int(probe.height)) : std::pair<int, int>(m_hintWidth, m_hintHeight);
        Magick::Image img = imageloading::decode(probe, m_imageNumber, hintWidth, hintHeight);
        checkAborted("Load");
        if (!img.isValid() || img.columns() == 0 || img.rows() == 0) fail(PicbufCode::Reading, "Load: no image data");
        imageloading::normalise(img);
        m_image = img;
        m_held = true;
        m_fileWidth = static_cast<int>(probe.width);
        m_fileHeight = static_cast<int>(probe.height);
        m_imageFormat = probe.format;
    });
}

int Picbuf::imageCount() {
    int count = 0;
    guarded("ImageCount", LibraryFailure::Reading, Progress::Reported,
            [&] { count = imageloading::readHeader(m_fileName, m_imageFormat, m_aborted).count; });
    return count;
}

void Picbuf::store(Magick::Blob* written) {
    requireImage("Store");
    const char* writer = writerFor(m_imageFormat);
    if (!writer) fail(PicbufCode::UnknownWriteFormat, "Store: no writer for format " + std::to_string(m_imageFormat));
    Magick::Blob blob;
    guarded("Store", LibraryFailure::Writing, Progress::Reported, [&] {
        // The wallpaper bitmap of a true-colour picture, the common case, is encoded
        // directly: the library would first copy the whole picture to name its format.
        if (m_imageFormat == Bmp && colorDepth() == 24) {
            blob = bmpencoding::trueColour(m_image);
            return;
        }
        Magick::Image work = m_image;
        work.magick(writer);
        // Neither keeps transparency; the colour under it is what shows.
        if ((m_imageFormat == Bmp || m_imageFormat == Jpeg) && work.matte()) work.matte(false);
        if (m_imageFormat == Bmp) {
            // The library compresses 4- and 8-bit BMPs with RLE unless told otherwise,
            // and not every reader of wallpaper bitmaps handles that.
            work.compressType(NoCompression);
        } else if (m_imageFormat == Jpeg) {
            work.quality(m_writeCompression > 0 ? static_cast<unsigned>(std::min(m_writeCompression, 100)) : 75u);
        }
        work.write(&blob);
        checkAborted("Store");
    });
    if (blob.length() == 0) fail(PicbufCode::WriteFailed, "Store: nothing was encoded");
    storeEncoded(blob);
    if (written) *written = blob;
}

// Written here rather than by the library so that the name is taken literally (the
// library reads "fmt:", "[n]" and "@" in file names) and every write error is seen,
// disk full included.
void Picbuf::storeEncoded(const Magick::Blob& blob) {
    std::FILE* f = std::fopen(m_fileName.c_str(), "wb");
    if (!f) fail(PicbufCode::WriteFailed, "Unable to create " + m_fileName + ": " + std::strerror(errno));
    const bool written = std::fwrite(blob.data(), 1, blob.length(), f) == blob.length() && std::fflush(f) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(m_fileName.c_str());
        fail(PicbufCode::WriteFailed,
             "Unable to write " + m_fileName + ": " + std::strerror(written ? errno : writeErrno));
    }
}

void Picbuf::loadBitmap(const PicbufBitmap& bitmap) {
    if (bitmap.isNull() || unsigned(bitmap.width) > kMaxSide || unsigned(bitmap.height) > kMaxSide ||
        bitmap.bytes.size() < bitmap.stride() * std::size_t(bitmap.height))
        fail(PicbufCode::BadArgument, "LoadBitmapHandle: bad bitmap");
    const bool rgba = bitmap.layout == PicbufBitmap::Layout::Rgba32;
    guarded("LoadBitmapHandle", LibraryFailure::Reading, Progress::Silent, [&] {
        Magick::Image img(unsigned(bitmap.width), unsigned(bitmap.height), rgba ? "RGBA" : "RGB", CharPixel,
                          bitmap.bytes.data());
        if (rgba) {
            const std::size_t end = bitmap.stride() * std::size_t(bitmap.height);
            bool opaque = true;
            for (std::size_t i = 3; i < end && opaque; i += 4)
                opaque = bitmap.bytes[i] == 0xFF;
            img.matte(!opaque);
        }
        m_image = img;
    });
    m_held = true;
    m_fileWidth = bitmap.width;
    m_fileHeight = bitmap.height;
}

PicbufBitmap Picbuf::makeBitmap() const {
    requireImage("MakeBitmapHandle");
    PicbufBitmap bitmap;
    bitmap.width = static_cast<int>(m_image.columns());
    bitmap.height = static_cast<int>(m_image.rows());
    bitmap.layout = PicbufBitmap::Layout::Rgba32;
    guarded("MakeBitmapHandle", LibraryFailure::Reading, Progress::Silent, [&] {
        bitmap.bytes.resize(bitmap.stride() * std::size_t(bitmap.height));
        Magick::Image copy = m_image;
        if (copy.matte()) {
            copy.write(0, 0, copy.columns(), copy.rows(), "RGBA", CharPixel, bitmap.bytes.data());
            return;
        }
        std::vector<std::uint8_t> rgb(std::size_t(bitmap.width) * bitmap.height * 3);
        copy.write(0, 0, copy.columns(), copy.rows(), "RGB", CharPixel, rgb.data());
        for (std::size_t i = 0, j = 0; i < rgb.size(); i += 3, j += 4) {
            std::copy_n(&rgb[i], 3, &bitmap.bytes[j]);
            bitmap.bytes[j + 3] = 0xFF;
        }
    });
    return bitmap;
}

void Picbuf::release() {
    m_image = Magick::Image();
    m_held = false;
    m_fileWidth = 0;
    m_fileHeight = 0;
}
