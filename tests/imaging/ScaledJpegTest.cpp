// SPDX-License-Identifier: MIT
// A large JPEG loaded for a smaller picture is decoded at a reduced scale and resampled
// once; the picture must be the one the general decoder and a Lanczos resize make.
#include "imaging/JpegScaledDecode.h"
#include "imaging/Resample.h"

#include "PicbufFixture.h"

#include <QFile>

#include <cstdio>

#include <jpeglib.h>

#include <cmath>
#include <tuple>

namespace {

using namespace picbuftest;

// Smooth gradients with a few hard edges, as photographs have: no pattern finer than the
// pixels that a reduced-scale decode would alias differently.
Magick::Image photo(unsigned w, unsigned h) {
    Picbuf::initialize(nullptr);
    std::vector<std::uint8_t> rgb(std::size_t(w) * h * 3);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            std::uint8_t* p = &rgb[(std::size_t(y) * w + x) * 3];
            const bool block = x > w / 3 && x < w / 2 && y > h / 4 && y < h / 2;
            p[0] = block ? 20 : std::uint8_t(x * 255 / w);
            p[1] = block ? 230 : std::uint8_t(y * 255 / h);
            p[2] = std::uint8_t(128 + 120 * std::sin(x / 37.0) * std::cos(y / 23.0));
        }
    return Magick::Image(w, h, "RGB", CharPixel, rgb.data());
}

QString writeJpeg(const Magick::Image& picture, const char* sampling) {
    Magick::Image img = picture;
    img.magick("JPEG");
    img.quality(90);
    CloneString(&img.imageInfo()->sampling_factor, sampling);
    const QString path = mtest::freshDir("jpeg") + "/photo.jpg";
    img.write(QFile::encodeName(path).toStdString());
    return path;
}

std::vector<std::uint8_t> rgbOf(const Magick::Image& img) {
    std::vector<std::uint8_t> rgb(std::size_t(img.columns()) * img.rows() * 3);
    Magick::Image copy = img;
    copy.write(0, 0, img.columns(), img.rows(), "RGB", CharPixel, rgb.data());
    return rgb;
}

// The largest of the three channels' mean absolute differences, in 8-bit levels.
double meanDifference(const Magick::Image& a, const Magick::Image& b) {
    const auto x = rgbOf(a);
    const auto y = rgbOf(b);
    double sums[3] = {0, 0, 0};
    for (std::size_t i = 0; i < x.size(); ++i)
        sums[i % 3] += std::abs(int(x[i]) - int(y[i]));
    return *std::max_element(sums, sums + 3) / double(x.size() / 3);
}

TEST(ScaledJpeg, MatchesTheGeneralDecoderResizedForEveryShapeAndSubsampling) {
    using C = std::tuple<unsigned, unsigned, const char*, int, int, int, int>;
    for (const auto& [w, h, sampling, hintW, hintH, madeW, madeH] : {
             C{960, 720, "1x1", 240, 180, 240, 180}, // exactly a quarter: the 2/8 scale, no resample
             C{960, 720, "2x2", 427, 320, 427, 320}, // the file's shape to within a pixel
             C{803, 499, "2x1", 320, 199, 320, 199}, // odd sides, 4:2:2
             C{960, 720, "2x2", 900, 675, 900, 675}, // just below the file: the 8/8 scale
             // Another shape (a stretch): the least size of the file's shape that covers it.
             C{720, 960, "2x2", 180, 180, 180, 240},
             C{960, 720, "1x1", 480, 60, 480, 360},
         }) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " " << sampling << " for " << hintW << "x" << hintH);
        const Magick::Image original = photo(w, h);
        const QString path = writeJpeg(original, sampling);
        Picbuf p;
        p.setFileName(QFile::encodeName(path).toStdString());
        p.setLoadSizeHint(hintW, hintH);
        p.load();
        ASSERT_EQ(std::tuple(p.width(), p.height()), std::tuple(madeW, madeH));
        EXPECT_EQ(std::tuple(p.fileWidth(), p.fileHeight()), std::tuple(int(w), int(h)));
        EXPECT_EQ(p.colorDepth(), 24);

        Magick::Image reference;
        reference.read(QFile::encodeName(path).toStdString());
        reference.filterType(LanczosFilter);
        Magick::Geometry size{unsigned(madeW), unsigned(madeH)};
        size.aspect(true);
        reference.zoom(size);
        EXPECT_LT(meanDifference(p.image(), reference), 2.0);
    }
}

// A JPEG stored as RGB rather than YCbCr (as some cameras and editors write them), by libjpeg.
QString writeRgbJpeg(const Magick::Image& picture) {
    const std::vector<std::uint8_t> rgb = rgbOf(picture);
    const QString path = mtest::freshDir("jpeg") + "/rgb.jpg";
    std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = JDIMENSION(picture.columns());
    info.image_height = JDIMENSION(picture.rows());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_RGB);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (JDIMENSION y = 0; y < info.image_height; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[std::size_t(y) * info.image_width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
    return path;
}

TEST(ScaledJpeg, RgbEncodedFilesKeepTheirColours) {
    const Magick::Image original = photo(640, 480);
    const QString path = writeRgbJpeg(original);
    Picbuf p;
    p.setFileName(QFile::encodeName(path).toStdString());
    p.setLoadSizeHint(200, 150);
    p.load();
    ASSERT_EQ(std::tuple(p.width(), p.height()), std::tuple(200, 150)); // the scaled decoder made it
    Magick::Image expected = original;
    expected.filterType(LanczosFilter);
    expected.zoom(Magick::Geometry(200, 150));
    EXPECT_LT(meanDifference(p.image(), expected), 2.0);
}

// Files the scaled decode does not take still load the general way.
TEST(ScaledJpeg, GreyAndDamagedFilesStillLoad) {
    const Magick::Image original = photo(640, 480);
    Magick::Image grey = original;
    grey.type(GrayscaleType);
    const QString greyPath = writeJpeg(grey, "1x1");
    Picbuf p;
    p.setFileName(QFile::encodeName(greyPath).toStdString());
    p.setLoadSizeHint(160, 120);
    p.load();
    EXPECT_EQ(p.colorDepth(), 8); // a grey JPEG is an 8-bit grey palette image
    EXPECT_GE(p.width(), 160);

    // Cut short: the rows that are there decode, the rest is filled, as the general decoder does.
    const QString cutPath = writeJpeg(original, "2x2");
    QFile cut(cutPath);
    ASSERT_TRUE(cut.resize(cut.size() * 2 / 3));
    p.setFileName(QFile::encodeName(cutPath).toStdString());
    p.load();
    EXPECT_EQ(std::tuple(p.width(), p.height()), std::tuple(160, 120));
    Magick::Image top = p.image();
    top.crop(Magick::Geometry(160, 30, 0, 0));
    Magick::Image expected = original;
    expected.filterType(LanczosFilter);
    expected.zoom(Magick::Geometry(160, 120));
    expected.crop(Magick::Geometry(160, 30, 0, 0));
    EXPECT_LT(meanDifference(top, expected), 3.0);
}

TEST(ScaledJpeg, NothingToDecodeHandsNothingOver) {
    const QByteArray jpeg = mtest::readFile(writeJpeg(photo(64, 48), "2x2"));
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
    int calls = 0;
    const jpegscaled::Sink sink{[&](int, int) { return ++calls > 0; }, [&](int, const std::uint8_t*) { ++calls; }};
    for (const auto& [bytes, size, w, h] :
         {std::tuple(data, std::size_t(0), 16, 12), std::tuple(data, std::size_t(jpeg.size()), 0, 12),
          std::tuple(data, std::size_t(jpeg.size()), 16, 0), std::tuple(data, std::size_t(jpeg.size() / 2), 64, 48)})
        EXPECT_FALSE(jpegscaled::decode(bytes, size, w, h, sink)) << size << " " << w << "x" << h;
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(jpegscaled::decode(data, std::size_t(jpeg.size()), 16, 12, sink));
    EXPECT_EQ(calls, 1 + 12);
}

TEST(Resample, FlatStaysFlatAndTheSameSizeIsACopy) {
    using resample::Rgb8;
    for (const auto& [fromW, fromH, toW, toH] : {std::tuple(7, 5, 3, 2), std::tuple(1, 1, 5, 4), std::tuple(5, 4, 1, 1),
                                                 std::tuple(640, 480, 123, 77), std::tuple(3, 3, 1000, 2)}) {
        SCOPED_TRACE(testing::Message() << fromW << "x" << fromH << " to " << toW << "x" << toH);
        Rgb8 flat{fromW, fromH, {}};
        for (int i = 0; i < fromW * fromH; ++i)
            flat.pixels.insert(flat.pixels.end(), {std::uint8_t(201), std::uint8_t(0), std::uint8_t(255)});
        const Rgb8 out = resample::lanczos(flat, toW, toH);
        ASSERT_EQ(out.pixels.size(), std::size_t(toW * toH * 3));
        for (std::size_t i = 0; i < out.pixels.size(); i += 3)
            ASSERT_EQ(std::tuple(out.pixels[i], out.pixels[i + 1], out.pixels[i + 2]), std::tuple(201, 0, 255)) << i;
    }
    Rgb8 ramp{9, 4, {}};
    for (int i = 0; i < 9 * 4 * 3; ++i)
        ramp.pixels.push_back(std::uint8_t(i * 7));
    EXPECT_EQ(resample::lanczos(ramp, 9, 4).pixels, ramp.pixels);
}

} // namespace
