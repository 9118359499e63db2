#include "gbkcodec.h"

#include "byteescapes.h"

#include <QSysInfo>

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace tunora {

using namespace byteescapes;

namespace {

// glibc always carries CP936; Qt's own GBK support depends on how Qt was built.
constexpr const char *kGbk = "CP936";
constexpr const char *kUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
const auto kFailed = reinterpret_cast<iconv_t>(-1);

// One conversion direction, closed when it goes out of scope.
class Converter {
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (isValid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    bool isValid() const { return m_cd != kFailed; }

    // Converts as much as it can; returns 0 on success or the errno that stopped it.
    int convert(const char *&in, size_t &inLeft, char *&out, size_t &outLeft)
    {
        auto *src = const_cast<char *>(in);
        const size_t r = iconv(m_cd, &src, &inLeft, &out, &outLeft);
        in = src;
        if (r != size_t(-1))
            return 0;
        const int error = errno;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return error;
    }

private:
    iconv_t m_cd;
};

} // namespace

QString decodeGbk(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QString out;
    out.reserve(bytes.size());
    Converter converter(kUtf16, kGbk);
    const char *in = bytes.constData();
    size_t inLeft = size_t(bytes.size());
    // One GBK byte or pair never gives more than one UTF-16 unit.
    std::vector<char16_t> buffer(inLeft + 1);
    while (inLeft > 0) {
        auto *outStart = reinterpret_cast<char *>(buffer.data());
        char *outPos = outStart;
        size_t outLeft = buffer.size() * sizeof(char16_t);
        const int error = converter.isValid() ? converter.convert(in, inLeft, outPos, outLeft) : EILSEQ;
        out.append(QStringView(buffer.data(), (outPos - outStart) / qsizetype(sizeof(char16_t))));
        if (error == 0 || error == E2BIG)
            continue;
        // A byte that starts no character (or an unfinished pair at the end) keeps its value.
        out.append(escapeByte(static_cast<unsigned char>(*in)));
        ++in;
        --inLeft;
    }
    return out;
}

QByteArray encodeGbk(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    if (isAscii(text))
        return text.toLatin1();
    QByteArray out;
    out.reserve(text.size() * 2);
    Converter converter(kGbk, kUtf16);
    std::vector<char> buffer;

    // Converts text[from, to), which holds no escapes.
    auto convertRun = [&](qsizetype from, qsizetype to) {
        const char *in = reinterpret_cast<const char *>(text.constData() + from);
        size_t inLeft = size_t(to - from) * sizeof(char16_t);
        buffer.resize(inLeft + 2);
        while (inLeft > 0) {
            char *outPos = buffer.data();
            size_t outLeft = buffer.size();
            const int error = converter.isValid() ? converter.convert(in, inLeft, outPos, outLeft) : EILSEQ;
            out.append(buffer.data(), outPos - buffer.data());
            if (error == 0 || error == E2BIG)
                continue;
            // No GBK code: skip the character, both halves of a surrogate pair included.
            if (ok)
                *ok = false;
            out.append('?');
            const auto *unit = reinterpret_cast<const char16_t *>(in);
            const size_t units = QChar::isHighSurrogate(unit[0]) && inLeft >= 4
                    && QChar::isLowSurrogate(unit[1]) ? 2 : 1;
            in += units * sizeof(char16_t);
            inLeft -= units * sizeof(char16_t);
        }
    };

    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isByteEscape(text, i))
            continue;
        convertRun(runStart, i);
        out.append(char(text.at(i).unicode() - 0xDC00));
        runStart = i + 1;
    }
    convertRun(runStart, text.size());
    return out;
}

} // namespace tunora
