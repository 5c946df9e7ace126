// SPDX-License-Identifier: MIT
// Reading: every format, file names, frames, size hints, and the codes of broken files.
#include "FileBytes.h"
#include "PicbufFixture.h"

#include <zlib.h>

#include <tuple>

namespace {

using namespace picbuftest;
using namespace MagickLib;

using filebytes::bigEndian;
using filebytes::bmpFile;

// A valid PNG whose header claims w x h.
QByteArray pngClaiming(quint32 w, quint32 h) {
    QByteArray png = QByteArray::fromHex("89504E470D0A1A0A");
    for (const QByteArray& chunk : {"IHDR" + bigEndian(w, h) + QByteArray::fromHex("0802000000"),
                                    "IDAT" + QByteArray::fromHex("789c636000000002000100")}) {
        const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), uInt(chunk.size())));
        png += bigEndian(quint32(chunk.size() - 4)) + chunk + bigEndian(crc);
    }
    return png;
}

QByteArray withByte(QByteArray bytes, const QByteArray& after, char value) {
    const int at = bytes.indexOf(after);
    if (at >= 0) bytes[at + after.size() - 1] = value;
    return bytes;
}

// ---------------------------------------------------------------- reading

// Each file is loaded with its size, depth and format; a lossless one with its pixels.
TEST_F(PicbufTest, EveryFormatLoadsWithSizeDepthAndPixels) {
    using F = std::tuple<const char*, Picture, int, int, const char*, CompressionType, int, Picbuf::Format, bool>;
    for (const auto& [file, picture, width, height, magick, compression, depth, format, lossless] :
         {F{"a.jpg", Picture::Gradient, 64, 48, "JPEG", UndefinedCompression, 24, Picbuf::Jpeg, false},
          F{"g.jpg", Picture::Grey, 64, 48, "JPEG", UndefinedCompression, 8, Picbuf::Jpeg, false},
          F{"a.gif", Picture::Colours200, 40, 30, "GIF", UndefinedCompression, 8, Picbuf::Gif, true},
          F{"b.gif", Picture::Colours2, 40, 30, "GIF", UndefinedCompression, 1, Picbuf::Gif, true},
          F{"a.bmp", Picture::Gradient, 33, 21, "BMP3", UndefinedCompression, 24, Picbuf::Bmp, true},
          F{"r8.bmp", Picture::Colours200, 40, 30, "BMP3", RLECompression, 8, Picbuf::Bmp, true},
          F{"m.bmp", Picture::Colours2, 17, 9, "BMP3", UndefinedCompression, 1, Picbuf::Bmp, true},
          F{"a.pcx", Picture::Colours200, 40, 30, "PCX", UndefinedCompression, 8, Picbuf::Pcx, true},
          F{"b.pcx", Picture::Gradient, 40, 30, "PCX", UndefinedCompression, 24, Picbuf::Pcx, true},
          F{"a.png", Picture::Gradient, 50, 20, "PNG", UndefinedCompression, 24, Picbuf::Png, true},
          F{"b.png", Picture::Colours200, 40, 30, "PNG8", UndefinedCompression, 8, Picbuf::Png, true},
          F{"a.tif", Picture::Gradient, 40, 30, "TIFF", NoCompression, 24, Picbuf::Tiff, true},
          F{"b.tif", Picture::Gradient, 40, 30, "TIFF", LZWCompression, 24, Picbuf::Tiff, true},
          // TGA has no signature: only the file name tells it.
          F{"a.tga", Picture::Gradient, 40, 30, "TGA", NoCompression, 24, Picbuf::Tga, true},
          F{"b.tga", Picture::Gradient, 40, 30, "TGA", RLECompression, 24, Picbuf::Tga, true}}) {
        SCOPED_TRACE(file);
        Magick::Image source = make(picture, width, height);
        source.compressType(compression);
        const QByteArray bytes = encoded(source, magick);
        if (compression == RLECompression && format == Picbuf::Bmp) {
            ASSERT_EQ(field(bytes, 30), 1u) << "the file is not RLE8";
        }
        Picbuf p;
        load(p, save(bytes, file));
        EXPECT_EQ(std::vector({p.width(), p.height(), p.fileWidth(), p.fileHeight(), p.colorDepth()}),
                  std::vector({width, height, width, height, depth}));
        EXPECT_EQ(p.imageFormat(), format);
        if (!lossless) continue;
        for (unsigned y : {0u, 5u, unsigned(height - 1)})
            for (unsigned x : {0u, 7u, unsigned(width - 1)})
                EXPECT_EQ(pixelAt(p.image(), x, y), pixelAt(source, x, y)) << x << "," << y;
    }
}

TEST_F(PicbufTest, Rle4BmpKeepsItsFourBitPalette) {
    std::vector<quint32> palette;
    for (unsigned k = 0; k < 16; ++k)
        palette.push_back(paletteEntry(k));
    // 4 x 2 in 4-bit runs, rows bottom-up: entries 1 and 2 alternating, then all 3. Each row
    // ends with 00 00, the bitmap with 00 01.
    const QByteArray runs = QByteArray::fromHex("04120000043300000001");
    Picbuf p;
    load(p, save(bmpFile(4, 2, 4, 2, palette, runs), "r4.bmp"));
    EXPECT_EQ(std::vector({p.width(), p.height(), p.colorDepth()}), std::vector({4, 2, 4}));
    EXPECT_EQ(std::vector({pixelAt(p.image(), 0, 0), pixelAt(p.image(), 0, 1), pixelAt(p.image(), 1, 1)}),
              std::vector({paletteEntry(3), paletteEntry(1), paletteEntry(2)}));
    EXPECT_EQ(p.paletteColor(5), paletteEntry(5));
}

TEST_F(PicbufTest, FileNamesAreTakenLiterally) {
    // The library would read "[1]" as a frame number and "png:" as a format prefix.
    for (const char* name : {"pic[1].png", "png:odd.png", "@list.png"}) {
        Picbuf p;
        EXPECT_EQ(load(p, save(Picture::Gradient, 12, 10, "PNG", name)).width(), 12) << name;
    }
}

TEST_F(PicbufTest, AnimatedGifCountsItsFrames) {
    std::vector<Magick::Image> frames;
    for (Picture kind : {Picture::Colours2, Picture::Colours16, Picture::Colours200})
        frames.push_back(make(kind, 20, 10));
    const std::string file = (dir + "/anim.gif").toStdString();
    Magick::writeImages(frames.begin(), frames.end(), "GIF:" + file);
    Picbuf p;
    EXPECT_EQ(load(p, file).imageFormat(), Picbuf::Gif);
    EXPECT_EQ(p.imageCount(), 3);
    EXPECT_EQ(p.width(), 20);
}

// The hint is a lower bound for JPEG's scaled decoding; other formats and no hint load whole.
TEST_F(PicbufTest, SizeHintDecodesJpegSmallerButKnowsTheFileSize) {
    const std::string jpg = save(Picture::Gradient, 800, 600, "JPEG", "big.jpg");
    Picbuf p;
    p.setLoadSizeHint(200, 150);
    load(p, jpg);
    EXPECT_LT(p.width(), 800);
    EXPECT_GE(p.width(), 200);
    EXPECT_GE(p.height(), 150);
    EXPECT_EQ(std::vector({p.fileWidth(), p.fileHeight()}), std::vector({800, 600}));
    EXPECT_EQ(load(p, save(Picture::Gradient, 800, 600, "PNG", "big.png")).width(), 800);
    p.setLoadSizeHint(0, 0);
    EXPECT_EQ(load(p, jpg).width(), 800);
}

// A broken file gives its code and leaves the control empty; code 0: the file is read, all 200 pixels wide.
TEST_F(PicbufTest, BrokenFilesGiveTheirCodeAndLeaveTheControlEmpty) {
    using B = std::tuple<const char*, QByteArray, int>; // a null array: no file at all
    for (const auto& [name, bytes, code] :
         {B{"Missing", QByteArray(), PicbufCode::Reading}, B{"ZeroBytes", QByteArray(""), PicbufCode::Reading},
          B{"Text", "Just a shopping list:\nbread\nmilk\n", PicbufCode::Reading},
          B{"WrongSignature", withByte(gradientAs("PNG"), "\x89P", 'X'), PicbufCode::Reading},
          // A damaged tail still leaves a usable picture.
          B{"TruncatedJpeg", gradientAs("JPEG", 200, 150).chopped(1200), 0},
          B{"TruncatedPng", gradientAs("PNG", 60, 40).left(40), PicbufCode::Reading},
          B{"TruncatedBmpHeader", gradientAs("BMP3").left(30), PicbufCode::Reading},
          B{"OtherFormatPpm", gradientAs("PPM"), PicbufCode::Reading},
          B{"AbsurdPng", pngClaiming(60000, 60000), PicbufCode::Reading},
          B{"AbsurdBmp", bmpFile(60000, 60000, 24, 0, {}, QByteArray(64, '\0')), PicbufCode::Reading},
          B{"TooManyPixelsBmp", bmpFile(20000, 20000, 24, 0, {}, QByteArray(64, '\0')), PicbufCode::Reading},
          B{"UnsupportedBmpCompression", bmpFile(8, 8, 24, 9, {}, QByteArray(8 * 8 * 3, '\x40')),
            PicbufCode::BadCompression},
          // A start-of-frame marker for the lossless process.
          B{"LosslessJpeg", withByte(gradientAs("JPEG"), "\xFF\xC0", '\xC3'), PicbufCode::UnsupportedJpeg}}) {
        SCOPED_TRACE(name);
        const std::string file = bytes.isNull() ? (dir + "/missing").toStdString() : save(bytes, name);
        Picbuf p;
        EXPECT_EQ(failureCode(p, [&file](Picbuf& q) { load(q, file); }), code);
        EXPECT_EQ(p.width(), code ? 0 : 200);
    }
}

} // namespace
