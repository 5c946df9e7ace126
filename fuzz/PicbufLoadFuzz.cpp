// SPDX-License-Identifier: MIT
// libFuzzer target: any byte string handed to Load must fail with a PicbufError or
// give a held image, never crash or allocate without bound.
#include "imaging/Picbuf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string file = [] {
        Picbuf::initialize(nullptr);
        return "/tmp/picbuf-fuzz-" + std::to_string(getpid()) + ".img";
    }();
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    Picbuf p;
    p.setFileName(file);
    p.setImageFormat(Picbuf::AnyFormat);
    // Every other input is read for a picture smaller than itself, as a wallpaper change
    // reads a large JPEG: through the scaled decoder.
    if (size % 2)
        p.setLoadSizeHintFor([](int w, int h) { return std::pair(std::max(1, w * 3 / 8), std::max(1, h / 3)); });
    try {
        p.load();
        p.reduceColors(16, false);
        (void)p.makeBitmap();
    } catch (const PicbufError&) {
    }
    return 0;
}
