// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <X11/Xlib.h>

#include <optional>
#include <vector>

// One short-lived connection to the X display named by DISPLAY. Each operation opens its
// own, so nothing breaks when the display restarts between calls.
class X11Connection {
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool isOpen() const { return m_display != nullptr; }
    Display* display() const { return m_display; }
    int screen() const { return m_screen; }
    Window root() const { return m_root; }
    int width() const;
    int height() const;
    int depth() const;

    // Why the display could not be opened, in words a user can act on.
    static QString noDisplayMessage();

    Atom atom(const char* name) const;
    // The items of a format-32 property (windows, pixmaps, atoms, cardinals); empty when
    // the property is missing, has another type or the window is gone.
    std::vector<unsigned long> longProperty(Window window, Atom property, Atom type) const;
    // The bytes of a format-8 property; nullopt when it is missing or of another type.
    std::optional<QByteArray> byteProperty(Window window, Atom property, Atom type) const;

private:
    Display* m_display = nullptr;
    int m_screen = 0;
    Window m_root = 0;
};
