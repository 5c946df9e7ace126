// SPDX-License-Identifier: MIT
#include "BmpEncoding.h"

#include "PicbufError.h"

#include <cstdint>
#include <memory>

using namespace MagickLib;

namespace bmpencoding {

namespace {

constexpr std::size_t kHeaderBytes = 14 + 40;
// 72 dots per inch, in dots per metre.
constexpr std::uint32_t kDotsPerMetre = 2835;

void put16(unsigned char*& p, std::uint16_t v) {
    *p++ = static_cast<unsigned char>(v);
    *p++ = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char*& p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        *p++ = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace

Magick::Blob trueColour(const Magick::Image& image) {
    const std::size_t width = image.columns();
    const std::size_t height = image.rows();
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    const std::size_t pixelBytes = stride * height;
    const std::size_t total = kHeaderBytes + pixelBytes;
    if (width == 0 || height == 0 || total > 0xFFFFFFFFu)
        throw PicbufError(PicbufCode::WriteFailed, "Store: the bitmap is too large");
    std::unique_ptr<char[]> bytes(new char[total]);
    auto* p = reinterpret_cast<unsigned char*>(bytes.get());
    *p++ = 'B';
    *p++ = 'M';
    put32(p, std::uint32_t(total));
    put32(p, 0);
    put32(p, std::uint32_t(kHeaderBytes));
    put32(p, 40);
    put32(p, std::uint32_t(width));
    put32(p, std::uint32_t(height));
    put16(p, 1);
    put16(p, 24);
    put32(p, 0); // no compression
    put32(p, std::uint32_t(pixelBytes));
    put32(p, kDotsPerMetre);
    put32(p, kDotsPerMetre);
    put32(p, 0);
    put32(p, 0);
    for (std::size_t y = height; y-- > 0;) {
        const PixelPacket* row = image.getConstPixels(0, static_cast<int>(y), static_cast<unsigned>(width), 1);
        if (!row) throw PicbufError(PicbufCode::WriteFailed, "Store: the image's pixels cannot be read");
        unsigned char* out = p;
        for (std::size_t x = 0; x < width; ++x, ++row) {
            *out++ = ScaleQuantumToChar(row->blue);
            *out++ = ScaleQuantumToChar(row->green);
            *out++ = ScaleQuantumToChar(row->red);
        }
        for (std::size_t pad = width * 3; pad < stride; ++pad)
            *out++ = 0;
        p += stride;
    }
    Magick::Blob blob;
    blob.updateNoCopy(bytes.release(), total, Magick::Blob::NewAllocator);
    return blob;
}

} // namespace bmpencoding
