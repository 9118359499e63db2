#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace tunora {

// Fixed-width integers in the byte orders that audio containers store them in.

inline quint64 littleEndian(const unsigned char *p, int bytes)
{
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

inline quint16 littleEndian16(const unsigned char *p) { return quint16(littleEndian(p, 2)); }
inline quint32 littleEndian32(const unsigned char *p) { return quint32(littleEndian(p, 4)); }

inline quint32 bigEndian32(const unsigned char *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

// Overwrites `size` bytes at `at`, which must lie inside `bytes`.
inline void putLittleEndian(QByteArray &bytes, qint64 at, quint64 v, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((v >> (8 * i)) & 0xFF);
}

inline void appendLittleEndian(QByteArray &bytes, quint64 v, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace tunora
