// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Plays the sound of a wallpaper change. play() returns at once; the sound goes on
// asynchronously and the next call stops it. An empty path only stops.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual void play(const QString& path) = 0;
};
