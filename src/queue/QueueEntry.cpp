// SPDX-License-Identifier: MIT
#include "QueueEntry.h"

#include "queue/ShortString.h"

#include <algorithm>
#include <cstring>

using namespace qu3::entry;
namespace ss = shortstring;

QByteArray QueueEntry::toByteArray() const {
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()), static_cast<qsizetype>(m_bytes.size()));
}

QString QueueEntry::filePath() const {
    return ss::read(m_bytes.data(), kFilePath, qu3::kPathCapacity);
}
void QueueEntry::setFilePath(const QString& path) {
    ss::write(m_bytes.data(), kFilePath, qu3::kPathCapacity, path);
}
std::int32_t QueueEntry::fileDate() const {
    return ss::i32(m_bytes.data(), kFileDate);
}
void QueueEntry::setFileDate(std::int32_t date) {
    ss::setI32(m_bytes.data(), kFileDate, date);
}
std::uint8_t QueueEntry::tiled() const {
    return m_bytes[kTiled];
}
void QueueEntry::setTiled(std::uint8_t value) {
    m_bytes[kTiled] = value;
}
std::int8_t QueueEntry::bitsPerPixel() const {
    return static_cast<std::int8_t>(m_bytes[kBitsPerPixel]);
}
void QueueEntry::setBitsPerPixel(std::int8_t value) {
    m_bytes[kBitsPerPixel] = static_cast<std::uint8_t>(value);
}
std::int16_t QueueEntry::width() const {
    return ss::i16(m_bytes.data(), kWidth);
}
void QueueEntry::setWidth(std::int16_t value) {
    ss::setI16(m_bytes.data(), kWidth, value);
}
std::int16_t QueueEntry::height() const {
    return ss::i16(m_bytes.data(), kHeight);
}
void QueueEntry::setHeight(std::int16_t value) {
    ss::setI16(m_bytes.data(), kHeight, value);
}
std::uint8_t QueueEntry::factsKnown() const {
    return m_bytes[kFactsKnown];
}
void QueueEntry::setFactsKnown(std::uint8_t value) {
    m_bytes[kFactsKnown] = value;
}
std::uint8_t QueueEntry::resizeMode() const {
    return m_bytes[kResizeMode];
}
void QueueEntry::setResizeMode(std::uint8_t mode) {
    m_bytes[kResizeMode] = mode;
}
std::uint8_t QueueEntry::fixedSize() const {
    return m_bytes[kFixedSize];
}
void QueueEntry::setFixedSize(std::uint8_t value) {
    m_bytes[kFixedSize] = value;
}
std::int16_t QueueEntry::fixedWidth() const {
    return ss::i16(m_bytes.data(), kFixedWidth);
}
void QueueEntry::setFixedWidth(std::int16_t value) {
    ss::setI16(m_bytes.data(), kFixedWidth, value);
}
std::int16_t QueueEntry::fixedHeight() const {
    return ss::i16(m_bytes.data(), kFixedHeight);
}
void QueueEntry::setFixedHeight(std::int16_t value) {
    ss::setI16(m_bytes.data(), kFixedHeight, value);
}
std::uint8_t QueueEntry::soundOption() const {
    return m_bytes[kSoundOption];
}
void QueueEntry::setSoundOption(std::uint8_t value) {
    m_bytes[kSoundOption] = value;
}
QString QueueEntry::soundPath() const {
    return ss::read(m_bytes.data(), kSoundPath, qu3::kPathCapacity);
}
void QueueEntry::setSoundPath(const QString& path) {
    ss::write(m_bytes.data(), kSoundPath, qu3::kPathCapacity, path);
}

QByteArray QueueEntry::thumbnail() const {
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data() + kThumbnail),
                      static_cast<qsizetype>(kThumbnailSize));
}

void QueueEntry::setThumbnail(const QByteArray& data) {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(data.size()), kThumbnailSize);
    std::memcpy(m_bytes.data() + kThumbnail, data.constData(), n);
    std::memset(m_bytes.data() + kThumbnail + n, 0, kThumbnailSize - n);
}
