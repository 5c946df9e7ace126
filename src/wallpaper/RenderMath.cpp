// SPDX-License-Identifier: MIT
#include "RenderMath.h"

#include <cfenv>
#include <cmath>

namespace rendermath {

int roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) return static_cast<int>(floor) + 1;
    if (diff < 0.5) return static_cast<int>(floor);
    const int f = static_cast<int>(floor);
    return (f % 2 == 0) ? f : f + 1;
}

std::optional<ResizeRequest> resizeDecision(int x, int y, const QueueEntry& entry, const QueueHeader& header,
                                            int screenWidth, int screenHeight) {
    ResizeRequest r;
    const int mode = entry.resizeMode();
    if (mode == qu3::UseDefault) {
        const bool small = x < header.thresholdWidth() || y < header.thresholdHeight();
        const QueueHeader::Rule rule = small ? header.smallRule() : header.largeRule();
        if (rule.mode != qu3::Proportional && rule.mode != qu3::Stretch) return std::nullopt;
        r.stretch = rule.mode;
        r.width = rule.fixedSize == 1 ? rule.width : screenWidth;
        r.height = rule.fixedSize == 1 ? rule.height : screenHeight;
    } else if (mode == qu3::Proportional || mode == qu3::Stretch) {
        r.stretch = static_cast<std::uint8_t>(mode);
        r.width = entry.fixedSize() == 1 ? entry.fixedWidth() : screenWidth;
        r.height = entry.fixedSize() == 1 ? entry.fixedHeight() : screenHeight;
    } else {
        return std::nullopt;
    }
    if ((x != r.width || y != r.height) && x != 0 && y != 0 && r.stretch == 0 && r.height != 0) {
        // Aspect ratios as single-precision values, the products taken exactly.
        const float a = static_cast<float>(x) / static_cast<float>(y);
        const float b = static_cast<float>(r.width) / static_cast<float>(r.height);
        if (a < b)
            r.width = roundHalfEven(static_cast<double>(r.height) * static_cast<double>(a));
        else
            r.height = roundHalfEven(static_cast<double>(r.width) / static_cast<double>(a));
    }
    return r;
}

ResizeRequest scaleToScreen(ResizeRequest target, int startupWidth, int startupHeight, int screenWidth,
                            int screenHeight) {
    if (startupWidth > 0) target.width = roundHalfEven(static_cast<double>(target.width) / startupWidth * screenWidth);
    if (startupHeight > 0)
        target.height = roundHalfEven(static_cast<double>(target.height) / startupHeight * screenHeight);
    return target;
}

Size resizedSize(int x, int y, const ResizeRequest& request) {
    if (request.stretch != 0 || x <= 0 || y <= 0 || request.height <= 0) return {request.width, request.height};
    const double a = static_cast<double>(x) / static_cast<double>(y);
    if (a < static_cast<double>(request.width) / static_cast<double>(request.height))
        return {roundHalfEven(request.height * a), request.height};
    return {request.width, roundHalfEven(request.width / a)};
}

double gammaControlValue(double g) {
    const long double lg = g;
    if (lg > 1.0L) return static_cast<double>(5.0L - (lg - 1.0L) * 4.0L);
    if (lg < 1.0L) return static_cast<double>((1.0L - lg) * 5.0L + 5.0L);
    return 5.0;
}

int reductionColours(int depth) {
    if (depth <= 0) return 0;
    const int n = depth >= 31 ? 0x7fffffff : (1 << depth);
    return n == 256 ? 236 : n;
}

Size thumbnailSize(int w, int h) {
    if (w <= 0 || h <= 0) return {0, 0};
    if (static_cast<double>(w) / static_cast<double>(h) > 1.33)
        return {kThumbnailWidth, static_cast<int>(static_cast<long long>(h) * kThumbnailWidth / w)};
    return {static_cast<int>(static_cast<long long>(w) * kThumbnailHeight / h), kThumbnailHeight};
}

int displayState(const QueueEntry& entry, const QueueHeader& header, bool folderQueue) {
    if (folderQueue) return 0;
    // Whether the picture shows at the image's own size, resized, or cannot be told yet.
    enum { OwnSize, Resized, Unknown } answer;
    const int m = entry.resizeMode();
    const int s = header.smallRule().mode;
    const int l = header.largeRule().mode;
    const int w = entry.width();
    const int h = entry.height();
    const int tw = header.thresholdWidth();
    const int th = header.thresholdHeight();
    if (m == qu3::NoResize)
        answer = OwnSize;
    else if (m == qu3::Proportional || m == qu3::Stretch)
        answer = Resized;
    else if (m == qu3::UseDefault && s == qu3::NoResize && l == qu3::NoResize)
        answer = OwnSize;
    else if (w == 0)
        answer = Unknown;
    else if (m == qu3::UseDefault && s == qu3::NoResize && (w <= tw || h <= th))
        answer = OwnSize;
    else if (l == qu3::NoResize && w > tw && h > th)
        answer = OwnSize;
    else if (m == qu3::UseDefault)
        answer = Resized;
    else
        answer = Unknown;
    if (answer == Unknown) return 4;
    const bool tiled = entry.tiled() != 0;
    if (tiled) return answer == OwnSize ? 1 : 5;
    return answer == OwnSize ? 3 : 2;
}

} // namespace rendermath
