// SPDX-License-Identifier: MIT
#include "platform/fake/FakeDesktopBackend.h"

#include <algorithm>

bool FakeDesktopBackend::takeFailure(QString* error) {
    if (m_failMessage.isEmpty()) return false;
    if (error) *error = m_failMessage;
    m_failMessage.clear();
    return true;
}

bool FakeDesktopBackend::setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) {
    const bool failed = takeFailure(error);
    calls.push_back({Call::Kind::Set, bitmapPath, tiled, background, !failed});
    if (failed) return false;
    m_current = bitmapPath;
    return true;
}

bool FakeDesktopBackend::clearWallpaper(std::uint32_t background, QString* error) {
    const bool failed = takeFailure(error);
    calls.push_back({Call::Kind::Clear, QString(), false, background, !failed});
    if (failed) return false;
    m_current.clear();
    return true;
}

int FakeDesktopBackend::clearCount() const {
    return int(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.kind == Call::Kind::Clear; }));
}
