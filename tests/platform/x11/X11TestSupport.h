// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace x11test {

// A connection of the test's own, closed on destruction.
struct Connection {
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Display* display = nullptr;
    Window root = 0;
};

// Catches X errors while alive, so a test can ask whether an id is still valid.
class ErrorCatcher {
public:
    explicit ErrorCatcher(Display* display);
    ~ErrorCatcher();
    bool failed();

private:
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*);
};

Atom atom(Display* d, const char* name);
// The first item of a format-32 root property of the given type; None when missing.
unsigned long rootLong(Display* d, const char* property, Atom type);
// Colour 0xRRGGBB of a pixel of a drawable, through the default colormap (any visual).
std::optional<std::uint32_t> pixelAt(Display* d, Drawable drawable, int x, int y);
// True when the pixmap still exists in the server.
bool pixmapExists(Display* d, Pixmap pixmap);
// Polls `done` (flushing the connection) for up to five seconds.
bool waitUntil(Display* d, const std::function<bool()>& done);
// Restores DISPLAY as it was when constructed.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

private:
    bool m_had;
    QByteArray m_value;
};

// Runs a command with the current DISPLAY; its exit status.
int run(const QString& command);

} // namespace x11test
