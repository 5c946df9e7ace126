// SPDX-License-Identifier: MIT
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <bit>
#include <functional>
#include <map>

// Turns 8-bit RGB into pixel values of the screen's visual.
class PixelMapper {
public:
    PixelMapper(Display* display, int screen);

    bool direct() const { return m_direct; }

    // On a direct-colour screen: no server round trip, so it may run for every pixel.
    unsigned long directPixel(unsigned r, unsigned g, unsigned b) const {
        return m_channels[0].of(r) | m_channels[1].of(g) | m_channels[2].of(b);
    }

    // Any screen; palette screens are asked once per colour.
    unsigned long pixel(unsigned r, unsigned g, unsigned b);

private:
    // Where one 8-bit channel goes in a pixel value.
    struct Channel {
        Channel() = default;
        explicit Channel(unsigned long m) : mask(m), shift(m ? std::countr_zero(m) : 0), bits(std::popcount(m)) {}
        unsigned long of(unsigned value) const {
            if (mask == 0) return 0;
            const unsigned long scaled =
                bits <= 8 ? (value >> (8 - bits)) : (static_cast<unsigned long>(value) << (bits - 8));
            return (scaled << shift) & mask;
        }
        unsigned long mask = 0;
        int shift = 0;
        int bits = 0;
    };

    Display* m_display;
    Visual* m_visual;
    Colormap m_colormap;
    bool m_direct = false;
    std::array<Channel, 3> m_channels;
    std::map<unsigned, unsigned long> m_cache;
};

// Row y of a picture as RGB triplets.
using RgbRows = std::function<void(int y, unsigned char* rgb)>;

// A width x height image in the screen's pixel format, filled from rows; nullptr when the
// client is out of memory. Free it with XDestroyImage.
XImage* makeXImage(Display* display, int screen, int depth, int width, int height, const RgbRows& rows,
                   PixelMapper& mapper);
