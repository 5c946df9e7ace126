// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QueueEntry;
class QueueHeader;

// The words the Image Properties panel uses for one image and for the queue's defaults.
namespace imagedescription {

struct ResizeLines {
    QString first;
    QString second;
    bool operator==(const ResizeLines&) const = default;
};

// How the entry's image will be fitted ("Tiled and Resized" / "Resizes to 1024x768"), judged
// from its stored size by the same rules a change uses, on a screen of the given size.
ResizeLines resizing(const QueueEntry& entry, const QueueHeader& header, int screenWidth, int screenHeight);

// The queue's rules for small and large images ("Small img: resize", "Large img: no resize").
ResizeLines defaultResizing(const QueueHeader& header);

// The entry's sound: "Default bell.wav", "Default (None)", "None", its own file's name or
// "(None)". An unknown option answers `unchanged`.
QString sound(const QueueEntry& entry, const QString& defaultSound, bool defaultOff, const QString& unchanged);

// The queue's default sound: its file name, or "(None)" when it is off or gone.
QString defaultSound(const QString& path, bool defaultOff);

// "640x480x256 Colors" from the stored facts.
QString facts(const QueueEntry& entry);

} // namespace imagedescription
