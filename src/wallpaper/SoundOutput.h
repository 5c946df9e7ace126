// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Plays the sound of a wallpaper change. play() returns at once; the sound goes on
// asynchronously and the next call stops it. An empty path only stops.
class SoundOutput {
public:
    // Sound files larger than this are not played: loading one would hold up the change
    // (and take its size in memory).
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    virtual ~SoundOutput() = default;
    virtual void play(const QString& path) = 0;
};
