// SPDX-License-Identifier: MIT
#include "X11Connection.h"

#include "X11ErrorTrap.h"

#include <cstdlib>

namespace {
// Long enough for any path or list of atoms we read; longer properties are cut.
constexpr long kMaxPropertyLongs = 1L << 16;
} // namespace

X11Connection::X11Connection() : m_display(XOpenDisplay(nullptr)) {
    if (!m_display) return;
    m_screen = DefaultScreen(m_display);
    m_root = RootWindow(m_display, m_screen);
}

X11Connection::~X11Connection() {
    if (m_display) XCloseDisplay(m_display);
}

int X11Connection::width() const {
    return DisplayWidth(m_display, m_screen);
}
int X11Connection::height() const {
    return DisplayHeight(m_display, m_screen);
}
int X11Connection::depth() const {
    return DefaultDepth(m_display, m_screen);
}

QString X11Connection::noDisplayMessage() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return QStringLiteral("No X display: DISPLAY is not set");
    return QStringLiteral("Cannot open the X display \"%1\"").arg(QString::fromLocal8Bit(name));
}

Atom X11Connection::atom(const char* name) const {
    return XInternAtom(m_display, name, False);
}

std::vector<unsigned long> X11Connection::longProperty(Window window, Atom property, Atom type) const {
    std::vector<unsigned long> items;
    X11ErrorTrap trap(m_display);
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(m_display, window, property, 0, kMaxPropertyLongs, False, type, &actualType,
                                          &actualFormat, &count, &remaining, &data);
    if (status == Success && data && actualType == type && actualFormat == 32) {
        // Xlib hands format-32 items back as longs, whatever the size of long.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    return items;
}

std::optional<QByteArray> X11Connection::byteProperty(Window window, Atom property, Atom type) const {
    X11ErrorTrap trap(m_display);
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(m_display, window, property, 0, kMaxPropertyLongs, False, type, &actualType,
                                          &actualFormat, &count, &remaining, &data);
    std::optional<QByteArray> bytes;
    if (status == Success && data && actualType == type && actualFormat == 8)
        bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    if (data) XFree(data);
    return bytes;
}
