// SPDX-License-Identifier: MIT
#include "ShortString.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace shortstring {

std::uint8_t u8(const std::uint8_t* base, std::size_t offset) {
    return base[offset];
}

void setU8(std::uint8_t* base, std::size_t offset, std::uint8_t value) {
    base[offset] = value;
}

std::int16_t i16(const std::uint8_t* base, std::size_t offset) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(base[offset] | (base[offset + 1] << 8)));
}

void setI16(std::uint8_t* base, std::size_t offset, std::int16_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    base[offset] = static_cast<std::uint8_t>(v & 0xFF);
    base[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::int32_t i32(const std::uint8_t* base, std::size_t offset) {
    const std::uint32_t v = std::uint32_t(base[offset]) | (std::uint32_t(base[offset + 1]) << 8) |
                            (std::uint32_t(base[offset + 2]) << 16) | (std::uint32_t(base[offset + 3]) << 24);
    return static_cast<std::int32_t>(v);
}

void setI32(std::uint8_t* base, std::size_t offset, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        base[offset + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

QByteArray readBytes(const std::uint8_t* base, std::size_t offset, int capacity) {
    const int length = std::min<int>(base[offset], capacity);
    const QByteArray bytes(reinterpret_cast<const char*>(base + offset + 1), length);
    // No file name holds a zero byte: a damaged string ends there rather than reaching the file system.
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

QString read(const std::uint8_t* base, std::size_t offset, int capacity) {
    return QFile::decodeName(readBytes(base, offset, capacity));
}

QByteArray encodeCut(const QString& text, int capacity) {
    QByteArray bytes = QFile::encodeName(text);
    if (bytes.size() <= capacity) return bytes;
    int cut = capacity;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    bytes.truncate(cut);
    return bytes;
}

void write(std::uint8_t* base, std::size_t offset, int capacity, const QString& text) {
    const QByteArray bytes = encodeCut(text, capacity);
    base[offset] = static_cast<std::uint8_t>(bytes.size());
    std::memcpy(base + offset + 1, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace shortstring
