#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A broken property ends the run with a message; libFuzzer keeps the input that did it.
namespace tunora::fuzz {

[[noreturn]] inline void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "PROPERTY VIOLATED: %s\n%s\n", what, detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

inline void check(bool holds, const char *what, const QString &detail = {})
{
    if (!holds)
        fail(what, detail);
}

// Bytes as a readable C-style escape, for the messages above.
inline QString escaped(const QByteArray &bytes)
{
    QString out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\')
            out += QChar(char16_t(u));
        else
            out += QString::asprintf("\\x%02X", u);
    }
    return out;
}

inline QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'\\')
            out += c;
        else
            out += QString::asprintf("\\u%04X", c.unicode());
    }
    return out;
}

} // namespace tunora::fuzz
