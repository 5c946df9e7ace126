// SPDX-License-Identifier: MIT
#include "BitmapRows.h"

#include <cstdlib>

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kUncompressed = 0;
// X cannot make a pixmap side longer than this.
constexpr std::int64_t kMaxSide = 32767;

std::uint32_t u32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t u16(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

} // namespace

std::optional<BitmapRows> BitmapRows::parse(const unsigned char* data, std::size_t size) {
    if (!data || size < kFileHeaderBytes + kInfoHeaderBytes || data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const std::uint32_t pixelOffset = u32(data + 10);
    const unsigned char* info = data + kFileHeaderBytes;
    const std::uint32_t infoBytes = u32(info);
    const std::int64_t width = std::int32_t(u32(info + 4));
    const std::int64_t height = std::int32_t(u32(info + 8));
    const int bits = u16(info + 14);
    if (infoBytes < kInfoHeaderBytes || infoBytes > size - kFileHeaderBytes || u16(info + 12) != 1 ||
        u32(info + 16) != kUncompressed)
        return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
    if (width < 1 || width > kMaxSide || height == 0 || std::llabs(height) > kMaxSide) return std::nullopt;

    BitmapRows rows;
    rows.m_width = int(width);
    rows.m_height = int(std::llabs(height));
    rows.m_topDown = height < 0;
    rows.m_bits = bits;
    rows.m_stride = (std::size_t(width) * std::size_t(bits) + 31) / 32 * 4;
    if (pixelOffset > size || rows.m_stride * std::size_t(rows.m_height) > size - pixelOffset) return std::nullopt;
    rows.m_pixels = data + pixelOffset;
    if (bits <= 8) {
        std::size_t entries = u32(info + 32);
        if (entries == 0 || entries > (std::size_t(1) << bits)) entries = std::size_t(1) << bits;
        const std::size_t paletteAt = kFileHeaderBytes + infoBytes;
        if (paletteAt + entries * 4 > pixelOffset) return std::nullopt;
        rows.m_palette.resize(entries);
        for (std::size_t i = 0; i < entries; ++i) {
            const unsigned char* bgr = data + paletteAt + i * 4;
            rows.m_palette[i] = std::uint32_t(bgr[2]) << 16 | std::uint32_t(bgr[1]) << 8 | bgr[0];
        }
    }
    return rows;
}

void BitmapRows::rgbRow(int y, int x, int count, std::uint8_t* out) const {
    const unsigned char* row = m_pixels + std::size_t(m_topDown ? y : m_height - 1 - y) * m_stride;
    for (int i = x; i < x + count; ++i, out += 3) {
        if (m_bits >= 24) {
            const unsigned char* p = row + std::size_t(i) * std::size_t(m_bits / 8);
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            continue;
        }
        const unsigned char byte = row[std::size_t(i) * std::size_t(m_bits) / 8];
        const int shift = 8 - m_bits - (i * m_bits) % 8;
        const std::size_t index = (byte >> shift) & ((1u << m_bits) - 1);
        // An index past a short palette shows black, as the general decoder does.
        const std::uint32_t rgb = index < m_palette.size() ? m_palette[index] : 0;
        out[0] = std::uint8_t(rgb >> 16);
        out[1] = std::uint8_t(rgb >> 8);
        out[2] = std::uint8_t(rgb);
    }
}
