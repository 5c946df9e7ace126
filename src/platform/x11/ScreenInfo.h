// SPDX-License-Identifier: MIT
#pragma once

#include <QSize>

#include <optional>

namespace platform {
// Size of the primary screen, when a display can be reached.
std::optional<QSize> primaryScreenSize();
// Bits per pixel of the primary screen, or 0 when no display can be reached.
int primaryScreenDepth();
// Folds a display's bits per pixel into the depth classes the colour reduction knows:
// more than 14 is true colour (24), 9..14 counts as 8, 5..7 as 4; 8 and 1..4 stay.
// An unknown depth (0 or less) counts as true colour, so nothing gets reduced to one colour.
int normaliseColorDepth(int bitsPerPixel);
} // namespace platform
