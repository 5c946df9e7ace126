// SPDX-License-Identifier: MIT
#include "PaletteMapping.h"

#include <algorithm>
#include <new>
#include <unordered_map>

using namespace MagickLib;

namespace palettemapping {

namespace {

long squaredDistance(std::uint32_t a, std::uint32_t b) {
    const long dr = long((a >> 16) & 0xFF) - long((b >> 16) & 0xFF);
    const long dg = long((a >> 8) & 0xFF) - long((b >> 8) & 0xFF);
    const long db = long(a & 0xFF) - long(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// Nearest palette entry of a colour, remembered per colour: photographs repeat
// colours far more often than a palette search is cheap.
class NearestEntry {
public:
    explicit NearestEntry(const std::vector<PixelPacket>& palette) : m_entries(palette.size()) {
        std::transform(palette.begin(), palette.end(), m_entries.begin(), packed);
    }

    IndexPacket operator()(std::uint32_t rgb) {
        const auto it = m_known.find(rgb);
        if (it != m_known.end()) return it->second;
        long best = -1;
        IndexPacket bestIndex = 0;
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const long d = squaredDistance(rgb, m_entries[i]);
            if (best < 0 || d < best) {
                best = d;
                bestIndex = static_cast<IndexPacket>(i);
                if (d == 0) break;
            }
        }
        m_known.emplace(rgb, bestIndex);
        return bestIndex;
    }

private:
    std::vector<std::uint32_t> m_entries;
    std::unordered_map<std::uint32_t, IndexPacket> m_known;
};

} // namespace

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

void remapToPalette(Magick::Image& img, const std::vector<PixelPacket>& palette) {
    img.modifyImage();
    Image* im = img.image();
    img.classType(DirectClass);
    if (!AllocateImageColormap(im, palette.size())) throw std::bad_alloc();
    std::copy(palette.begin(), palette.end(), im->colormap);
    NearestEntry nearest(palette);

    const unsigned w = img.columns();
    for (unsigned y = 0; y < img.rows(); ++y) {
        PixelPacket* px = img.getPixels(0, static_cast<int>(y), w, 1);
        IndexPacket* ix = img.getIndexes();
        if (!px || !ix) throw std::bad_alloc();
        for (unsigned x = 0; x < w; ++x) {
            const IndexPacket i = nearest(packed(px[x]));
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

} // namespace palettemapping
