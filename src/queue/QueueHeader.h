// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueFormat.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// The queue header exactly as it lies in the file. Keeping the raw bytes means the
// reserved bytes survive every rewrite unchanged, as files of other versions expect.
class QueueHeader {
public:
    struct Rule {
        std::uint8_t mode = 0;
        std::uint8_t fixedSize = 0;
        std::int16_t width = 0;
        std::int16_t height = 0;
        bool operator==(const Rule&) const = default;
    };

    QueueHeader() { m_bytes.fill(0); }

    std::uint8_t* data() { return m_bytes.data(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    static constexpr std::size_t size() { return qu3::kHeaderSize; }
    QByteArray toByteArray() const;

    // The signature bytes up to the first zero byte (at most three).
    QByteArray signature() const;
    void setSignature();

    std::int16_t currentPosition() const;
    void setCurrentPosition(std::int16_t value);
    QString relinkFolder() const;
    void setRelinkFolder(const QString& folder);
    QString imageFolder() const;
    void setImageFolder(const QString& folder);
    std::uint8_t orderMode() const;
    void setOrderMode(std::uint8_t mode);
    std::uint8_t gammaOn() const;
    void setGammaOn(std::uint8_t on);
    std::uint8_t sorted() const;
    void setSorted(std::uint8_t on);
    std::int16_t entryCount() const;
    void setEntryCount(std::int16_t count);
    std::uint8_t noDefaultSound() const;
    void setNoDefaultSound(std::uint8_t value);
    std::uint8_t startWithFirst() const;
    void setStartWithFirst(std::uint8_t value);
    std::uint8_t tiled() const;
    void setTiled(std::uint8_t value);
    Rule largeRule() const;
    void setLargeRule(const Rule& rule);
    Rule smallRule() const;
    void setSmallRule(const Rule& rule);
    std::int16_t thresholdWidth() const;
    void setThresholdWidth(std::int16_t value);
    std::int16_t thresholdHeight() const;
    void setThresholdHeight(std::int16_t value);
    std::uint8_t folderQueue() const;
    void setFolderQueue(std::uint8_t value);
    QString defaultSound() const;
    void setDefaultSound(const QString& path);

    // Element r (1..6000) of the record use table and element n of the record index table.
    std::int16_t recordUse(int r) const;
    void setRecordUse(int r, std::int16_t value);
    std::int16_t recordIndex(int n) const;
    void setRecordIndex(int n, std::int16_t value);
    void clearTables();

private:
    std::uint8_t u8(std::size_t offset) const { return m_bytes[offset]; }
    void setU8(std::size_t offset, std::uint8_t value) { m_bytes[offset] = value; }
    std::int16_t i16(std::size_t offset) const;
    void setI16(std::size_t offset, std::int16_t value);

    std::array<std::uint8_t, qu3::kHeaderSize> m_bytes;
};
