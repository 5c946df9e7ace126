// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueEntry.h"
#include "queue/QueueHeader.h"

#include <cstdint>
#include <optional>

// The numbers of rendering, kept apart from the pixels so they can be checked exactly.
namespace rendermath {

// Nearest integer, halves to the even neighbour.
int roundHalfEven(double value);

struct ResizeRequest {
    int width = 0;
    int height = 0;
    std::uint8_t stretch = 0; // 0 keep proportions, 1 stretch
};

// Whether an image of width x by height y is to be resized, and to what, by the
// entry's own mode or the queue's small/large rules. The screen size is the start-up one.
// An image is large for rendering when it is at least the threshold in both directions.
std::optional<ResizeRequest> resizeDecision(int x, int y, const QueueEntry& entry, const QueueHeader& header,
                                            int screenWidth, int screenHeight);

// A target made for the start-up screen, scaled to the screen as it is now.
ResizeRequest scaleToScreen(ResizeRequest target, int startupWidth, int startupHeight, int screenWidth,
                            int screenHeight);

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// The size an x by y picture is resized to for the request.
Size resizedSize(int x, int y, const ResizeRequest& request);

// The imaging control's gamma value for a user's gamma g (5 stands for 1).
double gammaControlValue(double g);

// Colours to reduce to for a screen of the given depth: 2^depth, 256 becoming 236.
int reductionColours(int depth);

// The thumbnails in the queue and the picture of the desktop fit this size.
inline constexpr int kThumbnailWidth = 152;
inline constexpr int kThumbnailHeight = 114;

// Thumbnail size for an image of width w and height h: at most kThumbnailWidth x kThumbnailHeight.
Size thumbnailSize(int w, int h);

// The display state of an entry (0..5) as the queue list shows it.
int displayState(const QueueEntry& entry, const QueueHeader& header, bool folderQueue);

} // namespace rendermath
