// SPDX-License-Identifier: MIT
// Test files written byte by byte: integers in a file's byte order, and Windows bitmaps.
#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <vector>

namespace filebytes {

template <typename... T> QByteArray packed(QDataStream::ByteOrder order, T... values) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setByteOrder(order);
    (stream << ... << values);
    return bytes;
}

template <typename... T> QByteArray littleEndian(T... values) {
    return packed(QDataStream::LittleEndian, values...);
}

template <typename... T> QByteArray bigEndian(T... values) {
    return packed(QDataStream::BigEndian, values...);
}

// A little-endian field of `bytes`, two or four bytes long.
inline quint32 field(const QByteArray& bytes, int at, int size = 4) {
    return size == 2 ? qFromLittleEndian<quint16>(bytes.constData() + at)
                     : qFromLittleEndian<quint32>(bytes.constData() + at);
}

// A Windows BMP: file header, 40-byte info header, palette (0x00RRGGBB), then the pixel rows as given.
inline QByteArray bmpFile(qint32 width, qint32 height, quint16 bits, quint32 compression,
                          const std::vector<quint32>& palette, const QByteArray& pixels) {
    QByteArray info = littleEndian(quint32(40), width, height, quint16(1), bits, compression, quint32(pixels.size()),
                                   quint32(2835), quint32(2835), quint32(palette.size()), quint32(0));
    for (const quint32 colour : palette)
        info += littleEndian(colour);
    const quint32 offset = 14 + info.size();
    return "BM" + littleEndian(quint32(offset + pixels.size()), quint32(0), offset) + info + pixels;
}

} // namespace filebytes
