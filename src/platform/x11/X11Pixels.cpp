// SPDX-License-Identifier: MIT
#include "X11Pixels.h"

#include <X11/Xutil.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <vector>

PixelMapper::PixelMapper(Display* display, int screen) : m_display(display), m_visual(DefaultVisual(display, screen)) {
    m_colormap = DefaultColormap(display, screen);
    m_direct = m_visual->c_class == TrueColor || m_visual->c_class == DirectColor;
    m_channels = {Channel(m_visual->red_mask), Channel(m_visual->green_mask), Channel(m_visual->blue_mask)};
}

unsigned long PixelMapper::pixel(unsigned r, unsigned g, unsigned b) {
    if (m_direct) return directPixel(r, g, b);
    const unsigned key = (r << 16) | (g << 8) | b;
    if (auto it = m_cache.find(key); it != m_cache.end()) return it->second;
    XColor c{};
    c.red = static_cast<unsigned short>(r * 257);
    c.green = static_cast<unsigned short>(g * 257);
    c.blue = static_cast<unsigned short>(b * 257);
    c.flags = DoRed | DoGreen | DoBlue;
    const unsigned long value =
        XAllocColor(m_display, m_colormap, &c) ? c.pixel : BlackPixel(m_display, DefaultScreen(m_display));
    m_cache.emplace(key, value);
    return value;
}

namespace {

// 32-bit pixels in this machine's byte order are stored directly, anything else goes
// through XPutPixel.
void fillImage(XImage* image, int width, int height, const RgbRows& rows, PixelMapper& mapper) {
    const auto nativeOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    const bool direct32 = mapper.direct() && image->bits_per_pixel == 32 && image->byte_order == nativeOrder;
    std::vector<unsigned char> line(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        rows(y, line.data());
        const unsigned char* p = line.data();
        if (direct32) {
            auto* out =
                reinterpret_cast<std::uint32_t*>(image->data + static_cast<std::size_t>(y) * image->bytes_per_line);
            for (int x = 0; x < width; ++x, p += 3)
                out[x] = static_cast<std::uint32_t>(mapper.directPixel(p[0], p[1], p[2]));
            continue;
        }
        for (int x = 0; x < width; ++x, p += 3)
            XPutPixel(image, x, y, mapper.pixel(p[0], p[1], p[2]));
    }
}

} // namespace

XImage* makeXImage(Display* display, int screen, int depth, int width, int height, const RgbRows& rows,
                   PixelMapper& mapper) {
    XImage* image = XCreateImage(display, DefaultVisual(display, screen), depth, ZPixmap, 0, nullptr, width, height,
                                 BitmapPad(display), 0);
    if (!image) return nullptr;
    // XDestroyImage releases the data with free().
    image->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(image->bytes_per_line) * height, 1));
    if (!image->data) {
        XDestroyImage(image);
        return nullptr;
    }
    fillImage(image, width, height, rows, mapper);
    return image;
}
