// SPDX-License-Identifier: MIT
// Misuse, writing, pixel and palette work, bitmaps and progress.
#include "PicbufFixture.h"

#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <limits>
#include <set>
#include <tuple>

namespace {

using namespace picbuftest;
using namespace MagickLib;

// Four pixels' worth of bytes, less one.
const PicbufBitmap kShortBitmap{2, 2, PicbufBitmap::Layout::Rgba32, Bytes(15)};

TEST_F(PicbufTest, MisuseFailsWithItsCodeAndLeavesTheControlAsItWas) {
    // Whether the control holds an image (a 1-bit palette image of 8 x 8), the misuse and its code.
    using M = std::tuple<const char*, bool, std::function<void(Picbuf&)>, int>;
    for (const auto& [name, withImage, operation, code] :
         {M{"StoreEmpty", false, [](Picbuf& p) { p.store(); }, PicbufCode::NoImage},
          M{"GammaEmpty", false, [](Picbuf& p) { p.gammaCorrect(3); }, PicbufCode::NoImage},
          M{"AssignFromEmpty", false, [](Picbuf& empty) { Picbuf().assignFrom(empty); }, PicbufCode::NoImage},
          M{"MakeBitmapEmpty", false, [](Picbuf& p) { p.makeBitmap(); }, PicbufCode::NoImage},
          M{"PaletteIndexTooHigh", true, [](Picbuf& p) { p.paletteColor(2); }, PicbufCode::BadArgument},
          M{"NegativePaletteIndex", true, [](Picbuf& p) { p.setPaletteColor(-1, 0); }, PicbufCode::BadArgument},
          M{"ZeroWidth", false, [](Picbuf& p) { p.createImage(8, 0, 5); }, PicbufCode::BadArgument},
          M{"ShortBitmap", false, [](Picbuf& p) { p.loadBitmap(kShortBitmap); }, PicbufCode::BadArgument},
          M{"ReduceToOneColour", true, [](Picbuf& p) { p.reduceColors(1, false); }, PicbufCode::BadArgument},
          M{"ResizeEmpty", false, [](Picbuf& p) { p.resizeTo(4, 4); }, PicbufCode::NoImage},
          M{"ResizePastTheLargestSide", true, [](Picbuf& p) { p.resizeTo(Picbuf::kMaxSide + 1, 1); },
            PicbufCode::BadArgument},
          // A new control's format names no writer.
          M{"StoreWithoutWriter", true, [](Picbuf& p) { p.store(); }, PicbufCode::UnknownWriteFormat}}) {
        SCOPED_TRACE(name);
        Picbuf p;
        if (withImage) p.createImage(1, 8, 8);
        EXPECT_EQ(failureCode(p, operation), code);
        EXPECT_EQ(p.hasImage(), withImage);
    }
}

// A resize keeps the file's own size and a palette image's depth; the largest side is allowed.
TEST_F(PicbufTest, ResizeKeepsTheFileSizeAndThePalette) {
    Picbuf p;
    p.createImage(4, 8, 6);
    p.resizeTo(Picbuf::kMaxSide, 1);
    EXPECT_EQ(std::tuple(p.width(), p.height(), p.fileWidth(), p.fileHeight(), p.colorDepth()),
              std::tuple(int(Picbuf::kMaxSide), 1, 8, 6, 4));
}

// ---------------------------------------------------------------- writing

TEST_F(PicbufTest, StoreWritesUncompressedBmp3OfTheImagesDepth) {
    for (const auto& [picture, depth] : {std::pair{Picture::Gradient, 24}, std::pair{Picture::Colours200, 8},
                                         std::pair{Picture::Colours16, 4}, std::pair{Picture::Colours2, 1}}) {
        SCOPED_TRACE(depth);
        Picbuf p, back;
        ASSERT_EQ(load(p, save(picture, 30, 20, depth == 24 ? "PNG24" : "PNG8")).colorDepth(), depth);
        const std::string file = (dir + "/out.bmp").toStdString();
        p.setFileName(file);
        p.setImageFormat(Picbuf::Bmp);
        p.store();
        const QByteArray b = mtest::readFile(QString::fromStdString(file));
        ASSERT_GE(b.size(), 54);
        EXPECT_EQ(b.left(2), QByteArray("BM"));
        EXPECT_EQ(field(b, 2), std::uint32_t(b.size()));
        // Header size, width, height, bits per pixel, compression, size of the pixels.
        EXPECT_EQ(std::vector({field(b, 14), field(b, 18), field(b, 22), field(b, 28, 2), field(b, 30),
                               std::uint32_t(b.size()) - field(b, 10)}),
                  std::vector<std::uint32_t>({40, 30, 20, std::uint32_t(depth), 0, (30u * depth + 31) / 32 * 4 * 20}));
        EXPECT_EQ(load(back, file).colorDepth(), depth);
        for (unsigned y : {0u, 7u, 19u})
            for (unsigned x : {0u, 13u, 29u})
                EXPECT_EQ(pixelAt(back.image(), x, y), pixelAt(p.image(), x, y));
    }
}

TEST_F(PicbufTest, JpegGetsSmallerAsQualityFalls) {
    Picbuf p;
    load(p, save(Picture::Gradient, 160, 120, "PNG"));
    p.setImageFormat(Picbuf::Jpeg);
    qint64 previous = std::numeric_limits<qint64>::max();
    for (int q : {95, 65, 35, 5}) {
        p.setFileName((dir + QString("/q%1.jpg").arg(q)).toStdString());
        p.setWriteCompression(q);
        p.store();
        const qint64 size = QFile(QString::fromStdString(p.fileName())).size();
        EXPECT_GT(size, 0);
        EXPECT_LT(size, previous) << "quality " << q;
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

// What the renderer does to resize: scale into a receiver of the new size, then copy that back.
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

    // A palette image keeps its palette.
    const std::string file = save(Picture::Colours200, 40, 30, "GIF");
    Picbuf original;
    ASSERT_EQ(load(source, file).colorDepth(), 8);
    work.createImage(source.colorDepth(), 100, 75);
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
    for (const auto& [bits, depth] : {std::pair{8, 8}, std::pair{4, 8}, std::pair{24, 24}}) {
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

// Into a palette of that many colours; the twenty reserved colours complete 236 to 256 entries, white last.
TEST_F(PicbufTest, ReduceQuantisesIntoAPaletteOfThatManyColours) {
    for (const auto& [count, depth] : {std::pair{236, 8}, std::pair{16, 4}, std::pair{2, 1}}) {
        SCOPED_TRACE(count);
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
        if (count != 236) continue;
        const std::uint32_t first = p.paletteColor(0);
        const unsigned pixel = pixelAt(p.image(), 10, 10);
        p.completePalette();
        EXPECT_EQ(p.image().constImage()->colors, 256u);
        EXPECT_EQ(std::vector({p.paletteColor(0), p.paletteColor(255)}), std::vector({first, 0xFFFFFFu}));
        EXPECT_EQ(pixelAt(p.image(), 10, 10), pixel);
    }
}

// The control's value c and the user's gamma it stands for: mid grey moves, black and white stay,
// and a palette image stays one.
TEST_F(PicbufTest, GammaMovesMidGreyAndKeepsBlackAndWhite) {
    for (const auto& [c, gamma] : {std::pair{5.0, 1.0}, std::pair{3.0, 1.5}, std::pair{1.04, 1.99}, std::pair{7.5, 0.5},
                                   std::pair{9.95, 0.01}}) {
        Picbuf p;
        p.loadBitmap({3, 1, {}, {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}});
        p.gammaCorrect(c);
        const Bytes out = p.makeBitmap().bytes;
        EXPECT_NEAR(out[4], 255.0 * std::pow(128.0 / 255.0, 1.0 / gamma), gamma == 1.0 ? 1e-6 : 1.5) << c;
        EXPECT_EQ(std::vector({out[0], out[8]}), Bytes({0, 255})) << c;
    }
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

TEST_F(PicbufTest, BitmapsRoundTripNewImagesAreBlackAndReleaseEmpties) {
    const Bytes rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 10, 20, 30, 255};
    Picbuf p;
    p.loadBitmap({2, 2, PicbufBitmap::Layout::Rgb24, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}});
    EXPECT_EQ(p.makeBitmap().bytes, rgba);
    p.loadBitmap({2, 2, PicbufBitmap::Layout::Rgba32, rgba});
    EXPECT_EQ(p.colorDepth(), 24);
    EXPECT_EQ(p.makeBitmap().bytes, rgba);
    for (int depth : {1, 4, 8, 24}) {
        p.createImage(depth, 7, 5);
        EXPECT_EQ(std::vector({p.colorDepth(), p.width(), int(pixelAt(p.image(), 6, 4))}), std::vector({depth, 7, 0}));
    }
    p.release();
    EXPECT_EQ(std::vector({int(p.hasImage()), p.width(), p.colorDepth()}), std::vector({0, 0, 0}));
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
