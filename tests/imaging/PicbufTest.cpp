// SPDX-License-Identifier: MIT
#include "imaging/Picbuf.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <functional>
#include <set>

namespace {

using namespace MagickLib;
using Bytes = std::vector<std::uint8_t>;

unsigned pixelAt(const Magick::Image& img, unsigned x, unsigned y) {
    const Magick::Color c = img.pixelColor(x, y);
    return unsigned(ScaleQuantumToChar(c.redQuantum())) << 16 | unsigned(ScaleQuantumToChar(c.greenQuantum())) << 8 |
           ScaleQuantumToChar(c.blueQuantum());
}

unsigned paletteEntry(unsigned k) {
    return ((k * 37) % 256) << 16 | ((k * 91 + 11) % 256) << 8 | ((k * 53 + 200) % 256);
}

// The number is how many distinct colours the picture has, as a palette image; a
// gradient has thousands, no two neighbours equal.
enum class Picture : unsigned { Gradient = 0, Grey = 1, Colours2 = 2, Colours16 = 16, Colours200 = 200 };

Magick::Image make(Picture kind, unsigned w, unsigned h) {
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

QByteArray encoded(Magick::Image img, const char* magick) {
    img.magick(magick);
    Magick::Blob blob;
    img.write(&blob);
    return QByteArray(static_cast<const char*>(blob.data()), int(blob.length()));
}

QByteArray gradientAs(const char* magick, unsigned w = 30, unsigned h = 20) {
    return encoded(make(Picture::Gradient, w, h), magick);
}

std::uint32_t le(const QByteArray& b, int at, int bytes = 4) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | std::uint8_t(b[at + i]);
    return v;
}

void put(QByteArray& b, std::uint32_t v, int bytes = 4, bool bigEndian = false) {
    for (int i = 0; i < bytes; ++i)
        b.append(char(v >> 8 * (bigEndian ? bytes - 1 - i : i)));
}

// A Windows BMP written byte by byte: 40-byte info header, palette, then `data`.
QByteArray bmpFile(std::int32_t w, std::int32_t h, int bits, int compression, const std::vector<std::uint32_t>& palette,
                   const QByteArray& data) {
    QByteArray info;
    for (std::uint32_t v :
         {40u, std::uint32_t(w), std::uint32_t(h), 1u | std::uint32_t(bits) << 16, std::uint32_t(compression),
          std::uint32_t(data.size()), 2835u, 2835u, std::uint32_t(palette.size()), 0u})
        put(info, v);
    for (std::uint32_t c : palette)
        put(info, c);
    QByteArray file("BM");
    for (std::uint32_t v : {std::uint32_t(14 + info.size() + data.size()), 0u, std::uint32_t(14 + info.size())})
        put(file, v);
    return file + info + data;
}

// A valid PNG whose header claims w x h.
QByteArray pngClaiming(std::uint32_t w, std::uint32_t h) {
    QByteArray ihdr("IHDR");
    put(ihdr, w, 4, true);
    put(ihdr, h, 4, true);
    QByteArray png = QByteArray::fromHex("89504E470D0A1A0A");
    for (const QByteArray& chunk :
         {ihdr + QByteArray::fromHex("0802000000"), "IDAT" + QByteArray::fromHex("789c636000000002000100")}) {
        put(png, std::uint32_t(chunk.size() - 4), 4, true);
        png += chunk;
        put(png, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), uInt(chunk.size()))), 4, true);
    }
    return png;
}

QByteArray withByte(QByteArray bytes, const QByteArray& after, char value) {
    const int at = bytes.indexOf(after);
    if (at >= 0) bytes[at + after.size() - 1] = value;
    return bytes;
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
    if (c.compression == RLECompression && c.format == Picbuf::Bmp) ASSERT_EQ(le(bytes, 30), 1u) << "not RLE8";
    Picbuf p;
    load(p, save(bytes, c.file));
    EXPECT_EQ(std::vector({p.width(), p.height(), p.fileWidth(), p.fileHeight(), p.colorDepth()}),
              std::vector({c.width, c.height, c.width, c.height, c.depth}));
    EXPECT_EQ(p.imageFormat(), c.format);
    for (unsigned y : {0u, 5u, unsigned(c.height - 1)})
        for (unsigned x : {0u, 7u, unsigned(c.width - 1)})
            if (c.lossless) EXPECT_EQ(pixelAt(p.image(), x, y), pixelAt(source, x, y)) << x << "," << y;
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
    std::vector<std::uint32_t> palette;
    for (unsigned k = 0; k < 16; ++k)
        palette.push_back(paletteEntry(k));
    // 4 x 2 in 4-bit runs, rows bottom-up: entries 1 and 2 alternating, then all 3.
    Picbuf p;
    load(p, save(bmpFile(4, 2, 4, 2, palette,
                         QByteArray::fromHex("04120000"
                                             "04330000"
                                             "0001")),
                 "r4.bmp"));
    EXPECT_EQ(std::vector({p.width(), p.height(), p.colorDepth()}), std::vector({4, 2, 4}));
    EXPECT_EQ(pixelAt(p.image(), 0, 0), paletteEntry(3));
    EXPECT_EQ(pixelAt(p.image(), 0, 1), paletteEntry(1));
    EXPECT_EQ(pixelAt(p.image(), 1, 1), paletteEntry(2));
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

TEST_F(PicbufTest, SizeHintDecodesJpegSmallerButKnowsTheFileSize) {
    const std::string jpg = save(Picture::Gradient, 800, 600, "JPEG", "big.jpg");
    Picbuf p;
    p.setLoadSizeHint(200, 150);
    load(p, jpg);
    EXPECT_LT(p.width(), 800);
    EXPECT_GE(p.width(), 200);
    EXPECT_GE(p.height(), 150);
    EXPECT_EQ(p.fileWidth(), 800);
    EXPECT_EQ(p.fileHeight(), 600);
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

struct MisuseCase {
    const char* name;
    bool withImage; // a 1-bit palette image of 8 x 8
    std::function<void(Picbuf&)> operation;
    int code;
};

class Misuse : public PicbufTest, public ::testing::WithParamInterface<MisuseCase> {};

TEST_P(Misuse, FailsWithItsCodeAndLeavesTheControlAsItWas) {
    Picbuf p;
    if (GetParam().withImage) p.createImage(1, 8, 8);
    EXPECT_EQ(failureCode(p, GetParam().operation), GetParam().code);
    EXPECT_EQ(p.hasImage(), GetParam().withImage);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, Misuse,
    ::testing::Values(
        MisuseCase{"StoreEmpty", false, [](Picbuf& p) { p.store(); }, PicbufCode::NoImage},
        MisuseCase{"GammaEmpty", false, [](Picbuf& p) { p.gammaCorrect(3); }, PicbufCode::NoImage},
        MisuseCase{"AssignFromEmpty", false, [](Picbuf& empty) { Picbuf().assignFrom(empty); }, PicbufCode::NoImage},
        MisuseCase{"MakeBitmapEmpty", false, [](Picbuf& p) { p.makeBitmap(); }, PicbufCode::NoImage},
        MisuseCase{"PaletteIndexTooHigh", true, [](Picbuf& p) { p.paletteColor(2); }, PicbufCode::BadArgument},
        MisuseCase{"NegativePaletteIndex", true, [](Picbuf& p) { p.setPaletteColor(-1, 0); }, PicbufCode::BadArgument},
        MisuseCase{"ZeroWidth", false, [](Picbuf& p) { p.createImage(8, 0, 5); }, PicbufCode::BadArgument},
        MisuseCase{"ShortBitmap", false,
                   [](Picbuf& p) {
                       p.loadBitmap({2, 2, {}, Bytes(15)});
                   },
                   PicbufCode::BadArgument},
        MisuseCase{"ReduceToOneColour", true, [](Picbuf& p) { p.reduceColors(1, false); }, PicbufCode::BadArgument},
        // A new control's format names no writer.
        MisuseCase{"StoreWithoutWriter", true, [](Picbuf& p) { p.store(); }, PicbufCode::UnknownWriteFormat}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- writing

class StoreBmp : public PicbufTest, public ::testing::WithParamInterface<std::pair<Picture, int>> {};

TEST_P(StoreBmp, WritesUncompressedBmp3OfTheImagesDepth) {
    const auto [picture, depth] = GetParam();
    Picbuf p, back;
    ASSERT_EQ(load(p, save(picture, 30, 20, depth == 24 ? "PNG24" : "PNG8")).colorDepth(), depth);
    const std::string file = (dir + "/out.bmp").toStdString();
    p.setFileName(file);
    p.setImageFormat(Picbuf::Bmp);
    p.store();
    const QByteArray b = mtest::readFile(QString::fromStdString(file));
    ASSERT_GE(b.size(), 54);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(le(b, 2), std::uint32_t(b.size()));
    // Header size, width, height, bits per pixel, compression, size of the pixels.
    EXPECT_EQ(
        std::vector({le(b, 14), le(b, 18), le(b, 22), le(b, 28, 2), le(b, 30), std::uint32_t(b.size()) - le(b, 10)}),
        std::vector<std::uint32_t>({40, 30, 20, std::uint32_t(depth), 0, (30u * depth + 31) / 32 * 4 * 20}));
    EXPECT_EQ(load(back, file).colorDepth(), depth);
    for (unsigned y : {0u, 7u, 19u})
        for (unsigned x : {0u, 13u, 29u})
            EXPECT_EQ(pixelAt(back.image(), x, y), pixelAt(p.image(), x, y));
}

INSTANTIATE_TEST_SUITE_P(Depths, StoreBmp,
                         ::testing::Values(std::pair{Picture::Gradient, 24}, std::pair{Picture::Colours200, 8},
                                           std::pair{Picture::Colours16, 4}, std::pair{Picture::Colours2, 1}));

TEST_F(PicbufTest, JpegGetsSmallerAsQualityFalls) {
    Picbuf p;
    load(p, save(Picture::Gradient, 160, 120, "PNG"));
    p.setImageFormat(Picbuf::Jpeg);
    qint64 previous = -1;
    for (int q : {95, 65, 35, 5}) {
        p.setFileName((dir + QString("/q%1.jpg").arg(q)).toStdString());
        p.setWriteCompression(q);
        p.store();
        const qint64 size = QFile(QString::fromStdString(p.fileName())).size();
        EXPECT_GT(size, 0);
        if (previous >= 0) EXPECT_LT(size, previous) << "quality " << q;
        previous = size;
    }
}

TEST_F(PicbufTest, FailedStoreGivesTheWriteCodeAndLeavesNoPartOfAFile) {
    Picbuf p;
    p.createImage(24, 10, 10);
    p.setImageFormat(Picbuf::Bmp);
    const auto storeTo = [&](const QString& name) {
        p.setFileName((dir + "/" + name).toStdString());
        return failureCode(p, [](Picbuf& q) { q.store(); });
    };
    ASSERT_TRUE(mtest::writeFile(dir + "/plain", "x"));
    EXPECT_EQ(storeTo("no/such/x.bmp"), PicbufCode::WriteFailed);
    EXPECT_EQ(storeTo("plain/x.bmp"), PicbufCode::WriteFailed);
    // A disk that fills up half-way through, as a limit on the size of files.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{100, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const int code = storeTo("full.bmp");
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(code, PicbufCode::WriteFailed);
    EXPECT_FALSE(QFile::exists(dir + "/full.bmp"));
}

// ---------------------------------------------------------------- pixel work

TEST_F(PicbufTest, ScaleModeGivesTheReceiversSizeAndCopyModeTheSourcesImage) {
    Picbuf source, work;
    source.loadBitmap({80, 60, {}, Bytes(80 * 60 * 4, 0xFF)});
    work.createImage(24, 33, 17);
    work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
    work.assignFrom(source);
    EXPECT_EQ(std::vector({work.width(), work.height(), work.colorDepth()}), std::vector({33, 17, 24}));
    EXPECT_EQ(pixelAt(work.image(), 16, 8), 0xFFFFFFu);
    source.assignFrom(work);
    EXPECT_EQ(std::vector({source.width(), source.height()}), std::vector({33, 17}));
}

TEST_F(PicbufTest, PaletteImageResizedKeepsItsPalette) {
    const std::string file = save(Picture::Colours200, 40, 30, "GIF");
    Picbuf source, original, work;
    ASSERT_EQ(load(source, file).colorDepth(), 8);
    // What the renderer does to a palette image.
    work.createImage(source.colorDepth(), 100, 75);
    work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
    work.setResizeFilter(Picbuf::ResizeFilter::Lanczos);
    work.assignFrom(source);
    work.copyPalette(source);
    source.assignFrom(work);
    EXPECT_EQ(std::vector({source.width(), source.height(), source.colorDepth()}), std::vector({100, 75, 8}));
    load(original, file);
    for (int i : {0, 57, 199})
        EXPECT_EQ(source.paletteColor(i), original.paletteColor(i));
}

TEST_F(PicbufTest, PaletteIsCopiedRecolouredAndGrownWithoutMovingPixels) {
    Picbuf palette, p;
    ASSERT_EQ(load(palette, save(Picture::Colours16, 16, 16, "PNG8")).colorDepth(), 4);
    p.loadBitmap(palette.makeBitmap());
    ASSERT_EQ(p.colorDepth(), 24);
    const unsigned pixel = pixelAt(p.image(), 3, 5);
    p.copyPalette(palette);
    EXPECT_EQ(p.colorDepth(), 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(p.paletteColor(i), palette.paletteColor(i)) << i;
    EXPECT_EQ(pixelAt(p.image(), 3, 5), pixel);
    // Bits 8, then 4 (never lowers), then true colour.
    for (const auto [bits, depth] : {std::pair{8, 8}, std::pair{4, 8}, std::pair{24, 24}}) {
        p.raiseColorDepth(bits);
        EXPECT_EQ(p.colorDepth(), depth);
        EXPECT_EQ(pixelAt(p.image(), 3, 5), pixel);
    }
    // The pixels of a palette image follow their entry.
    int index = 0;
    while (palette.paletteColor(index) != pixelAt(palette.image(), 0, 0))
        ++index;
    palette.setPaletteColor(index, 0x12AB34);
    EXPECT_EQ(palette.paletteColor(index), 0x12AB34u);
    const Bytes bitmap = palette.makeBitmap().bytes;
    EXPECT_EQ(Bytes(bitmap.begin(), bitmap.begin() + 3), Bytes({0x12, 0xAB, 0x34}));
}

class Reduce : public PicbufTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(Reduce, QuantisesIntoAPaletteOfThatManyColours) {
    const auto [count, depth] = GetParam();
    Picbuf p;
    load(p, save(Picture::Gradient, 120, 90, "PNG"));
    p.reduceColors(count, count >= 236);
    EXPECT_EQ(p.colorDepth(), depth);
    EXPECT_LE(p.image().constImage()->colors, unsigned(count));
    std::set<unsigned> used;
    for (unsigned y = 0; y < 90; y += 3)
        for (unsigned x = 0; x < 120; x += 3)
            used.insert(pixelAt(p.image(), x, y));
    EXPECT_LE(used.size(), std::size_t(count));
    EXPECT_GT(used.size(), 1u);
    if (count != 236) return;
    // The twenty reserved colours complete it to 256 entries, white last.
    const std::uint32_t first = p.paletteColor(0);
    const unsigned pixel = pixelAt(p.image(), 10, 10);
    p.completePalette();
    EXPECT_EQ(p.image().constImage()->colors, 256u);
    EXPECT_EQ(std::vector({p.paletteColor(0), p.paletteColor(255)}), std::vector({first, 0xFFFFFFu}));
    EXPECT_EQ(pixelAt(p.image(), 10, 10), pixel);
}

INSTANTIATE_TEST_SUITE_P(Counts, Reduce, ::testing::Values(std::pair{236, 8}, std::pair{16, 4}, std::pair{2, 1}));

// The control's value c and the user's gamma it stands for.
class Gamma : public PicbufTest, public ::testing::WithParamInterface<std::pair<double, double>> {};

TEST_P(Gamma, MovesMidGreyAndKeepsBlackAndWhite) {
    const auto [c, gamma] = GetParam();
    Picbuf p;
    p.loadBitmap({3, 1, {}, {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}});
    p.gammaCorrect(c);
    const Bytes out = p.makeBitmap().bytes;
    EXPECT_NEAR(out[4], 255.0 * std::pow(128.0 / 255.0, 1.0 / gamma), gamma == 1.0 ? 1e-6 : 1.5);
    EXPECT_EQ(std::vector({out[0], out[8]}), Bytes({0, 255}));
}

INSTANTIATE_TEST_SUITE_P(Values, Gamma,
                         ::testing::Values(std::pair{5.0, 1.0}, std::pair{3.0, 1.5}, std::pair{1.04, 1.99},
                                           std::pair{7.5, 0.5}, std::pair{9.95, 0.01}));

TEST_F(PicbufTest, GammaBrighteningKeepsAPaletteImageAPaletteImage) {
    Picbuf p;
    load(p, save(Picture::Colours200, 20, 20, "GIF"));
    const unsigned before = p.paletteColor(10);
    p.gammaCorrect(3.0);
    EXPECT_EQ(p.colorDepth(), 8);
    const unsigned after = p.paletteColor(10);
    EXPECT_GE(after >> 16, before >> 16);
    EXPECT_GE((after >> 8) & 0xFF, (before >> 8) & 0xFF);
    EXPECT_NE(after, before);
}

// ---------------------------------------------------------------- bitmaps, release, progress

TEST_F(PicbufTest, BitmapsRoundTripAndReleaseEmpties) {
    const Bytes rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 10, 20, 30, 255};
    Picbuf p;
    p.loadBitmap({2, 2, PicbufBitmap::Layout::Rgb24, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}});
    EXPECT_EQ(p.makeBitmap().bytes, rgba);
    p.loadBitmap({2, 2, PicbufBitmap::Layout::Rgba32, rgba});
    EXPECT_EQ(p.colorDepth(), 24);
    EXPECT_EQ(p.makeBitmap().bytes, rgba);
    p.release();
    EXPECT_EQ(std::vector({int(p.hasImage()), p.width(), p.colorDepth()}), std::vector({0, 0, 0}));
}

TEST_F(PicbufTest, CreateImageGivesABlackImageOfItsDepth) {
    Picbuf p;
    for (int depth : {1, 4, 8, 24}) {
        p.createImage(depth, 7, 5);
        EXPECT_EQ(std::vector({p.colorDepth(), p.width(), int(pixelAt(p.image(), 6, 4))}), std::vector({depth, 7, 0}));
    }
}

TEST_F(PicbufTest, ProgressCallbackSeesPercentagesAndCanAbort) {
    const std::string file = save(Picture::Gradient, 300, 200, "PNG");
    Picbuf p;
    std::vector<int> seen;
    p.setProgressCallback([&](int percent) {
        seen.push_back(percent);
        return true;
    });
    load(p, file);
    ASSERT_FALSE(seen.empty());
    EXPECT_GE(*std::min_element(seen.begin(), seen.end()), 0);
    EXPECT_LE(*std::max_element(seen.begin(), seen.end()), 100);
    // An aborted reduction leaves the image as it was; an aborted load leaves none.
    p.setProgressCallback([](int) { return false; });
    EXPECT_EQ(failureCode(p, [](Picbuf& q) { q.reduceColors(16, false); }), PicbufCode::Aborted);
    EXPECT_EQ(p.colorDepth(), 24);
    EXPECT_EQ(failureCode(p, [&](Picbuf& q) { load(q, file); }), PicbufCode::Aborted);
    EXPECT_FALSE(p.hasImage());
}

} // namespace
