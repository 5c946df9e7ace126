// SPDX-License-Identifier: MIT
#include "QueueHeader.h"

#include "queue/ShortString.h"

#include <cstring>

using namespace qu3::header;

QByteArray QueueHeader::toByteArray() const {
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()), static_cast<qsizetype>(m_bytes.size()));
}

QByteArray QueueHeader::signature() const {
    QByteArray sig;
    for (int i = 0; i < 3 && m_bytes[kSignature + i] != 0; ++i)
        sig.append(static_cast<char>(m_bytes[kSignature + i]));
    return sig;
}

void QueueHeader::setSignature() {
    std::memcpy(m_bytes.data() + kSignature, qu3::kSignature, 3);
}

std::int16_t QueueHeader::i16(std::size_t offset) const {
    return shortstring::i16(m_bytes.data(), offset);
}
void QueueHeader::setI16(std::size_t offset, std::int16_t value) {
    shortstring::setI16(m_bytes.data(), offset, value);
}

std::int16_t QueueHeader::currentPosition() const {
    return i16(kCurrentPosition);
}
void QueueHeader::setCurrentPosition(std::int16_t value) {
    setI16(kCurrentPosition, value);
}

QString QueueHeader::relinkFolder() const {
    return shortstring::read(m_bytes.data(), kRelinkFolder, qu3::kFolderCapacity);
}
void QueueHeader::setRelinkFolder(const QString& folder) {
    shortstring::write(m_bytes.data(), kRelinkFolder, qu3::kFolderCapacity, folder);
}
QString QueueHeader::imageFolder() const {
    return shortstring::read(m_bytes.data(), kImageFolder, qu3::kFolderCapacity);
}
void QueueHeader::setImageFolder(const QString& folder) {
    shortstring::write(m_bytes.data(), kImageFolder, qu3::kFolderCapacity, folder);
}

std::uint8_t QueueHeader::orderMode() const {
    return u8(kOrderMode);
}
void QueueHeader::setOrderMode(std::uint8_t mode) {
    setU8(kOrderMode, mode);
}
std::uint8_t QueueHeader::gammaOn() const {
    return u8(kGammaOn);
}
void QueueHeader::setGammaOn(std::uint8_t on) {
    setU8(kGammaOn, on);
}
std::uint8_t QueueHeader::sorted() const {
    return u8(kSorted);
}
void QueueHeader::setSorted(std::uint8_t on) {
    setU8(kSorted, on);
}
std::int16_t QueueHeader::entryCount() const {
    return i16(kEntryCount);
}
void QueueHeader::setEntryCount(std::int16_t count) {
    setI16(kEntryCount, count);
}
std::uint8_t QueueHeader::noDefaultSound() const {
    return u8(kNoDefaultSound);
}
void QueueHeader::setNoDefaultSound(std::uint8_t value) {
    setU8(kNoDefaultSound, value);
}
std::uint8_t QueueHeader::startWithFirst() const {
    return u8(kStartWithFirst);
}
void QueueHeader::setStartWithFirst(std::uint8_t value) {
    setU8(kStartWithFirst, value);
}
std::uint8_t QueueHeader::tiled() const {
    return u8(kTiled);
}
void QueueHeader::setTiled(std::uint8_t value) {
    setU8(kTiled, value);
}

QueueHeader::Rule QueueHeader::largeRule() const {
    return Rule{u8(kLargeMode), u8(kLargeFixed), i16(kLargeWidth), i16(kLargeHeight)};
}
void QueueHeader::setLargeRule(const Rule& rule) {
    setU8(kLargeMode, rule.mode);
    setU8(kLargeFixed, rule.fixedSize);
    setI16(kLargeWidth, rule.width);
    setI16(kLargeHeight, rule.height);
}
QueueHeader::Rule QueueHeader::smallRule() const {
    return Rule{u8(kSmallMode), u8(kSmallFixed), i16(kSmallWidth), i16(kSmallHeight)};
}
void QueueHeader::setSmallRule(const Rule& rule) {
    setU8(kSmallMode, rule.mode);
    setU8(kSmallFixed, rule.fixedSize);
    setI16(kSmallWidth, rule.width);
    setI16(kSmallHeight, rule.height);
}

std::int16_t QueueHeader::thresholdWidth() const {
    return i16(kThresholdWidth);
}
void QueueHeader::setThresholdWidth(std::int16_t value) {
    setI16(kThresholdWidth, value);
}
std::int16_t QueueHeader::thresholdHeight() const {
    return i16(kThresholdHeight);
}
void QueueHeader::setThresholdHeight(std::int16_t value) {
    setI16(kThresholdHeight, value);
}
std::uint8_t QueueHeader::folderQueue() const {
    return u8(kFolderQueue);
}
void QueueHeader::setFolderQueue(std::uint8_t value) {
    setU8(kFolderQueue, value);
}

QString QueueHeader::defaultSound() const {
    return shortstring::read(m_bytes.data(), kDefaultSound, qu3::kPathCapacity);
}
void QueueHeader::setDefaultSound(const QString& path) {
    shortstring::write(m_bytes.data(), kDefaultSound, qu3::kPathCapacity, path);
}

// Numbers outside 1..6000 read as 0 and are not stored: a damaged file must not
// lead us outside the tables.
static bool inTable(int i) {
    return i >= 1 && i <= qu3::kMaxEntries;
}

std::int16_t QueueHeader::recordUse(int r) const {
    return inTable(r) ? i16(kRecordUse + 2 * static_cast<std::size_t>(r - 1)) : 0;
}
void QueueHeader::setRecordUse(int r, std::int16_t value) {
    if (inTable(r)) setI16(kRecordUse + 2 * static_cast<std::size_t>(r - 1), value);
}
std::int16_t QueueHeader::recordIndex(int n) const {
    return inTable(n) ? i16(kRecordIndex + 2 * static_cast<std::size_t>(n - 1)) : 0;
}
void QueueHeader::setRecordIndex(int n, std::int16_t value) {
    if (inTable(n)) setI16(kRecordIndex + 2 * static_cast<std::size_t>(n - 1), value);
}

void QueueHeader::clearTables() {
    std::memset(m_bytes.data() + kRecordUse, 0, 4 * qu3::kMaxEntries);
}
