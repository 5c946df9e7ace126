// SPDX-License-Identifier: MIT
#include "Picbuf.h"

#include <tuple>

#include <magick/api.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

using namespace MagickLib;

namespace {

// Files above this are not images a wallpaper program should read into memory.
constexpr std::uintmax_t kMaxFileBytes = 512ull * 1024 * 1024;
// Heap the pixel cache may take before it spills to disk.
constexpr std::int64_t kMemoryLimitBytes = 1536ll * 1024 * 1024;

// The operation currently reporting progress. The library's progress hook is
// process-wide, so the control running an operation registers itself here.
std::atomic<Picbuf*> g_active{nullptr};

MagickPassFail monitorHandler(const char*, const magick_int64_t quantum, const magick_uint64_t span, ExceptionInfo*);

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool contains(const std::string& haystack, const char* needle) {
    return haystack.find(needle) != std::string::npos;
}

// The decoders' texts are the only place where "unsupported compression" and
// friends are told apart from plain corruption.
int codeForText(const std::string& text, bool resourceLimit, bool writing) {
    const std::string t = lower(text);
    const bool unsupported = contains(t, "unsupported") || contains(t, "not supported") || contains(t, "unrecognized");
    if (contains(t, "jpeg process") || contains(t, "unsupported jpeg")) return PicbufCode::UnsupportedJpeg;
    if (unsupported && contains(t, "compression")) return PicbufCode::BadCompression;
    if (unsupported && (contains(t, "colorspace") || contains(t, "color space") || contains(t, "photometric")))
        return PicbufCode::BadColourSpace;
    if (resourceLimit) {
        // A header that asks for more than the limits is a broken or hostile file,
        // not a shortage of memory.
        if (!writing && (contains(t, "width") || contains(t, "height") || contains(t, "pixels")))
            return PicbufCode::Reading;
        return PicbufCode::OutOfMemory;
    }
    return writing ? PicbufCode::WriteFailed : PicbufCode::Reading;
}

int codeFor(const Magick::Exception& e, bool writing) {
    const bool limit = dynamic_cast<const Magick::ErrorResourceLimit*>(&e) != nullptr;
    return codeForText(e.what(), limit, writing);
}

// Decoders we read, by the name the library gives them, and the format code each
// one reports.
int formatCodeFor(const std::string& magick) {
    static const std::unordered_map<std::string, int> known = {
        {"JPEG", Picbuf::Jpeg}, {"JPG", Picbuf::Jpeg},  {"GIF", Picbuf::Gif},   {"GIF87", Picbuf::Gif},
        {"BMP", Picbuf::Bmp},   {"BMP2", Picbuf::Bmp},  {"BMP3", Picbuf::Bmp},  {"PCX", Picbuf::Pcx},
        {"PNG", Picbuf::Png},   {"PNG8", Picbuf::Png},  {"PNG24", Picbuf::Png}, {"PNG32", Picbuf::Png},
        {"PNG48", Picbuf::Png}, {"PNG64", Picbuf::Png}, {"TIFF", Picbuf::Tiff}, {"TIF", Picbuf::Tiff},
        {"TGA", Picbuf::Tga},
    };
    const auto it = known.find(magick);
    return it == known.end() ? 0 : it->second;
}

const char* writerFor(int code) {
    switch (code) {
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

bool isTgaName(const std::string& path) {
    const std::string ext = lower(std::filesystem::path(path).extension().string());
    return ext == ".tga" || ext == ".vda" || ext == ".icb" || ext == ".vst";
}

struct ImageInfoDeleter {
    void operator()(ImageInfo* p) const { DestroyImageInfo(p); }
};
struct ImageListDeleter {
    void operator()(Image* p) const { DestroyImageList(p); }
};

// What a header-only read tells about a file.
struct Probe {
    Magick::Blob blob;
    std::string magick;
    int formatCode = 0;
    int count = 0;
    unsigned width = 0;
    unsigned height = 0;
};

struct ProbeFailure {
    int code;
    std::string text;
};

Probe readHeader(const std::string& path, int formatCode, std::atomic<bool>& aborted) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw ProbeFailure{PicbufCode::Reading, "Unable to open file (" + path + ")"};
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size == 0) throw ProbeFailure{PicbufCode::Reading, "Empty file (" + path + ")"};
    if (size > kMaxFileBytes) throw ProbeFailure{PicbufCode::Reading, "File too large (" + path + ")"};
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes(static_cast<std::size_t>(size));
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw ProbeFailure{PicbufCode::Reading,
                           std::string("Unable to read file (") + path + "): " + std::strerror(errno)};

    Probe probe;
    probe.blob.update(bytes.data(), bytes.size());

    auto ping = [&](const char* magick) {
        std::unique_ptr<ImageInfo, ImageInfoDeleter> info(CloneImageInfo(nullptr));
        if (magick) std::snprintf(info->magick, sizeof info->magick, "%s", magick);
        ExceptionInfo exception;
        GetExceptionInfo(&exception);
        std::unique_ptr<Image, ImageListDeleter> list(PingBlob(info.get(), bytes.data(), bytes.size(), &exception));
        ProbeFailure failure{0, {}};
        if (!list || exception.severity >= ErrorException) {
            std::string text = exception.reason ? exception.reason : "Unable to read image header";
            if (exception.description) text += std::string(" (") + exception.description + ")";
            failure = {codeForText(text, exception.severity == ResourceLimitError, false), text};
            if (aborted) failure = {PicbufCode::Aborted, "Operation aborted"};
        }
        DestroyExceptionInfo(&exception);
        if (failure.code) throw failure;
        probe.magick = list->magick;
        probe.count = static_cast<int>(GetImageListLength(list.get()));
        probe.width = static_cast<unsigned>(list->columns);
        probe.height = static_cast<unsigned>(list->rows);
    };

    if (formatCode == Picbuf::Tga) {
        ping("TGA");
    } else {
        try {
            ping(nullptr);
        } catch (const ProbeFailure&) {
            // TGA carries no signature; its file name is all that identifies it.
            if (!isTgaName(path)) throw;
            ping("TGA");
        }
    }
    probe.formatCode = formatCodeFor(probe.magick);
    if (!probe.formatCode)
        throw ProbeFailure{PicbufCode::Reading, "Not a graphics type this program reads (" + probe.magick + ")"};
    if (probe.width == 0 || probe.height == 0 || probe.width > Picbuf::kMaxSide || probe.height > Picbuf::kMaxSide ||
        std::uint64_t(probe.width) * probe.height > Picbuf::kMaxPixels)
        throw ProbeFailure{PicbufCode::Reading, "Image dimensions " + std::to_string(probe.width) + "x" +
                                                    std::to_string(probe.height) + " are out of range"};
    return probe;
}

std::uint32_t packed(const PixelPacket& p) {
    return std::uint32_t(ScaleQuantumToChar(p.red)) << 16 | std::uint32_t(ScaleQuantumToChar(p.green)) << 8 |
           ScaleQuantumToChar(p.blue);
}

PixelPacket unpacked(std::uint32_t rgb) {
    PixelPacket p{};
    p.red = ScaleCharToQuantum((rgb >> 16) & 0xFF);
    p.green = ScaleCharToQuantum((rgb >> 8) & 0xFF);
    p.blue = ScaleCharToQuantum(rgb & 0xFF);
    p.opacity = OpaqueOpacity;
    return p;
}

std::vector<PixelPacket> paletteOf(const Magick::Image& img) {
    const Image* im = img.constImage();
    if (im->storage_class != PseudoClass || !im->colormap) return {};
    return {im->colormap, im->colormap + im->colors};
}

// Gives the image exactly this palette, entry for entry, and points every pixel at
// its nearest entry. Pixels whose colour is in the palette keep it exactly.
void remapToPalette(Magick::Image& img, const std::vector<PixelPacket>& palette) {
    img.modifyImage();
    Image* im = img.image();
    img.classType(DirectClass);
    if (!AllocateImageColormap(im, palette.size())) throw std::bad_alloc();
    std::copy(palette.begin(), palette.end(), im->colormap);
    std::vector<std::uint32_t> entries(palette.size());
    std::transform(palette.begin(), palette.end(), entries.begin(), packed);

    std::unordered_map<std::uint32_t, IndexPacket> nearest;
    auto lookup = [&](std::uint32_t rgb) {
        const auto it = nearest.find(rgb);
        if (it != nearest.end()) return it->second;
        long best = -1;
        IndexPacket bestIndex = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const long dr = long((rgb >> 16) & 0xFF) - long((entries[i] >> 16) & 0xFF);
            const long dg = long((rgb >> 8) & 0xFF) - long((entries[i] >> 8) & 0xFF);
            const long db = long(rgb & 0xFF) - long(entries[i] & 0xFF);
            const long d = dr * dr + dg * dg + db * db;
            if (best < 0 || d < best) {
                best = d;
                bestIndex = static_cast<IndexPacket>(i);
                if (d == 0) break;
            }
        }
        nearest.emplace(rgb, bestIndex);
        return bestIndex;
    };

    const unsigned w = img.columns();
    for (unsigned y = 0; y < img.rows(); ++y) {
        PixelPacket* px = img.getPixels(0, static_cast<int>(y), w, 1);
        IndexPacket* ix = img.getIndexes();
        if (!px || !ix) throw std::bad_alloc();
        for (unsigned x = 0; x < w; ++x) {
            const IndexPacket i = lookup(packed(px[x]));
            ix[x] = i;
            const Quantum opacity = px[x].opacity;
            px[x] = palette[i];
            px[x].opacity = opacity;
        }
        img.syncPixels();
    }
}

std::vector<PixelPacket> greyRamp(unsigned entries) {
    std::vector<PixelPacket> ramp(entries);
    for (unsigned i = 0; i < entries; ++i) {
        const unsigned v = entries > 1 ? i * 255 / (entries - 1) : 0;
        ramp[i] = unpacked(v << 16 | v << 8 | v);
    }
    return ramp;
}

// Grows a palette without touching any pixel: the new entries are unused.
void growPalette(Magick::Image& img, unsigned entries, const std::vector<std::uint32_t>& fill) {
    img.modifyImage();
    Image* im = img.image();
    const unsigned old = static_cast<unsigned>(im->colors);
    if (old >= entries) return;
    std::vector<PixelPacket> palette(im->colormap, im->colormap + old);
    for (unsigned i = old; i < entries; ++i) {
        const std::size_t k = i - old;
        palette.push_back(unpacked(k < fill.size() ? fill[k] : 0));
    }
    PixelPacket* grown = static_cast<PixelPacket*>(MagickRealloc(im->colormap, entries * sizeof(PixelPacket)));
    if (!grown) throw std::bad_alloc();
    im->colormap = grown;
    std::copy(palette.begin(), palette.end(), im->colormap);
    im->colors = entries;
}

int depthForColours(unsigned colours) {
    return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
}

} // namespace

// Registers a control as the one reporting progress for the duration of one
// operation, so that the library's process-wide progress hook can reach it.
class PicbufMonitorScope {
public:
    explicit PicbufMonitorScope(Picbuf& p) : m_picbuf(p) {
        p.m_aborted = false;
        p.m_owner = std::this_thread::get_id();
        m_previous = g_active.exchange(&p);
    }
    ~PicbufMonitorScope() { g_active.store(m_previous); }
    PicbufMonitorScope(const PicbufMonitorScope&) = delete;
    PicbufMonitorScope& operator=(const PicbufMonitorScope&) = delete;

    static bool report(std::int64_t quantum, std::uint64_t span) {
        Picbuf* p = g_active.load();
        return p ? p->reportProgress(quantum, span) : true;
    }

private:
    Picbuf& m_picbuf;
    Picbuf* m_previous = nullptr;
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
        return depthForColours(static_cast<unsigned>(im->colors));
    return 24;
}

void Picbuf::setLoadSizeHint(int w, int h) {
    m_hintWidth = std::max(0, w);
    m_hintHeight = std::max(0, h);
}

void Picbuf::fail(int code, const std::string& text) {
    m_errorNumber = code;
    throw PicbufError(code, text);
}

void Picbuf::requireImage(const char* operation) const {
    if (m_held) return;
    m_errorNumber = PicbufCode::NoImage;
    throw PicbufError(PicbufCode::NoImage, std::string(operation) + ": no image");
}

void Picbuf::checkAborted(const char* operation) {
    if (m_aborted) fail(PicbufCode::Aborted, std::string(operation) + ": operation aborted");
}

bool Picbuf::reportProgress(std::int64_t quantum, std::uint64_t span) {
    if (m_aborted) return false;
    // Worker threads of the library only learn the answer; the callback pumps the
    // window system and must run on the thread that started the operation.
    if (std::this_thread::get_id() != m_owner || !m_onCallback) return true;
    const int percent =
        span ? static_cast<int>(std::clamp<std::int64_t>(quantum * 100 / std::int64_t(span), 0, 100)) : 0;
    if (!m_onCallback(percent)) m_aborted = true;
    return !m_aborted;
}

void Picbuf::load() {
    PicbufMonitorScope scope(*this);
    release();
    m_errorNumber = 0;
    Probe probe;
    try {
        probe = readHeader(m_fileName, m_imageFormat, m_aborted);
    } catch (const ProbeFailure& f) {
        fail(f.code, f.text);
    }
    if (m_imageNumber < 0 || m_imageNumber >= probe.count)
        fail(PicbufCode::Reading, "Image number " + std::to_string(m_imageNumber) + " is not in the file");

    Magick::Image img;
    try {
        img.magick(probe.magick);
        img.subImage(static_cast<unsigned>(m_imageNumber));
        img.subRange(1);
        int hintWidth = m_hintWidth;
        int hintHeight = m_hintHeight;
        if (m_hintFor) std::tie(hintWidth, hintHeight) = m_hintFor(int(probe.width), int(probe.height));
        const bool larger = unsigned(hintWidth) < probe.width || unsigned(hintHeight) < probe.height;
        // Only the JPEG decoder treats the size as "decode at least this big"; other
        // decoders read it as the size of raw data.
        if (hintWidth > 0 && hintHeight > 0 && larger && probe.formatCode == Jpeg)
            img.size(Magick::Geometry(unsigned(hintWidth), unsigned(hintHeight)));
        try {
            img.read(probe.blob);
        } catch (const Magick::Warning&) {
            // A damaged tail (truncated JPEG, for one) still leaves a usable image.
        }
        checkAborted("Load");
        if (!img.isValid() || img.columns() == 0 || img.rows() == 0) fail(PicbufCode::Reading, "Load: no image data");
        // The rest of the program works in RGB, with greyscale as an 8-bit palette.
        if (img.colorSpace() != RGBColorspace && img.colorSpace() != GRAYColorspace) img.colorSpace(RGBColorspace);
        const Image* im = img.constImage();
        if (im->storage_class == PseudoClass && im->colors > 256) img.classType(DirectClass);
        if (img.constImage()->storage_class == DirectClass && img.constImage()->is_grayscale && !img.matte())
            remapToPalette(img, greyRamp(256));
    } catch (const PicbufError&) {
        throw;
    } catch (const Magick::Exception& e) {
        fail(m_aborted ? PicbufCode::Aborted : codeFor(e, false), e.what());
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "Load: out of memory");
    }
    m_image = img;
    m_held = true;
    m_fileWidth = static_cast<int>(probe.width);
    m_fileHeight = static_cast<int>(probe.height);
    m_imageFormat = probe.formatCode;
}

int Picbuf::imageCount() {
    PicbufMonitorScope scope(*this);
    try {
        return readHeader(m_fileName, m_imageFormat, m_aborted).count;
    } catch (const ProbeFailure& f) {
        fail(f.code, f.text);
    }
}

void Picbuf::store() {
    requireImage("Store");
    const char* writer = writerFor(m_imageFormat);
    if (!writer) fail(PicbufCode::UnknownWriteFormat, "Store: no writer for format " + std::to_string(m_imageFormat));
    PicbufMonitorScope scope(*this);
    Magick::Blob blob;
    try {
        Magick::Image work = m_image;
        work.magick(writer);
        if (m_imageFormat == Bmp || m_imageFormat == Jpeg) {
            // Neither keeps transparency; the colour under it is what shows.
            if (work.matte()) work.matte(false);
        }
        if (m_imageFormat == Bmp) {
            // The library compresses 4- and 8-bit BMPs with RLE unless told otherwise,
            // and not every reader of wallpaper bitmaps handles that.
            work.compressType(NoCompression);
        } else if (m_imageFormat == Jpeg) {
            work.quality(m_writeCompression > 0 ? static_cast<unsigned>(std::min(m_writeCompression, 100)) : 75u);
        }
        work.write(&blob);
        checkAborted("Store");
    } catch (const PicbufError&) {
        throw;
    } catch (const Magick::Exception& e) {
        fail(m_aborted ? PicbufCode::Aborted : codeFor(e, true), e.what());
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "Store: out of memory");
    }
    if (blob.length() == 0) fail(PicbufCode::WriteFailed, "Store: nothing was encoded");

    // Written here rather than by the library so that the name is taken literally
    // (the library reads "fmt:", "[n]" and "@" in file names) and every write error
    // is seen, disk full included.
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

void Picbuf::createImage(int depth, int width, int height) {
    if (width < 1 || height < 1 || unsigned(width) > kMaxSide || unsigned(height) > kMaxSide || depth < 1)
        fail(PicbufCode::BadArgument, "CreateImage: bad size or depth");
    try {
        Magick::Image img(Magick::Geometry(unsigned(width), unsigned(height)), Magick::Color(0, 0, 0));
        img.matte(false);
        // A solid new image comes out of the library as a one-entry palette image.
        if (depth <= 8) {
            remapToPalette(img, greyRamp(1u << std::min(depth, 8)));
        } else {
            img.classType(DirectClass);
        }
        m_image = img;
    } catch (const Magick::Exception& e) {
        fail(codeFor(e, false) == PicbufCode::OutOfMemory ? PicbufCode::OutOfMemory : PicbufCode::BadArgument,
             e.what());
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "CreateImage: out of memory");
    }
    m_held = true;
    m_fileWidth = width;
    m_fileHeight = height;
}

void Picbuf::assignFrom(const Picbuf& other) {
    other.requireImage("AssignFrom");
    if (&other == this) return;
    if (m_assignMode != AssignMode::ScaleToSize) {
        m_image = other.m_image;
        m_held = true;
        m_fileWidth = other.m_fileWidth;
        m_fileHeight = other.m_fileHeight;
        return;
    }
    requireImage("AssignFrom");
    PicbufMonitorScope scope(*this);
    const int depth = colorDepth();
    try {
        Magick::Image scaled = other.m_image;
        Magick::Geometry size(m_image.columns(), m_image.rows());
        size.aspect(true);
        if (m_resizeMode == 3) {
            scaled.filterType(LanczosFilter);
            scaled.zoom(size);
        } else {
            scaled.sample(size);
        }
        checkAborted("AssignFrom");
        // The receiver keeps its depth: a palette receiver gets the source's palette
        // when there is one, else the best palette of its size.
        if (depth <= 8) {
            const std::vector<PixelPacket> palette = paletteOf(other.m_image);
            if (!palette.empty()) {
                remapToPalette(scaled, palette);
            } else {
                scaled.quantizeColors(1u << depth);
                scaled.quantizeDither(false);
                scaled.quantize();
                checkAborted("AssignFrom");
            }
        }
        m_image = scaled;
    } catch (const PicbufError&) {
        throw;
    } catch (const Magick::Exception& e) {
        fail(m_aborted ? PicbufCode::Aborted : codeFor(e, false), e.what());
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "AssignFrom: out of memory");
    }
    m_fileWidth = other.m_fileWidth;
    m_fileHeight = other.m_fileHeight;
}

void Picbuf::copyPalette(const Picbuf& other) {
    requireImage("CopyPalette");
    other.requireImage("CopyPalette");
    const std::vector<PixelPacket> palette = paletteOf(other.m_image);
    if (palette.empty()) fail(PicbufCode::BadArgument, "CopyPalette: the other image has no palette");
    try {
        Magick::Image work = m_image;
        remapToPalette(work, palette);
        m_image = work;
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "CopyPalette: out of memory");
    }
}

void Picbuf::gammaCorrect(double c) {
    requireImage("GammaCorrect");
    if (!std::isfinite(c)) fail(PicbufCode::BadArgument, "GammaCorrect: not a number");
    const double g = std::clamp(c <= 5.0 ? 1.0 + (5.0 - c) / 4.0 : 1.0 - (c - 5.0) / 5.0, 0.01, 10.0);
    if (std::abs(g - 1.0) < 1e-12) return;
    PicbufMonitorScope scope(*this);
    try {
        Magick::Image work = m_image;
        work.gamma(g);
        checkAborted("GammaCorrect");
        m_image = work;
    } catch (const PicbufError&) {
        throw;
    } catch (const Magick::Exception& e) {
        fail(m_aborted ? PicbufCode::Aborted : codeFor(e, false), e.what());
    }
}

void Picbuf::reduceColors(int count, bool dither) {
    requireImage("ReduceColors");
    if (count < 2) fail(PicbufCode::BadArgument, "ReduceColors: fewer than two colours");
    count = std::min(count, 256);
    PicbufMonitorScope scope(*this);
    try {
        Magick::Image work = m_image;
        if (work.matte()) work.matte(false);
        work.quantizeColorSpace(RGBColorspace);
        work.quantizeColors(static_cast<unsigned>(count));
        work.quantizeDither(dither);
        work.quantize();
        checkAborted("ReduceColors");
        if (work.constImage()->storage_class != PseudoClass || work.constImage()->colors > unsigned(count))
            fail(PicbufCode::OutOfMemory, "ReduceColors: the reduction did not produce a palette");
        m_image = work;
    } catch (const PicbufError&) {
        throw;
    } catch (const Magick::Exception& e) {
        fail(m_aborted ? PicbufCode::Aborted : codeFor(e, false), e.what());
    }
}

void Picbuf::completePalette() {
    requireImage("CompletePalette");
    if (m_image.constImage()->storage_class != PseudoClass)
        fail(PicbufCode::BadArgument, "CompletePalette: the image has no palette");
    // The twenty colours Windows keeps in every 256-colour palette, which is why
    // the reduction stops at 236.
    static const std::vector<std::uint32_t> reserved = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
        0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    try {
        growPalette(m_image, 256, reserved);
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "CompletePalette: out of memory");
    }
}

void Picbuf::raiseColorDepth(int bits) {
    requireImage("RaiseColorDepth");
    if (bits < 1) fail(PicbufCode::BadArgument, "RaiseColorDepth: bad depth");
    if (bits <= colorDepth()) return;
    try {
        if (bits > 8) {
            m_image.classType(DirectClass);
        } else {
            growPalette(m_image, 1u << bits, {});
        }
    } catch (const Magick::Exception& e) {
        fail(codeFor(e, false), e.what());
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "RaiseColorDepth: out of memory");
    }
}

std::uint32_t Picbuf::paletteColor(int index) const {
    requireImage("GetPaletteColor");
    const Image* im = m_image.constImage();
    if (im->storage_class != PseudoClass || index < 0 || unsigned(index) >= im->colors) {
        m_errorNumber = PicbufCode::BadArgument;
        throw PicbufError(PicbufCode::BadArgument, "GetPaletteColor: no entry " + std::to_string(index));
    }
    return packed(im->colormap[index]);
}

void Picbuf::setPaletteColor(int index, std::uint32_t rgb) {
    requireImage("SetPaletteColor");
    const Image* cim = m_image.constImage();
    if (cim->storage_class != PseudoClass || index < 0 || unsigned(index) >= cim->colors)
        fail(PicbufCode::BadArgument, "SetPaletteColor: no entry " + std::to_string(index));
    m_image.modifyImage();
    Image* im = m_image.image();
    im->colormap[index] = unpacked(rgb & 0xFFFFFF);
    // Pixels of a palette image carry their colour as well as their index.
    SyncImage(im);
}

void Picbuf::loadBitmap(const PicbufBitmap& bitmap) {
    if (bitmap.isNull() || unsigned(bitmap.width) > kMaxSide || unsigned(bitmap.height) > kMaxSide ||
        bitmap.bytes.size() < bitmap.stride() * std::size_t(bitmap.height))
        fail(PicbufCode::BadArgument, "LoadBitmapHandle: bad bitmap");
    const bool rgba = bitmap.layout == PicbufBitmap::Layout::Rgba32;
    try {
        Magick::Image img(unsigned(bitmap.width), unsigned(bitmap.height), rgba ? "RGBA" : "RGB", CharPixel,
                          bitmap.bytes.data());
        if (rgba) {
            bool opaque = true;
            for (std::size_t i = 3; i < bitmap.stride() * std::size_t(bitmap.height) && opaque; i += 4)
                opaque = bitmap.bytes[i] == 0xFF;
            img.matte(!opaque);
        }
        m_image = img;
    } catch (const Magick::Exception& e) {
        fail(codeFor(e, false), e.what());
    } catch (const std::bad_alloc&) {
        fail(PicbufCode::OutOfMemory, "LoadBitmapHandle: out of memory");
    }
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
    try {
        bitmap.bytes.resize(bitmap.stride() * std::size_t(bitmap.height));
        Magick::Image copy = m_image;
        if (copy.matte()) {
            copy.write(0, 0, copy.columns(), copy.rows(), "RGBA", CharPixel, bitmap.bytes.data());
        } else {
            std::vector<std::uint8_t> rgb(std::size_t(bitmap.width) * bitmap.height * 3);
            copy.write(0, 0, copy.columns(), copy.rows(), "RGB", CharPixel, rgb.data());
            for (std::size_t i = 0, j = 0; i < rgb.size(); i += 3, j += 4) {
                bitmap.bytes[j] = rgb[i];
                bitmap.bytes[j + 1] = rgb[i + 1];
                bitmap.bytes[j + 2] = rgb[i + 2];
                bitmap.bytes[j + 3] = 0xFF;
            }
        }
    } catch (const Magick::Exception& e) {
        m_errorNumber = codeFor(e, false);
        throw PicbufError(m_errorNumber, e.what());
    } catch (const std::bad_alloc&) {
        m_errorNumber = PicbufCode::OutOfMemory;
        throw PicbufError(m_errorNumber, "MakeBitmapHandle: out of memory");
    }
    return bitmap;
}

void Picbuf::release() {
    m_image = Magick::Image();
    m_held = false;
    m_fileWidth = 0;
    m_fileHeight = 0;
}
