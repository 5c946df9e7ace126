// SPDX-License-Identifier: MIT
#include "imaging/Picbuf.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace MagickLib;
using Magick::Color;
using Magick::Geometry;

struct Env : ::testing::Environment {
    void SetUp() override { Picbuf::initialize(nullptr); }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new Env);

std::string path(const QString& dir, const char* name) {
    return (dir + "/" + name).toStdString();
}

Color rgb8(unsigned r, unsigned g, unsigned b) {
    return Color(ScaleCharToQuantum(r), ScaleCharToQuantum(g), ScaleCharToQuantum(b));
}

// A smooth true-colour picture: thousands of colours, no two neighbours equal.
Magick::Image gradient(unsigned w, unsigned h) {
    Magick::Image img(Geometry(w, h), Color("black"));
    img.matte(false);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x)
            img.pixelColor(x, y, rgb8(x * 255 / (w - 1), y * 255 / (h - 1), (x * 7 + y * 3) % 256));
    return img;
}

unsigned paletteEntry(unsigned k) {
    return ((k * 37) % 256) << 16 | ((k * 91 + 11) % 256) << 8 | ((k * 53 + 200) % 256);
}

// A picture of exactly `colours` distinct colours, as a palette image.
Magick::Image paletted(unsigned w, unsigned h, unsigned colours) {
    Magick::Image img(Geometry(w, h), Color("black"));
    img.matte(false);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const unsigned c = colours == 2 ? ((x + y) % 2 ? 0xFFFFFF : 0x000000) : paletteEntry((x + y * w) % colours);
            img.pixelColor(x, y, rgb8(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        }
    img.quantizeColors(colours);
    img.quantizeDither(false);
    img.quantize();
    return img;
}

unsigned pixelAt(const Magick::Image& img, unsigned x, unsigned y) {
    const Color c = img.pixelColor(x, y);
    return unsigned(ScaleQuantumToChar(c.redQuantum())) << 16 | unsigned(ScaleQuantumToChar(c.greenQuantum())) << 8 |
           ScaleQuantumToChar(c.blueQuantum());
}

std::uint32_t le32(const QByteArray& b, int at) {
    return std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8 | std::uint8_t(b[at + 2]) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t le16(const QByteArray& b, int at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}
void put32(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void put16(QByteArray& b, std::uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

// A Windows BMP written byte by byte: 40-byte info header, palette, then `data`.
QByteArray bmpFile(std::int32_t w, std::int32_t h, std::uint16_t bits, std::uint32_t compression,
                   const std::vector<std::uint32_t>& palette, const QByteArray& data) {
    QByteArray info;
    put32(info, 40);
    put32(info, std::uint32_t(w));
    put32(info, std::uint32_t(h));
    put16(info, 1);
    put16(info, bits);
    put32(info, compression);
    put32(info, std::uint32_t(data.size()));
    put32(info, 2835);
    put32(info, 2835);
    put32(info, std::uint32_t(palette.size()));
    put32(info, 0);
    for (std::uint32_t c : palette)
        put32(info, c);
    QByteArray file("BM");
    put32(file, std::uint32_t(14 + info.size() + data.size()));
    put32(file, 0);
    put32(file, std::uint32_t(14 + info.size()));
    return file + info + data;
}

// 4 x 2, sixteen-colour palette, run-length encoded in 4-bit runs.
QByteArray rle4Bmp() {
    std::vector<std::uint32_t> palette;
    for (unsigned k = 0; k < 16; ++k)
        palette.push_back(paletteEntry(k));
    // Rows go bottom-up: bottom row alternates entries 1 and 2, top row is all 3.
    const QByteArray data = QByteArray::fromHex("04120000"
                                                "04330000"
                                                "0001");
    return bmpFile(4, 2, 4, 2, palette, data);
}

std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= std::uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBE32(QByteArray& b, std::uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

QByteArray pngHeaderClaiming(std::uint32_t w, std::uint32_t h) {
    QByteArray png = QByteArray::fromHex("89504E470D0A1A0A");
    QByteArray ihdr("IHDR");
    putBE32(ihdr, w);
    putBE32(ihdr, h);
    ihdr.append(QByteArray::fromHex("0802000000"));
    putBE32(png, 13);
    png += ihdr;
    putBE32(png, crc32(ihdr));
    QByteArray idat("IDAT");
    idat.append(QByteArray::fromHex("789c636000000002000100")); // a tiny valid zlib stream
    putBE32(png, 11);
    png += idat;
    putBE32(png, crc32(idat));
    return png;
}

void writeImage(Magick::Image img, const std::string& file, const char* magick) {
    img.magick(magick);
    img.write(file);
}

Picbuf& loaded(Picbuf& p, const std::string& file) {
    p.setFileName(file);
    p.setImageFormat(Picbuf::AnyFormat);
    p.setImageNumber(0);
    p.load();
    return p;
}

int loadError(const std::string& file) {
    Picbuf p;
    p.setFileName(file);
    p.setImageFormat(Picbuf::AnyFormat);
    try {
        p.load();
    } catch (const PicbufError& e) {
        EXPECT_EQ(p.errorNumber(), e.code());
        EXPECT_FALSE(p.hasImage());
        return e.code();
    }
    return 0;
}

// ---------------------------------------------------------------- reading formats

struct FormatCase {
    const char* name;
    const char* file;
    int width, height;
    int depth;
    int formatCode;
    bool lossless;
    std::function<Magick::Image()> make;
    std::function<void(Magick::Image&)> setup;
    const char* magick;
};

class ReadFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ReadFormat, LoadsWithSizeDepthAndPixels) {
    const FormatCase& c = GetParam();
    const QString dir = mtest::freshDir("read");
    const std::string file = path(dir, c.file);
    Magick::Image source = c.make();
    if (c.setup) c.setup(source);
    writeImage(source, file, c.magick);

    Picbuf p;
    loaded(p, file);
    EXPECT_TRUE(p.hasImage());
    EXPECT_EQ(p.width(), c.width);
    EXPECT_EQ(p.height(), c.height);
    EXPECT_EQ(p.fileWidth(), c.width);
    EXPECT_EQ(p.fileHeight(), c.height);
    EXPECT_EQ(p.colorDepth(), c.depth);
    EXPECT_EQ(p.imageFormat(), c.formatCode);
    if (c.lossless) {
        for (unsigned y : {0u, 5u, unsigned(c.height - 1)})
            for (unsigned x : {0u, 7u, unsigned(c.width - 1)})
                EXPECT_EQ(pixelAt(p.image(), x, y), pixelAt(source, x, y)) << x << "," << y;
    }
}

const auto noSetup = std::function<void(Magick::Image&)>();
auto compress(CompressionType t) {
    return std::function<void(Magick::Image&)>([t](Magick::Image& i) { i.compressType(t); });
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReadFormat,
    ::testing::Values(
        FormatCase{"Jpeg", "a.jpg", 64, 48, 24, 7, false, [] { return gradient(64, 48); }, noSetup, "JPEG"},
        FormatCase{"JpegGrey", "g.jpg", 64, 48, 8, 7, false,
                   [] {
                       Magick::Image i = gradient(64, 48);
                       i.type(GrayscaleType);
                       return i;
                   },
                   noSetup, "JPEG"},
        FormatCase{"Gif8", "a.gif", 40, 30, 8, 4, true, [] { return paletted(40, 30, 200); }, noSetup, "GIF"},
        FormatCase{"Gif1", "b.gif", 40, 30, 1, 4, true, [] { return paletted(40, 30, 2); }, noSetup, "GIF"},
        FormatCase{"Bmp24", "a.bmp", 33, 21, 24, 3, true, [] { return gradient(33, 21); }, noSetup, "BMP3"},
        FormatCase{"Bmp8Rle", "r8.bmp", 40, 30, 8, 3, true, [] { return paletted(40, 30, 200); },
                   compress(RLECompression), "BMP3"},
        FormatCase{"Bmp1", "m.bmp", 17, 9, 1, 3, true, [] { return paletted(17, 9, 2); }, noSetup, "BMP3"},
        FormatCase{"Pcx8", "a.pcx", 40, 30, 8, 2, true, [] { return paletted(40, 30, 200); }, noSetup, "PCX"},
        FormatCase{"Pcx24", "b.pcx", 40, 30, 24, 2, true, [] { return gradient(40, 30); }, noSetup, "PCX"},
        FormatCase{"Png24", "a.png", 50, 20, 24, 5, true, [] { return gradient(50, 20); }, noSetup, "PNG"},
        FormatCase{"Png8", "b.png", 40, 30, 8, 5, true, [] { return paletted(40, 30, 200); }, noSetup, "PNG8"},
        FormatCase{"TiffNone", "a.tif", 40, 30, 24, 6, true, [] { return gradient(40, 30); }, compress(NoCompression),
                   "TIFF"},
        FormatCase{"TiffLzw", "b.tif", 40, 30, 24, 6, true, [] { return gradient(40, 30); }, compress(LZWCompression),
                   "TIFF"},
        FormatCase{"Tga", "a.tga", 40, 30, 24, 8, true, [] { return gradient(40, 30); }, compress(NoCompression),
                   "TGA"},
        FormatCase{"TgaRle", "b.tga", 40, 30, 24, 8, true, [] { return gradient(40, 30); }, compress(RLECompression),
                   "TGA"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PicbufRead, RunLengthBmpFixturesReallyAreCompressed) {
    const QString dir = mtest::freshDir("rle");
    const std::string file = path(dir, "r8.bmp");
    Magick::Image img = paletted(40, 30, 200);
    img.compressType(RLECompression);
    writeImage(img, file, "BMP3");
    const QByteArray bytes = mtest::readFile(QString::fromStdString(file));
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(le16(bytes, 28), 8);
    EXPECT_EQ(le32(bytes, 30), 1u) << "fixture is not RLE8";
}

TEST(PicbufRead, Rle4BmpKeepsFourBitPalette) {
    const QString dir = mtest::freshDir("rle4");
    const QString file = dir + "/r4.bmp";
    ASSERT_TRUE(mtest::writeFile(file, rle4Bmp()));
    Picbuf p;
    loaded(p, file.toStdString());
    EXPECT_EQ(p.width(), 4);
    EXPECT_EQ(p.height(), 2);
    EXPECT_EQ(p.colorDepth(), 4);
    EXPECT_EQ(pixelAt(p.image(), 0, 0), paletteEntry(3));
    EXPECT_EQ(pixelAt(p.image(), 0, 1), paletteEntry(1));
    EXPECT_EQ(pixelAt(p.image(), 1, 1), paletteEntry(2));
    EXPECT_EQ(p.paletteColor(5), paletteEntry(5));
}

TEST(PicbufRead, FileNamesAreTakenLiterally) {
    const QString dir = mtest::freshDir("names");
    // The library would read "[1]" as a frame number and "png:" as a format prefix.
    for (const char* name : {"pic[1].png", "png:odd.png", "@list.png"}) {
        const std::string file = path(dir, name);
        Magick::Image img = gradient(12, 10);
        img.magick("PNG");
        Magick::Blob blob;
        img.write(&blob);
        ASSERT_TRUE(mtest::writeFile(QString::fromStdString(file),
                                     QByteArray(static_cast<const char*>(blob.data()), int(blob.length()))));
        Picbuf p;
        loaded(p, file);
        EXPECT_EQ(p.width(), 12) << name;
    }
}

TEST(PicbufRead, AnimatedGifCountsItsFrames) {
    const QString dir = mtest::freshDir("gif");
    const std::string file = path(dir, "anim.gif");
    std::vector<Magick::Image> frames{paletted(20, 10, 4), paletted(20, 10, 8), paletted(20, 10, 16)};
    for (auto& f : frames)
        f.magick("GIF");
    Magick::writeImages(frames.begin(), frames.end(), file);
    Picbuf p;
    loaded(p, file);
    EXPECT_EQ(p.imageFormat(), Picbuf::Gif);
    EXPECT_EQ(p.imageCount(), 3);
    EXPECT_EQ(p.width(), 20);
}

TEST(PicbufRead, TruncatedJpegIsKept) {
    const QString dir = mtest::freshDir("trunc");
    const std::string file = path(dir, "cut.jpg");
    writeImage(gradient(200, 150), file, "JPEG");
    QByteArray bytes = mtest::readFile(QString::fromStdString(file));
    bytes.truncate(bytes.size() * 2 / 3);
    ASSERT_TRUE(mtest::writeFile(QString::fromStdString(file), bytes));
    Picbuf p;
    EXPECT_NO_THROW(loaded(p, file));
    EXPECT_TRUE(p.hasImage());
    EXPECT_EQ(p.width(), 200);
    EXPECT_EQ(p.height(), 150);
}

TEST(PicbufRead, SizeHintDecodesSmallerButKnowsTheFileSize) {
    const QString dir = mtest::freshDir("hint");
    const std::string jpg = path(dir, "big.jpg");
    const std::string png = path(dir, "big.png");
    writeImage(gradient(800, 600), jpg, "JPEG");
    writeImage(gradient(800, 600), png, "PNG");
    Picbuf p;
    p.setLoadSizeHint(200, 150);
    loaded(p, jpg);
    EXPECT_LT(p.width(), 800);
    EXPECT_GE(p.width(), 200);
    EXPECT_GE(p.height(), 150);
    EXPECT_EQ(p.fileWidth(), 800);
    EXPECT_EQ(p.fileHeight(), 600);
    p.release();
    loaded(p, png);
    EXPECT_EQ(p.width(), 800);
    p.release();
    p.setLoadSizeHint(0, 0);
    loaded(p, jpg);
    EXPECT_EQ(p.width(), 800);
}

// ---------------------------------------------------------------- errors

struct BrokenCase {
    const char* name;
    std::function<QByteArray()> bytes; // null: no file at all
    int code;
};

class BrokenFile : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFile, GivesItsCode) {
    const BrokenCase& c = GetParam();
    const QString dir = mtest::freshDir("broken");
    const QString file = dir + "/" + c.name + ".img";
    if (c.bytes) {
        ASSERT_TRUE(mtest::writeFile(file, c.bytes()));
    }
    EXPECT_EQ(loadError(file.toStdString()), c.code);
}

QByteArray encoded(Magick::Image img, const char* magick) {
    img.magick(magick);
    Magick::Blob blob;
    img.write(&blob);
    return QByteArray(static_cast<const char*>(blob.data()), int(blob.length()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenFile,
    ::testing::Values(
        BrokenCase{"Missing", nullptr, PicbufCode::Reading},
        BrokenCase{"ZeroBytes", [] { return QByteArray(); }, PicbufCode::Reading},
        BrokenCase{"Text", [] { return QByteArray("Just a shopping list:\nbread\nmilk\n"); }, PicbufCode::Reading},
        BrokenCase{"WrongSignature",
                   [] {
                       QByteArray b = encoded(gradient(30, 20), "PNG");
                       b[1] = 'X';
                       return b;
                   },
                   PicbufCode::Reading},
        BrokenCase{"TruncatedPng",
                   [] {
                       QByteArray b = encoded(gradient(60, 40), "PNG");
                       b.truncate(40);
                       return b;
                   },
                   PicbufCode::Reading},
        BrokenCase{"TruncatedBmpHeader", [] { return encoded(gradient(30, 20), "BMP3").left(30); },
                   PicbufCode::Reading},
        BrokenCase{"OtherFormatPpm", [] { return encoded(gradient(30, 20), "PPM"); }, PicbufCode::Reading},
        BrokenCase{"AbsurdPng", [] { return pngHeaderClaiming(60000, 60000); }, PicbufCode::Reading},
        BrokenCase{"AbsurdBmp", [] { return bmpFile(60000, 60000, 24, 0, {}, QByteArray(64, '\0')); },
                   PicbufCode::Reading},
        BrokenCase{"TooManyPixelsBmp", [] { return bmpFile(20000, 20000, 24, 0, {}, QByteArray(64, '\0')); },
                   PicbufCode::Reading},
        BrokenCase{"UnsupportedBmpCompression", [] { return bmpFile(8, 8, 24, 9, {}, QByteArray(8 * 8 * 3, '\x40')); },
                   PicbufCode::BadCompression},
        BrokenCase{"LosslessJpeg",
                   [] {
                       QByteArray b = encoded(gradient(30, 20), "JPEG");
                       const int sof = b.indexOf(QByteArray::fromHex("FFC0"));
                       if (sof >= 0) b[sof + 1] = char(0xC3);
                       return b;
                   },
                   PicbufCode::UnsupportedJpeg}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PicbufErrors, OperationsOnAnEmptyControlFail) {
    Picbuf p;
    Picbuf other;
    EXPECT_THROW(p.store(), PicbufError);
    EXPECT_EQ(p.errorNumber(), PicbufCode::NoImage);
    EXPECT_THROW(p.gammaCorrect(3), PicbufError);
    EXPECT_THROW(p.assignFrom(other), PicbufError);
    EXPECT_THROW(p.makeBitmap(), PicbufError);
    EXPECT_FALSE(p.hasImage());
}

// ---------------------------------------------------------------- writing

struct BmpCase {
    const char* name;
    int depth; // of the image stored
    int bitCount;
};

class StoreBmp : public ::testing::TestWithParam<BmpCase> {};

TEST_P(StoreBmp, WritesUncompressedBmp3) {
    const BmpCase& c = GetParam();
    const QString dir = mtest::freshDir("store");
    const std::string file = path(dir, "out.bmp");
    Picbuf p;
    if (c.depth == 24) {
        p.loadBitmap([] {
            PicbufBitmap b;
            b.width = 30;
            b.height = 20;
            b.layout = PicbufBitmap::Layout::Rgb24;
            for (int i = 0; i < 30 * 20; ++i)
                b.bytes.insert(b.bytes.end(), {std::uint8_t(i), 9, std::uint8_t(i * 3)});
            return b;
        }());
    } else {
        const std::string src = path(dir, "src.png");
        writeImage(paletted(30, 20, c.depth == 1 ? 2 : c.depth == 4 ? 16 : 200), src, "PNG8");
        loaded(p, src);
        ASSERT_EQ(p.colorDepth(), c.depth);
    }
    p.setFileName(file);
    p.setImageFormat(Picbuf::Bmp);
    p.setWriteCompression(0);
    p.store();

    const QByteArray b = mtest::readFile(QString::fromStdString(file));
    ASSERT_GE(b.size(), 54);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(le32(b, 2), std::uint32_t(b.size()));
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 30u);
    EXPECT_EQ(le32(b, 22), 20u);
    EXPECT_EQ(le16(b, 28), c.bitCount);
    EXPECT_EQ(le32(b, 30), 0u);
    const int rowBytes = ((30 * c.bitCount + 31) / 32) * 4;
    EXPECT_EQ(b.size() - int(le32(b, 10)), rowBytes * 20);

    Picbuf back;
    loaded(back, file);
    EXPECT_EQ(back.colorDepth(), c.depth);
    for (unsigned y : {0u, 7u, 19u})
        for (unsigned x : {0u, 13u, 29u}) {
            EXPECT_EQ(pixelAt(back.image(), x, y), pixelAt(p.image(), x, y));
        }
}

INSTANTIATE_TEST_SUITE_P(Depths, StoreBmp,
                         ::testing::Values(BmpCase{"TrueColour", 24, 24}, BmpCase{"Palette8", 8, 8},
                                           BmpCase{"Palette4", 4, 4}, BmpCase{"Mono", 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PicbufStore, JpegGetsSmallerAsQualityFalls) {
    const QString dir = mtest::freshDir("jpegq");
    Picbuf p;
    const std::string src = path(dir, "src.png");
    writeImage(gradient(160, 120), src, "PNG");
    loaded(p, src);
    p.setImageFormat(Picbuf::Jpeg);
    qint64 previous = -1;
    for (int q : {95, 65, 35, 5}) {
        p.setFileName(path(dir, ("q" + std::to_string(q) + ".jpg").c_str()));
        p.setWriteCompression(q);
        p.store();
        const qint64 size = QFile(QString::fromStdString(p.fileName())).size();
        EXPECT_GT(size, 0);
        if (previous >= 0) {
            EXPECT_LT(size, previous) << "quality " << q;
        }
        previous = size;
    }
}

struct WriteFailCase {
    const char* name;
    std::function<std::string(const QString&)> target;
};

class StoreFails : public ::testing::TestWithParam<WriteFailCase> {};

TEST_P(StoreFails, WithTheWriteCode) {
    const QString dir = mtest::freshDir("wfail");
    Picbuf p;
    p.createImage(24, 10, 10);
    const std::string target = GetParam().target(dir);
    if (target.empty()) GTEST_SKIP() << "not testable on this machine or as this user";
    p.setFileName(target);
    p.setImageFormat(Picbuf::Bmp);
    try {
        p.store();
        FAIL() << "Store succeeded";
    } catch (const PicbufError& e) {
        EXPECT_EQ(e.code(), PicbufCode::WriteFailed);
        EXPECT_EQ(p.errorNumber(), PicbufCode::WriteFailed);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, StoreFails,
                         ::testing::Values(WriteFailCase{"MissingFolder",
                                                         [](const QString& d) { return path(d, "no/such/x.bmp"); }},
                                           WriteFailCase{"FolderIsAFile",
                                                         [](const QString& d) {
                                                             mtest::writeFile(d + "/plain", "x");
                                                             return path(d, "plain/x.bmp");
                                                         }},
                                           WriteFailCase{"DiskFull",
                                                         [](const QString&) {
                                                             struct stat st {};
                                                             if (stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode))
                                                                 return std::string();
                                                             return std::string("/dev/full");
                                                         }},
                                           WriteFailCase{"ReadOnlyFile",
                                                         [](const QString& d) {
                                                             if (geteuid() == 0) return std::string();
                                                             const QString f = d + "/ro.bmp";
                                                             mtest::writeFile(f, "old");
                                                             QFile::setPermissions(f, QFileDevice::ReadOwner);
                                                             return f.toStdString();
                                                         }}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- pixel work

TEST(PicbufAssign, ScaleModeGivesTheReceiversSize) {
    Picbuf source;
    source.loadBitmap([] {
        PicbufBitmap b;
        b.width = 80;
        b.height = 60;
        b.bytes.assign(80 * 60 * 4, 0xFF);
        return b;
    }());
    Picbuf work;
    work.createImage(24, 33, 17);
    work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
    work.setResizeFilter(Picbuf::ResizeFilter::Lanczos);
    work.assignFrom(source);
    EXPECT_EQ(work.width(), 33);
    EXPECT_EQ(work.height(), 17);
    EXPECT_EQ(work.colorDepth(), 24);
    EXPECT_EQ(pixelAt(work.image(), 16, 8), 0xFFFFFFu);

    // Copy mode takes the other image as it is.
    source.setAssignMode(Picbuf::AssignMode::Copy);
    source.assignFrom(work);
    EXPECT_EQ(source.width(), 33);
    EXPECT_EQ(source.height(), 17);
}

TEST(PicbufAssign, PaletteImageResizedKeepsItsPalette) {
    const QString dir = mtest::freshDir("palresize");
    const std::string src = path(dir, "p.gif");
    writeImage(paletted(40, 30, 200), src, "GIF");
    Picbuf source;
    loaded(source, src);
    ASSERT_EQ(source.colorDepth(), 8);

    // The resize steps the renderer runs on a palette image.
    Picbuf work;
    work.createImage(source.colorDepth(), 100, 75);
    work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
    work.setResizeFilter(Picbuf::ResizeFilter::Lanczos);
    work.assignFrom(source);
    work.copyPalette(source);
    work.setAssignMode(Picbuf::AssignMode::Copy);
    source.setAssignMode(Picbuf::AssignMode::Copy);
    source.assignFrom(work);

    EXPECT_EQ(source.width(), 100);
    EXPECT_EQ(source.height(), 75);
    EXPECT_EQ(source.colorDepth(), 8);
    Picbuf original;
    loaded(original, src);
    for (int i : {0, 57, 199})
        EXPECT_EQ(source.paletteColor(i), original.paletteColor(i));
}

TEST(PicbufPalette, CopyPaletteTakesEntriesAndKeepsMatchingPixels) {
    const QString dir = mtest::freshDir("copypal");
    const std::string src = path(dir, "p.png");
    writeImage(paletted(16, 16, 16), src, "PNG8");
    Picbuf palette;
    loaded(palette, src);
    ASSERT_EQ(palette.colorDepth(), 4);

    Picbuf target;
    target.loadBitmap(palette.makeBitmap());
    ASSERT_EQ(target.colorDepth(), 24);
    const unsigned before = pixelAt(target.image(), 3, 5);
    target.copyPalette(palette);
    EXPECT_EQ(target.colorDepth(), 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(target.paletteColor(i), palette.paletteColor(i)) << i;
    EXPECT_EQ(pixelAt(target.image(), 3, 5), before);
}

TEST(PicbufPalette, SetPaletteColorRecoloursItsPixels) {
    const QString dir = mtest::freshDir("setpal");
    const std::string src = path(dir, "m.bmp");
    writeImage(paletted(8, 8, 2), src, "BMP3");
    Picbuf p;
    loaded(p, src);
    ASSERT_EQ(p.colorDepth(), 1);
    const unsigned wasAt00 = pixelAt(p.image(), 0, 0);
    const int index = p.paletteColor(0) == wasAt00 ? 0 : 1;
    p.setPaletteColor(index, 0x12AB34);
    EXPECT_EQ(p.paletteColor(index), 0x12AB34u);
    const PicbufBitmap bm = p.makeBitmap();
    EXPECT_EQ(bm.bytes[0], 0x12);
    EXPECT_EQ(bm.bytes[1], 0xAB);
    EXPECT_EQ(bm.bytes[2], 0x34);
    EXPECT_THROW(p.paletteColor(2), PicbufError);
    EXPECT_EQ(p.errorNumber(), PicbufCode::BadArgument);
    EXPECT_THROW(p.setPaletteColor(-1, 0), PicbufError);
}

struct ReduceCase {
    int count;
    int depth;
};

class Reduce : public ::testing::TestWithParam<ReduceCase> {};

TEST_P(Reduce, QuantisesIntoAPalette) {
    Picbuf p;
    const PicbufBitmap source = [] {
        Picbuf g;
        Magick::Image img = gradient(120, 90);
        Magick::Blob blob;
        img.magick("RGB");
        img.depth(8);
        img.write(&blob);
        PicbufBitmap b;
        b.width = 120;
        b.height = 90;
        b.layout = PicbufBitmap::Layout::Rgb24;
        const auto* d = static_cast<const std::uint8_t*>(blob.data());
        b.bytes.assign(d, d + blob.length());
        return b;
    }();
    p.loadBitmap(source);
    p.reduceColors(GetParam().count, GetParam().count >= 236);
    EXPECT_EQ(p.colorDepth(), GetParam().depth);
    EXPECT_LE(p.image().constImage()->colors, unsigned(GetParam().count));
    std::set<unsigned> used;
    for (unsigned y = 0; y < 90; y += 3)
        for (unsigned x = 0; x < 120; x += 3)
            used.insert(pixelAt(p.image(), x, y));
    EXPECT_LE(used.size(), std::size_t(GetParam().count));
    EXPECT_GT(used.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Counts, Reduce, ::testing::Values(ReduceCase{236, 8}, ReduceCase{16, 4}, ReduceCase{2, 1}));

TEST(PicbufPalette, ReduceTo236ThenCompleteGives256Entries) {
    Picbuf p;
    p.loadBitmap([] {
        PicbufBitmap b;
        b.width = 64;
        b.height = 64;
        for (int i = 0; i < 64 * 64; ++i)
            b.bytes.insert(b.bytes.end(), {std::uint8_t(i), std::uint8_t(i / 64 * 4), std::uint8_t(i * 7), 0xFF});
        return b;
    }());
    p.reduceColors(236, true);
    const unsigned reduced = p.image().constImage()->colors;
    ASSERT_LE(reduced, 236u);
    const std::uint32_t first = p.paletteColor(0);
    const unsigned pixel = pixelAt(p.image(), 10, 10);
    p.completePalette();
    EXPECT_EQ(p.image().constImage()->colors, 256u);
    EXPECT_EQ(p.colorDepth(), 8);
    EXPECT_EQ(p.paletteColor(0), first);
    EXPECT_EQ(p.paletteColor(255), 0xFFFFFFu);
    EXPECT_EQ(pixelAt(p.image(), 10, 10), pixel);
}

TEST(PicbufPalette, RaiseColorDepthKeepsPixels) {
    const QString dir = mtest::freshDir("raise");
    const std::string src = path(dir, "p.png");
    writeImage(paletted(20, 20, 16), src, "PNG8");
    Picbuf p;
    loaded(p, src);
    ASSERT_EQ(p.colorDepth(), 4);
    const unsigned pixel = pixelAt(p.image(), 7, 3);
    p.raiseColorDepth(8);
    EXPECT_EQ(p.colorDepth(), 8);
    EXPECT_EQ(pixelAt(p.image(), 7, 3), pixel);
    p.raiseColorDepth(4); // never lowers
    EXPECT_EQ(p.colorDepth(), 8);
    p.raiseColorDepth(24);
    EXPECT_EQ(p.colorDepth(), 24);
    EXPECT_EQ(pixelAt(p.image(), 7, 3), pixel);
}

struct GammaCase {
    double c;
    double gamma; // the user's gamma the value stands for
};

class Gamma : public ::testing::TestWithParam<GammaCase> {};

TEST_P(Gamma, MovesMidGreyByTheUsersGamma) {
    Picbuf p;
    PicbufBitmap b;
    b.width = 3;
    b.height = 1;
    b.bytes = {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255};
    p.loadBitmap(b);
    p.gammaCorrect(GetParam().c);
    const PicbufBitmap out = p.makeBitmap();
    const double expected = 255.0 * std::pow(128.0 / 255.0, 1.0 / GetParam().gamma);
    EXPECT_NEAR(out.bytes[4], expected, 1.5);
    EXPECT_EQ(out.bytes[0], 0);
    EXPECT_EQ(out.bytes[8], 255);
}

INSTANTIATE_TEST_SUITE_P(Values, Gamma,
                         ::testing::Values(GammaCase{5, 1.0}, GammaCase{3, 1.5}, GammaCase{1.04, 1.99},
                                           GammaCase{7.5, 0.5}, GammaCase{9.95, 0.01}));

TEST(PicbufGamma, FiveLeavesEveryPixelAlone) {
    const QString dir = mtest::freshDir("gamma5");
    const std::string src = path(dir, "g.png");
    writeImage(gradient(40, 30), src, "PNG");
    Picbuf p;
    loaded(p, src);
    const PicbufBitmap before = p.makeBitmap();
    p.gammaCorrect(5.0);
    EXPECT_EQ(p.makeBitmap().bytes, before.bytes);
}

TEST(PicbufGamma, BrighteningAboveOneKeepsAPaletteImageAPaletteImage) {
    const QString dir = mtest::freshDir("gammapal");
    const std::string src = path(dir, "p.gif");
    writeImage(paletted(20, 20, 200), src, "GIF");
    Picbuf p;
    loaded(p, src);
    const unsigned before = p.paletteColor(10);
    p.gammaCorrect(3.0);
    EXPECT_EQ(p.colorDepth(), 8);
    const unsigned after = p.paletteColor(10);
    EXPECT_GE(after >> 16, before >> 16);
    EXPECT_GE((after >> 8) & 0xFF, (before >> 8) & 0xFF);
    EXPECT_NE(after, before);
}

// ---------------------------------------------------------------- bitmaps, release, progress

TEST(PicbufBitmaps, RoundTripAndRefuseShortBuffers) {
    PicbufBitmap b;
    b.width = 2;
    b.height = 2;
    b.bytes = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 10, 20, 30, 255};
    Picbuf p;
    p.loadBitmap(b);
    EXPECT_EQ(p.colorDepth(), 24);
    EXPECT_EQ(p.makeBitmap().bytes, b.bytes);

    PicbufBitmap shortOne = b;
    shortOne.bytes.resize(15);
    Picbuf q;
    EXPECT_THROW(q.loadBitmap(shortOne), PicbufError);
    EXPECT_EQ(q.errorNumber(), PicbufCode::BadArgument);
    EXPECT_FALSE(q.hasImage());

    p.release();
    EXPECT_FALSE(p.hasImage());
    EXPECT_EQ(p.width(), 0);
    EXPECT_EQ(p.colorDepth(), 0);
}

TEST(PicbufBitmaps, CreateImageGivesThePaletteOfItsDepth) {
    Picbuf p;
    for (int depth : {1, 4, 8}) {
        p.createImage(depth, 7, 5);
        EXPECT_EQ(p.colorDepth(), depth);
        EXPECT_EQ(p.width(), 7);
        EXPECT_EQ(p.paletteColor(0), 0u);
    }
    p.createImage(24, 7, 5);
    EXPECT_EQ(p.colorDepth(), 24);
    EXPECT_THROW(p.createImage(8, 0, 5), PicbufError);
}

TEST(PicbufProgress, CallbackSeesProgressAndCanAbort) {
    const QString dir = mtest::freshDir("abort");
    const std::string src = path(dir, "big.png");
    writeImage(gradient(300, 200), src, "PNG");

    Picbuf p;
    std::vector<int> seen;
    p.setProgressCallback([&](int percent) {
        seen.push_back(percent);
        return true;
    });
    loaded(p, src);
    ASSERT_FALSE(seen.empty());
    for (int v : seen) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 100);
    }

    // Reduction aborted half-way: the image stays as it was.
    p.setProgressCallback([](int) { return false; });
    try {
        p.reduceColors(16, false);
        FAIL() << "abort not reported";
    } catch (const PicbufError& e) {
        EXPECT_EQ(e.code(), PicbufCode::Aborted);
    }
    EXPECT_TRUE(p.hasImage());
    EXPECT_EQ(p.colorDepth(), 24);

    // Load aborted: the control ends up empty and the failure is reported.
    p.release();
    try {
        loaded(p, src);
        FAIL() << "abort not reported";
    } catch (const PicbufError& e) {
        EXPECT_EQ(e.code(), PicbufCode::Aborted);
    }
    EXPECT_FALSE(p.hasImage());
}

} // namespace
