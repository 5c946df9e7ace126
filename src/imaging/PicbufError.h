// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

// Codes a failing Picbuf operation leaves in ErrorNumber. The wallpaper engine and
// the image panel turn the first group into their user messages, so a condition
// must keep its code.
namespace PicbufCode {
inline constexpr int Reading = 20101;         // unreadable, not an image, truncated beyond use, absurd size
inline constexpr int OutOfMemory = 20102;     // the decoder or a pixel operation ran out of memory
inline constexpr int WriteFailed = 20107;     // disk full, read-only file, missing folder
inline constexpr int BadCompression = 20133;  // a compression scheme the decoder does not know
inline constexpr int ReduceRetry = 20166;     // ReduceColors asks its caller to retry with every flag set
inline constexpr int UnsupportedJpeg = 20174; // a JPEG process other than baseline/progressive Huffman
inline constexpr int BadColourSpace = 20201;  // a colour space the decoder cannot convert
// Codes of our own; the message table answers them with its "unexpected" text.
inline constexpr int Aborted = 20105;            // OnCallback returned false
inline constexpr int NoImage = 20150;            // the operation needs an image and the control holds none
inline constexpr int BadArgument = 20151;        // palette index, size, depth or pixel buffer out of range
inline constexpr int UnknownWriteFormat = 20152; // Store with an ImageFormat that names no writer
} // namespace PicbufCode

class PicbufError : public std::exception {
public:
    PicbufError(int code, std::string text) : m_code(code), m_text(std::move(text)) {}

    int code() const noexcept { return m_code; }
    const char* what() const noexcept override { return m_text.c_str(); }

private:
    int m_code;
    std::string m_text;
};
