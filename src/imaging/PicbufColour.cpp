// SPDX-License-Identifier: MIT
// Picbuf's pixel and palette operations: new images, scaling, gamma, colour reduction.
#include "Picbuf.h"

#include "PaletteMapping.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace MagickLib;
using namespace palettemapping;

void Picbuf::createImage(int depth, int width, int height) {
    if (width < 1 || height < 1 || unsigned(width) > kMaxSide || unsigned(height) > kMaxSide || depth < 1)
        fail(PicbufCode::BadArgument, "CreateImage: bad size or depth");
    guarded("CreateImage", LibraryFailure::BadArgument, Progress::Silent, [&] {
        Magick::Image img(Magick::Geometry(unsigned(width), unsigned(height)), Magick::Color(0, 0, 0));
        img.matte(false);
        // A solid new image comes out of the library as a one-entry palette image.
        if (depth <= 8) {
            remapToPalette(img, greyRamp(1u << std::min(depth, 8)));
        } else {
            img.classType(DirectClass);
        }
        m_image = img;
    });
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
    guarded("AssignFrom", LibraryFailure::Reading, Progress::Reported,
            [&] { m_image = scaledCopyOf(other.m_image, unsigned(width()), unsigned(height()), colorDepth()); });
    m_fileWidth = other.m_fileWidth;
    m_fileHeight = other.m_fileHeight;
}

void Picbuf::resizeTo(int width, int height) {
    requireImage("Resize");
    if (width < 1 || height < 1 || unsigned(width) > kMaxSide || unsigned(height) > kMaxSide)
        fail(PicbufCode::BadArgument, "Resize: bad size");
    if (width == this->width() && height == this->height()) return;
    guarded("Resize", LibraryFailure::Reading, Progress::Reported,
            [&] { m_image = scaledCopyOf(m_image, unsigned(width), unsigned(height), colorDepth()); });
}

// The image at width x height. A palette receiver keeps its depth: it gets the source's
// palette when there is one, else the best palette of its size.
Magick::Image Picbuf::scaledCopyOf(const Magick::Image& source, unsigned width, unsigned height, int depth) const {
    Magick::Image scaled = source;
    Magick::Geometry size(width, height);
    size.aspect(true);
    if (m_resizeFilter == ResizeFilter::Lanczos) {
        scaled.filterType(LanczosFilter);
        scaled.zoom(size);
    } else {
        scaled.sample(size);
    }
    checkAborted("AssignFrom");
    if (depth > 8) return scaled;
    const std::vector<PixelPacket> palette = paletteOf(source);
    if (!palette.empty()) {
        remapToPalette(scaled, palette);
    } else {
        scaled.quantizeColors(1u << depth);
        scaled.quantizeDither(false);
        scaled.quantize();
        checkAborted("AssignFrom");
    }
    return scaled;
}

void Picbuf::copyPalette(const Picbuf& other) {
    requireImage("CopyPalette");
    other.requireImage("CopyPalette");
    const std::vector<PixelPacket> palette = paletteOf(other.m_image);
    if (palette.empty()) fail(PicbufCode::BadArgument, "CopyPalette: the other image has no palette");
    guarded("CopyPalette", LibraryFailure::Reading, Progress::Silent, [&] {
        Magick::Image work = m_image;
        remapToPalette(work, palette);
        m_image = work;
    });
}

void Picbuf::gammaCorrect(double c) {
    requireImage("GammaCorrect");
    if (!std::isfinite(c)) fail(PicbufCode::BadArgument, "GammaCorrect: not a number");
    const double g = std::clamp(c <= 5.0 ? 1.0 + (5.0 - c) / 4.0 : 1.0 - (c - 5.0) / 5.0, 0.01, 10.0);
    if (std::abs(g - 1.0) < 1e-12) return;
    guarded("GammaCorrect", LibraryFailure::Reading, Progress::Reported, [&] {
        Magick::Image work = m_image;
        work.gamma(g);
        checkAborted("GammaCorrect");
        m_image = work;
    });
}

void Picbuf::reduceColors(int count, bool dither) {
    requireImage("ReduceColors");
    if (count < 2) fail(PicbufCode::BadArgument, "ReduceColors: fewer than two colours");
    count = std::min(count, 256);
    guarded("ReduceColors", LibraryFailure::Reading, Progress::Reported, [&] {
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
    });
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
    guarded("CompletePalette", LibraryFailure::Reading, Progress::Silent, [&] { growPalette(m_image, 256, reserved); });
}

void Picbuf::raiseColorDepth(int bits) {
    requireImage("RaiseColorDepth");
    if (bits < 1) fail(PicbufCode::BadArgument, "RaiseColorDepth: bad depth");
    if (bits <= colorDepth()) return;
    guarded("RaiseColorDepth", LibraryFailure::Reading, Progress::Silent, [&] {
        if (bits > 8) {
            m_image.classType(DirectClass);
        } else {
            growPalette(m_image, 1u << bits, {});
        }
    });
}

std::uint32_t Picbuf::paletteColor(int index) const {
    requireImage("GetPaletteColor");
    const Image* im = m_image.constImage();
    if (im->storage_class != PseudoClass || index < 0 || unsigned(index) >= im->colors)
        fail(PicbufCode::BadArgument, "GetPaletteColor: no entry " + std::to_string(index));
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
