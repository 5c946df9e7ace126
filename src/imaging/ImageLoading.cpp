// SPDX-License-Identifier: MIT
#include "ImageLoading.h"

#include "JpegScaledDecode.h"
#include "MagickErrors.h"
#include "PaletteMapping.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <unordered_map>

using namespace MagickLib;

namespace imageloading {

namespace {

// Files above this are not images a wallpaper program should read into memory.
constexpr std::uintmax_t kMaxFileBytes = 512ull * 1024 * 1024;

// Decoders we read, by the name the library gives them, and the format each one reports.
std::optional<Picbuf::Format> formatOf(const std::string& magick) {
    static const std::unordered_map<std::string, Picbuf::Format> known = {
        {"JPEG", Picbuf::Jpeg}, {"JPG", Picbuf::Jpeg},  {"GIF", Picbuf::Gif},   {"GIF87", Picbuf::Gif},
        {"BMP", Picbuf::Bmp},   {"BMP2", Picbuf::Bmp},  {"BMP3", Picbuf::Bmp},  {"PCX", Picbuf::Pcx},
        {"PNG", Picbuf::Png},   {"PNG8", Picbuf::Png},  {"PNG24", Picbuf::Png}, {"PNG32", Picbuf::Png},
        {"PNG48", Picbuf::Png}, {"PNG64", Picbuf::Png}, {"TIFF", Picbuf::Tiff}, {"TIF", Picbuf::Tiff},
        {"TGA", Picbuf::Tga},
    };
    const auto it = known.find(magick);
    if (it == known.end()) return std::nullopt;
    return it->second;
}

bool isTgaName(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".tga" || ext == ".vda" || ext == ".icb" || ext == ".vst";
}

struct ImageInfoDeleter {
    void operator()(ImageInfo* p) const { DestroyImageInfo(p); }
};
struct ImageListDeleter {
    void operator()(Image* p) const { DestroyImageList(p); }
};

// The whole file, read once into memory the blob owns.
Magick::Blob readWholeFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw PicbufError(PicbufCode::Reading, "Unable to open file (" + path + ")");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size == 0) throw PicbufError(PicbufCode::Reading, "Empty file (" + path + ")");
    if (size > kMaxFileBytes) throw PicbufError(PicbufCode::Reading, "File too large (" + path + ")");
    std::ifstream in(path, std::ios::binary);
    std::unique_ptr<char[]> bytes(new char[static_cast<std::size_t>(size)]);
    if (!in || !in.read(bytes.get(), static_cast<std::streamsize>(size)))
        throw PicbufError(PicbufCode::Reading,
                          std::string("Unable to read file (") + path + "): " + std::strerror(errno));
    Magick::Blob blob;
    blob.updateNoCopy(bytes.release(), static_cast<std::size_t>(size), Magick::Blob::NewAllocator);
    return blob;
}

// Reads the header with the named decoder, or the one the content names when null.
void ping(Probe& probe, const char* magick, const std::atomic<bool>& aborted) {
    std::unique_ptr<ImageInfo, ImageInfoDeleter> info(CloneImageInfo(nullptr));
    if (magick) std::snprintf(info->magick, sizeof info->magick, "%s", magick);
    ExceptionInfo exception;
    GetExceptionInfo(&exception);
    std::unique_ptr<Image, ImageListDeleter> list(
        PingBlob(info.get(), probe.blob.data(), probe.blob.length(), &exception));
    std::optional<PicbufError> failure;
    if (!list || exception.severity >= ErrorException) {
        std::string text = exception.reason ? exception.reason : "Unable to read image header";
        if (exception.description) text += std::string(" (") + exception.description + ")";
        failure.emplace(magickerrors::codeForText(text, exception.severity == ResourceLimitError, false), text);
        if (aborted) failure.emplace(PicbufCode::Aborted, "Operation aborted");
    }
    DestroyExceptionInfo(&exception);
    if (failure) throw *failure;
    probe.magick = list->magick;
    probe.count = static_cast<int>(GetImageListLength(list.get()));
    probe.width = static_cast<unsigned>(list->columns);
    probe.height = static_cast<unsigned>(list->rows);
}

bool sizeInRange(unsigned width, unsigned height) {
    return width != 0 && height != 0 && width <= Picbuf::kMaxSide && height <= Picbuf::kMaxSide &&
           std::uint64_t(width) * height <= Picbuf::kMaxPixels;
}

struct ImageDeleter {
    void operator()(Image* p) const { DestroyImage(p); }
};

// A large colour JPEG through the scaled decoder, its rows written straight into the pixels
// of a new image. Nothing when that decoder does not take the file.
std::optional<Magick::Image> decodeScaledJpeg(const Probe& probe, int width, int height) {
    std::unique_ptr<Image, ImageDeleter> image;
    PixelPacket* pixels = nullptr;
    const jpegscaled::Sink sink{[&](int w, int h) {
                                    image.reset(AllocateImage(nullptr));
                                    if (!image) return false;
                                    image->columns = unsigned(w);
                                    image->rows = unsigned(h);
                                    pixels = SetImagePixels(image.get(), 0, 0, unsigned(w), unsigned(h));
                                    return pixels != nullptr;
                                },
                                [&](int y, const std::uint8_t* rgb) {
                                    PixelPacket* q = pixels + std::size_t(y) * image->columns;
                                    for (unsigned long x = 0; x < image->columns; ++x, ++q, rgb += 3) {
                                        q->red = ScaleCharToQuantum(rgb[0]);
                                        q->green = ScaleCharToQuantum(rgb[1]);
                                        q->blue = ScaleCharToQuantum(rgb[2]);
                                        q->opacity = OpaqueOpacity;
                                    }
                                }};
    const auto* data = static_cast<const unsigned char*>(probe.blob.data());
    if (!jpegscaled::decode(data, probe.blob.length(), width, height, sink) || !image || !SyncImagePixels(image.get()))
        return std::nullopt;
    return Magick::Image(image.release());
}

} // namespace

Probe readHeader(const std::string& path, Picbuf::Format format, const std::atomic<bool>& aborted) {
    Probe probe;
    probe.blob = readWholeFile(path);
    if (format == Picbuf::Tga) {
        ping(probe, "TGA", aborted);
    } else {
        try {
            ping(probe, nullptr, aborted);
        } catch (const PicbufError&) {
            // TGA carries no signature; its file name is all that identifies it.
            if (!isTgaName(path)) throw;
            ping(probe, "TGA", aborted);
        }
    }
    const std::optional<Picbuf::Format> found = formatOf(probe.magick);
    if (!found) throw PicbufError(PicbufCode::Reading, "Not a graphics type this program reads (" + probe.magick + ")");
    probe.format = *found;
    if (!sizeInRange(probe.width, probe.height))
        throw PicbufError(PicbufCode::Reading, "Image dimensions " + std::to_string(probe.width) + "x" +
                                                   std::to_string(probe.height) + " are out of range");
    return probe;
}

Magick::Image decode(Probe& probe, int number, int hintWidth, int hintHeight) {
    Magick::Image img;
    img.magick(probe.magick);
    img.subImage(static_cast<unsigned>(number));
    img.subRange(1);
    const bool larger = unsigned(hintWidth) < probe.width || unsigned(hintHeight) < probe.height;
    // Only the JPEG decoder treats the size as "decode at least this big"; other
    // decoders read it as the size of raw data.
    if (hintWidth > 0 && hintHeight > 0 && larger && probe.format == Picbuf::Jpeg) {
        if (number == 0) {
            if (std::optional<Magick::Image> picture = decodeScaledJpeg(probe, hintWidth, hintHeight)) {
                probe.blob = Magick::Blob();
                return *picture;
            }
        }
        img.size(Magick::Geometry(unsigned(hintWidth), unsigned(hintHeight)));
    }
    try {
        img.read(probe.blob);
    } catch (const Magick::Warning&) {
        // A damaged tail (truncated JPEG, for one) still leaves a usable image.
    }
    probe.blob = Magick::Blob();
    return img;
}

void normalise(Magick::Image& img) {
    if (img.colorSpace() != RGBColorspace && img.colorSpace() != GRAYColorspace) img.colorSpace(RGBColorspace);
    const Image* im = img.constImage();
    if (im->storage_class == PseudoClass && im->colors > 256) img.classType(DirectClass);
    if (img.constImage()->storage_class == DirectClass && img.constImage()->is_grayscale && !img.matte())
        palettemapping::remapToPalette(img, palettemapping::greyRamp(256));
}

} // namespace imageloading
