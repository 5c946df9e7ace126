// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueFormat.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// One entry record exactly as it lies in the file (5,120 bytes).
class QueueEntry {
public:
    QueueEntry() { m_bytes.fill(0); }

    std::uint8_t* data() { return m_bytes.data(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    static constexpr std::size_t size() { return qu3::kRecordSize; }
    QByteArray toByteArray() const;
    void clear() { m_bytes.fill(0); }

    // The stored path; readers use trimmedPath(), since paths may carry trailing blanks.
    QString filePath() const;
    QString trimmedPath() const { return filePath().trimmed(); }
    void setFilePath(const QString& path);
    std::int32_t fileDate() const;
    void setFileDate(std::int32_t date);
    std::uint8_t tiled() const;
    void setTiled(std::uint8_t value);
    std::int8_t bitsPerPixel() const;
    void setBitsPerPixel(std::int8_t value);
    std::int16_t width() const;
    void setWidth(std::int16_t value);
    std::int16_t height() const;
    void setHeight(std::int16_t value);
    std::uint8_t factsKnown() const;
    void setFactsKnown(std::uint8_t value);
    std::uint8_t resizeMode() const;
    void setResizeMode(std::uint8_t mode);
    std::uint8_t fixedSize() const;
    void setFixedSize(std::uint8_t value);
    std::int16_t fixedWidth() const;
    void setFixedWidth(std::int16_t value);
    std::int16_t fixedHeight() const;
    void setFixedHeight(std::int16_t value);
    std::uint8_t soundOption() const;
    void setSoundOption(std::uint8_t value);
    QString soundPath() const;
    void setSoundPath(const QString& path);
    QByteArray thumbnail() const;
    // Stores the first 4,000 bytes of data; the rest of the field is zeroed.
    void setThumbnail(const QByteArray& data);

private:
    std::array<std::uint8_t, qu3::kRecordSize> m_bytes;
};
