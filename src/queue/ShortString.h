// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Little-endian fields and length-prefixed short strings inside fixed-size records.
// Strings hold a path's bytes in the native narrow encoding (UTF-8 on Linux).
namespace shortstring {

std::uint8_t u8(const std::uint8_t* base, std::size_t offset);
void setU8(std::uint8_t* base, std::size_t offset, std::uint8_t value);
std::int16_t i16(const std::uint8_t* base, std::size_t offset);
void setI16(std::uint8_t* base, std::size_t offset, std::int16_t value);
std::int32_t i32(const std::uint8_t* base, std::size_t offset);
void setI32(std::uint8_t* base, std::size_t offset, std::int32_t value);

// The stored bytes of a short string of the given capacity (a length byte beyond
// the capacity, as in a damaged file, is taken as the capacity).
QByteArray readBytes(const std::uint8_t* base, std::size_t offset, int capacity);
QString read(const std::uint8_t* base, std::size_t offset, int capacity);
// Stores the text cut to the capacity; a cut never splits a UTF-8 character.
// The bytes after the text are left as they were.
void write(std::uint8_t* base, std::size_t offset, int capacity, const QString& text);
// The native bytes of text cut to at most capacity bytes on a character boundary.
QByteArray encodeCut(const QString& text, int capacity);

} // namespace shortstring
