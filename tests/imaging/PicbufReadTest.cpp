// SPDX-License-Identifier: MIT
// Reading: every format, file names, frames, size hints, and the codes of broken files.
#include "FileBytes.h"
#include "PicbufFixture.h"

#include <zlib.h>

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

struct FormatCase {
    const char* name;
    const char* file;
    Picture picture;
    int width, height;
    const char* magick;
    CompressionType compression;
    int depth;
    Picbuf::Format format;
    bool lossless;
};

class ReadFormat : public PicbufTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ReadFormat, LoadsWithSizeDepthAndPixels) {
    const FormatCase& c = GetParam();
    Magick::Image source = make(c.picture, c.width, c.height);
    source.compressType(c.compression);
    const QByteArray bytes = encoded(source, c.magick);
    if (c.compression == RLECompression && c.format == Picbuf::Bmp) {
        ASSERT_EQ(field(bytes, 30), 1u) << "the file is not RLE8";
    }
    Picbuf p;
    load(p, save(bytes, c.file));
    EXPECT_EQ(std::vector({p.width(), p.height(), p.fileWidth(), p.fileHeight(), p.colorDepth()}),
              std::vector({c.width, c.height, c.width, c.height, c.depth}));
    EXPECT_EQ(p.imageFormat(), c.format);
    if (!c.lossless) return;
    for (unsigned y : {0u, 5u, unsigned(c.height - 1)})
        for (unsigned x : {0u, 7u, unsigned(c.width - 1)})
            EXPECT_EQ(pixelAt(p.image(), x, y), pixelAt(source, x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReadFormat,
    ::testing::Values(
        FormatCase{"Jpeg", "a.jpg", Picture::Gradient, 64, 48, "JPEG", UndefinedCompression, 24, Picbuf::Jpeg, false},
        FormatCase{"JpegGrey", "g.jpg", Picture::Grey, 64, 48, "JPEG", UndefinedCompression, 8, Picbuf::Jpeg, false},
        FormatCase{"Gif8", "a.gif", Picture::Colours200, 40, 30, "GIF", UndefinedCompression, 8, Picbuf::Gif, true},
        FormatCase{"Gif1", "b.gif", Picture::Colours2, 40, 30, "GIF", UndefinedCompression, 1, Picbuf::Gif, true},
        FormatCase{"Bmp24", "a.bmp", Picture::Gradient, 33, 21, "BMP3", UndefinedCompression, 24, Picbuf::Bmp, true},
        FormatCase{"Bmp8Rle", "r8.bmp", Picture::Colours200, 40, 30, "BMP3", RLECompression, 8, Picbuf::Bmp, true},
        FormatCase{"Bmp1", "m.bmp", Picture::Colours2, 17, 9, "BMP3", UndefinedCompression, 1, Picbuf::Bmp, true},
        FormatCase{"Pcx8", "a.pcx", Picture::Colours200, 40, 30, "PCX", UndefinedCompression, 8, Picbuf::Pcx, true},
        FormatCase{"Pcx24", "b.pcx", Picture::Gradient, 40, 30, "PCX", UndefinedCompression, 24, Picbuf::Pcx, true},
        FormatCase{"Png24", "a.png", Picture::Gradient, 50, 20, "PNG", UndefinedCompression, 24, Picbuf::Png, true},
        FormatCase{"Png8", "b.png", Picture::Colours200, 40, 30, "PNG8", UndefinedCompression, 8, Picbuf::Png, true},
        FormatCase{"TiffNone", "a.tif", Picture::Gradient, 40, 30, "TIFF", NoCompression, 24, Picbuf::Tiff, true},
        FormatCase{"TiffLzw", "b.tif", Picture::Gradient, 40, 30, "TIFF", LZWCompression, 24, Picbuf::Tiff, true},
        // TGA has no signature: only the file name tells it.
        FormatCase{"Tga", "a.tga", Picture::Gradient, 40, 30, "TGA", NoCompression, 24, Picbuf::Tga, true},
        FormatCase{"TgaRle", "b.tga", Picture::Gradient, 40, 30, "TGA", RLECompression, 24, Picbuf::Tga, true}),
    [](const auto& info) { return std::string(info.param.name); });

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

struct BrokenCase {
    const char* name;
    std::function<QByteArray()> bytes; // null: no file at all
    int code;                          // 0: the file is read, all 200 pixels wide
};

class BrokenFile : public PicbufTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenFile, GivesItsCodeAndLeavesTheControlEmpty) {
    const std::string file = GetParam().bytes ? save(GetParam().bytes()) : (dir + "/missing").toStdString();
    Picbuf p;
    EXPECT_EQ(failureCode(p, [&](Picbuf& q) { load(q, file); }), GetParam().code);
    EXPECT_EQ(p.width(), GetParam().code ? 0 : 200);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenFile,
    ::testing::Values(
        BrokenCase{"Missing", nullptr, PicbufCode::Reading},
        BrokenCase{"ZeroBytes", [] { return QByteArray(); }, PicbufCode::Reading},
        BrokenCase{"Text", [] { return QByteArray("Just a shopping list:\nbread\nmilk\n"); }, PicbufCode::Reading},
        BrokenCase{"WrongSignature", [] { return withByte(gradientAs("PNG"), "\x89P", 'X'); }, PicbufCode::Reading},
        // A damaged tail still leaves a usable picture.
        BrokenCase{"TruncatedJpeg", [] { return gradientAs("JPEG", 200, 150).chopped(1200); }, 0},
        BrokenCase{"TruncatedPng", [] { return gradientAs("PNG", 60, 40).left(40); }, PicbufCode::Reading},
        BrokenCase{"TruncatedBmpHeader", [] { return gradientAs("BMP3").left(30); }, PicbufCode::Reading},
        BrokenCase{"OtherFormatPpm", [] { return gradientAs("PPM"); }, PicbufCode::Reading},
        BrokenCase{"AbsurdPng", [] { return pngClaiming(60000, 60000); }, PicbufCode::Reading},
        BrokenCase{"AbsurdBmp", [] { return bmpFile(60000, 60000, 24, 0, {}, QByteArray(64, '\0')); },
                   PicbufCode::Reading},
        BrokenCase{"TooManyPixelsBmp", [] { return bmpFile(20000, 20000, 24, 0, {}, QByteArray(64, '\0')); },
                   PicbufCode::Reading},
        BrokenCase{"UnsupportedBmpCompression", [] { return bmpFile(8, 8, 24, 9, {}, QByteArray(8 * 8 * 3, '\x40')); },
                   PicbufCode::BadCompression},
        // A start-of-frame marker for the lossless process.
        BrokenCase{"LosslessJpeg", [] { return withByte(gradientAs("JPEG"), "\xFF\xC0", '\xC3'); },
                   PicbufCode::UnsupportedJpeg}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
