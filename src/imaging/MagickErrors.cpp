// SPDX-License-Identifier: MIT
#include "MagickErrors.h"

#include "PicbufError.h"

#include <algorithm>
#include <cctype>

namespace magickerrors {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool contains(const std::string& haystack, const char* needle) {
    return haystack.find(needle) != std::string::npos;
}

} // namespace

int codeForText(const std::string& text, bool resourceLimit, bool writing) {
    const std::string t = lower(text);
    const bool unsupported = contains(t, "unsupported") || contains(t, "not supported") || contains(t, "unrecognized");
    if (contains(t, "jpeg process") || contains(t, "unsupported jpeg")) return PicbufCode::UnsupportedJpeg;
    if (unsupported && contains(t, "compression")) return PicbufCode::BadCompression;
    if (unsupported && (contains(t, "colorspace") || contains(t, "color space") || contains(t, "photometric")))
        return PicbufCode::BadColourSpace;
    if (resourceLimit) {
        // A header that asks for more than the limits is a broken or hostile file,
        // not a shortage of memory.
        if (!writing && (contains(t, "width") || contains(t, "height") || contains(t, "pixels")))
            return PicbufCode::Reading;
        return PicbufCode::OutOfMemory;
    }
    return writing ? PicbufCode::WriteFailed : PicbufCode::Reading;
}

int codeFor(const Magick::Exception& e, bool writing) {
    const bool limit = dynamic_cast<const Magick::ErrorResourceLimit*>(&e) != nullptr;
    return codeForText(e.what(), limit, writing);
}

} // namespace magickerrors
