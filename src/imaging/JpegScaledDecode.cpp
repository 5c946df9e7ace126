// SPDX-License-Identifier: MIT
#include "JpegScaledDecode.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <optional>

#include <jpeglib.h>

namespace jpegscaled {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps
// back to the decode step that was running.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (a damaged tail, for one) still leave a picture, as they do for the general decoder.
void onMessage(j_common_ptr, int) {}
void onOutput(j_common_ptr) {}

struct Session {
    jpeg_decompress_struct info{};
    ErrorManager errors{};

    Session() {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = onError;
        errors.base.emit_message = onMessage;
        errors.base.output_message = onOutput;
    }
    ~Session() { jpeg_destroy_decompress(&info); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

struct Size {
    int width = 0;
    int height = 0;
};

Size outputSize(int fileWidth, int fileHeight, int width, int height) {
    const double heightForWidth = double(fileHeight) * width / fileWidth;
    const double widthForHeight = double(fileWidth) * height / fileHeight;
    if (std::abs(heightForWidth - height) <= 1.0 && std::abs(widthForHeight - width) <= 1.0) return {width, height};
    if (double(width) / fileWidth >= double(height) / fileHeight)
        return {width, std::max(1, int(std::ceil(heightForWidth)))};
    return {std::max(1, int(std::ceil(widthForHeight))), height};
}

// Reads the header, chooses the scale and starts the decompressor. False when this is no
// file for this decoder, or on any error.
bool start(Session& s, const unsigned char* data, std::size_t size, Size target, Size& made) {
    if (setjmp(s.errors.jump)) return false;
    jpeg_create_decompress(&s.info);
    jpeg_mem_src(&s.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s.info, TRUE);
    const bool colour = s.info.jpeg_color_space == JCS_YCbCr || s.info.jpeg_color_space == JCS_RGB;
    if (s.info.num_components != 3 || !colour) return false;
    const int fileWidth = int(s.info.image_width);
    const int fileHeight = int(s.info.image_height);
    made = outputSize(fileWidth, fileHeight, target.width, target.height);
    if (made.width > fileWidth || made.height > fileHeight || (made.width == fileWidth && made.height == fileHeight))
        return false;
    s.info.out_color_space = JCS_RGB;
    s.info.scale_denom = 8;
    for (unsigned m = 1; m <= 8; ++m) {
        s.info.scale_num = m;
        jpeg_calc_output_dimensions(&s.info);
        if (int(s.info.output_width) >= made.width && int(s.info.output_height) >= made.height) break;
    }
    jpeg_start_decompress(&s.info);
    return s.info.output_components == 3;
}

// Rows decoded at a time: each batch is narrowed on a second thread while the next decodes.
constexpr int kBatchRows = 32;

// Decodes up to `count` rows into buffer; how many were decoded, or -1 on an error.
int decodeBatch(Session& s, resample::Bytes& buffer, std::size_t rowBytes, int count) {
    if (setjmp(s.errors.jump)) return -1;
    int done = 0;
    while (done < count && s.info.output_scanline < s.info.output_height) {
        JSAMPROW row = buffer.data() + std::size_t(done) * rowBytes;
        if (jpeg_read_scanlines(&s.info, &row, 1) != 1) return -1;
        ++done;
    }
    return done;
}

bool finish(Session& s) {
    if (setjmp(s.errors.jump)) return false;
    jpeg_finish_decompress(&s.info);
    return true;
}

// Decodes every row and narrows it to the picture's width, so the full decoded picture is
// never held.
bool readRows(Session& s, const resample::Kernel& across, resample::Rgb8& wide) {
    const std::size_t rowBytes = std::size_t(s.info.output_width) * 3;
    resample::Bytes batches[2] = {resample::Bytes(rowBytes * kBatchRows), resample::Bytes(rowBytes * kBatchRows)};
    std::optional<resample::Beside> narrowing;
    int y = 0;
    for (int k = 0; y < int(s.info.output_height); k ^= 1) {
        const int rows = decodeBatch(s, batches[k], rowBytes, kBatchRows);
        narrowing.reset();
        if (rows <= 0) return false;
        const std::uint8_t* batch = batches[k].data();
        narrowing.emplace([&across, &wide, batch, rowBytes, first = y, rows] {
            for (int i = 0; i < rows; ++i)
                resample::resampleRow(across, batch + std::size_t(i) * rowBytes, wide.row(first + i));
        });
        y += rows;
    }
    narrowing.reset();
    return finish(s);
}

} // namespace

bool decode(const unsigned char* data, std::size_t size, int width, int height, const Sink& sink) {
    if (!data || size == 0 || width < 1 || height < 1) return false;
    Session s;
    Size made;
    if (!start(s, data, size, Size{width, height}, made)) return false;
    const int decodedHeight = int(s.info.output_height);
    const resample::Kernel across(int(s.info.output_width), made.width);
    resample::Rgb8 wide{made.width, decodedHeight,
                        resample::Bytes(std::size_t(made.width) * std::size_t(decodedHeight) * 3)};
    if (!readRows(s, across, wide) || !sink.begin(made.width, made.height)) return false;
    if (decodedHeight == made.height) {
        for (int y = 0; y < made.height; ++y)
            sink.row(y, wide.row(y));
        return true;
    }
    resample::resampleColumnsInParallel(resample::Kernel(decodedHeight, made.height), wide, sink.row);
    return true;
}

} // namespace jpegscaled
