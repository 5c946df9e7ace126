// SPDX-License-Identifier: MIT
#include "ScreenInfo.h"

#include <X11/Xlib.h>

#include <memory>

namespace platform {

namespace {
struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;
} // namespace

std::optional<QSize> primaryScreenSize() {
    DisplayPtr dpy(XOpenDisplay(nullptr));
    if (!dpy) return std::nullopt;
    const int screen = DefaultScreen(dpy.get());
    return QSize(DisplayWidth(dpy.get(), screen), DisplayHeight(dpy.get(), screen));
}

int primaryScreenDepth() {
    DisplayPtr dpy(XOpenDisplay(nullptr));
    if (!dpy) return 0;
    return DefaultDepth(dpy.get(), DefaultScreen(dpy.get()));
}

int normaliseColorDepth(int bitsPerPixel) {
    if (bitsPerPixel <= 0) return 24;
    if (bitsPerPixel > 14) return 24;
    if (bitsPerPixel >= 9) return 8;
    if (bitsPerPixel >= 5 && bitsPerPixel <= 7) return 4;
    return bitsPerPixel;
}

} // namespace platform
