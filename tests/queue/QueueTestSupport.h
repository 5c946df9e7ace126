// SPDX-License-Identifier: MIT
#pragma once

#include "TestSupport.h"
#include "queue/Queue.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace qtest {

// Byte-level helpers for writing queue files by hand.
inline void putI16(QByteArray& b, qsizetype off, int v) {
    b[off] = char(v & 0xFF);
    b[off + 1] = char((v >> 8) & 0xFF);
}
inline int getI16(const QByteArray& b, qsizetype off) {
    return std::int16_t(std::uint16_t(std::uint8_t(b[off]) | (std::uint8_t(b[off + 1]) << 8)));
}
inline std::int32_t getI32(const QByteArray& b, qsizetype off) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b[off + i]);
    return std::int32_t(v);
}
inline void putString(QByteArray& b, qsizetype off, const QByteArray& s) {
    b[off] = char(s.size());
    for (qsizetype i = 0; i < s.size(); ++i)
        b[off + 1 + i] = s[i];
}
inline QByteArray getString(const QByteArray& b, qsizetype off) {
    return b.mid(off + 1, std::uint8_t(b[off]));
}

// A header of a queue with entries 1..n in records 1..n, as a file would hold it.
inline QByteArray handMadeHeader(int entries) {
    QByteArray h(25600, '\0');
    h[0] = 'Q';
    h[1] = 'U';
    h[2] = '3';
    h[264] = 1;
    putI16(h, 268, entries);
    for (int i = 1; i <= entries; ++i) {
        putI16(h, 1600 + 2 * (i - 1), i);
        putI16(h, 13600 + 2 * (i - 1), i);
    }
    return h;
}

inline QByteArray handMadeRecord(const QByteArray& path) {
    QByteArray r(5120, '\0');
    putString(r, 0, path);
    return r;
}

inline Queue::Environment env(const QString& programFolder = QStringLiteral("/opt/muralo/")) {
    return Queue::Environment{programFolder, 1024, 768};
}

} // namespace qtest
