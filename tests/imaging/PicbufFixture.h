// SPDX-License-Identifier: MIT
// Pictures made for the Picbuf tests, and a fixture that saves and loads them.
#pragma once

#include "imaging/Picbuf.h"

#include "FileBytes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace picbuftest {

using namespace MagickLib;
using Bytes = std::vector<std::uint8_t>;
using filebytes::field;

inline unsigned pixelAt(const Magick::Image& img, unsigned x, unsigned y) {
    const Magick::Color c = img.pixelColor(x, y);
    return unsigned(ScaleQuantumToChar(c.redQuantum())) << 16 | unsigned(ScaleQuantumToChar(c.greenQuantum())) << 8 |
           ScaleQuantumToChar(c.blueQuantum());
}

inline unsigned paletteEntry(unsigned k) {
    return ((k * 37) % 256) << 16 | ((k * 91 + 11) % 256) << 8 | ((k * 53 + 200) % 256);
}

// The number is how many distinct colours the picture has, as a palette image; a
// gradient has thousands, no two neighbours equal.
enum class Picture : unsigned { Gradient = 0, Grey = 1, Colours2 = 2, Colours16 = 16, Colours200 = 200 };

inline Magick::Image make(Picture kind, unsigned w, unsigned h) {
    const unsigned colours = unsigned(kind);
    Magick::Image img(Magick::Geometry(w, h), Magick::Color("black"));
    img.matte(false);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const unsigned gradient = (x * 255 / (w - 1)) << 16 | (y * 255 / (h - 1)) << 8 | (x * 7 + y * 3) % 256;
            const unsigned checker = (x + y) % 2 ? 0xFFFFFF : 0;
            const unsigned c = colours < 2 ? gradient : colours == 2 ? checker : paletteEntry((x + y * w) % colours);
            img.pixelColor(x, y,
                           Magick::Color(ScaleCharToQuantum(c >> 16), ScaleCharToQuantum((c >> 8) & 0xFF),
                                         ScaleCharToQuantum(c & 0xFF)));
        }
    if (kind == Picture::Grey) img.type(GrayscaleType);
    if (colours < 2) return img;
    img.quantizeColors(colours);
    img.quantizeDither(false);
    img.quantize();
    return img;
}

inline QByteArray encoded(Magick::Image img, const char* magick) {
    img.magick(magick);
    Magick::Blob blob;
    img.write(&blob);
    return QByteArray(static_cast<const char*>(blob.data()), int(blob.length()));
}

inline QByteArray gradientAs(const char* magick, unsigned w = 30, unsigned h = 20) {
    return encoded(make(Picture::Gradient, w, h), magick);
}

class PicbufTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Picbuf::initialize(nullptr); }
    // Written by our own code, so that the library reads nothing into the name.
    std::string save(const QByteArray& bytes, const QString& name = "img") {
        EXPECT_TRUE(mtest::writeFile(dir + "/" + name, bytes));
        return (dir + "/" + name).toStdString();
    }
    std::string save(Picture kind, unsigned w, unsigned h, const char* magick, const QString& name = "img") {
        return save(encoded(make(kind, w, h), magick), name);
    }
    static Picbuf& load(Picbuf& p, const std::string& file) {
        p.setFileName(file);
        p.setImageFormat(Picbuf::AnyFormat);
        p.load();
        return p;
    }
    // The code the failure of `operation` gives, checked against errorNumber(); 0 when it succeeds.
    static int failureCode(Picbuf& p, const std::function<void(Picbuf&)>& operation) {
        try {
            operation(p);
        } catch (const PicbufError& e) {
            EXPECT_EQ(p.errorNumber(), e.code());
            return e.code();
        }
        return 0;
    }

    QString dir = mtest::freshDir("picbuf");
};

} // namespace picbuftest
