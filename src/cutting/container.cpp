#include "container.h"

#include "audiobounds.h"

#include "platform/files/fileio.h"

#include <cstring>

namespace tunora {

namespace {

constexpr unsigned char kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

bool startsWith(const char *bytes, qint64 count, qint64 at, const void *magic, qint64 magicSize)
{
    return at + magicSize <= count && std::memcmp(bytes + at, magic, size_t(magicSize)) == 0;
}

} // namespace

Container detectContainer(const ReadFile &file)
{
    char head[16];
    const qint64 n = file.readAt(0, head, sizeof head);
    if (n <= 0)
        return Container::Unrecognised;
    if (startsWith(head, n, 0, kAsfHeaderGuid, sizeof kAsfHeaderGuid))
        return Container::Asf;
    if (startsWith(head, n, 0, "RIFF", 4) && startsWith(head, n, 8, "WAVE", 4))
        return Container::Wav;
    if (startsWith(head, n, 0, "OggS", 4))
        return Container::Ogg;
    if (startsWith(head, n, 4, "ftyp", 4))
        return Container::Mp4;
    if (startsWith(head, n, 0, "fLaC", 4))
        return Container::Flac;
    if (startsWith(head, n, 0, "ID3", 3)) {
        // Some taggers put an ID3v2 tag in front of a FLAC stream.
        char magic[4];
        const qint64 begin = findAudioBounds(file).begin;
        if (readExactly(file, begin, magic, sizeof magic) && std::memcmp(magic, "fLaC", 4) == 0)
            return Container::Flac;
    }
    return Container::Unrecognised;
}

} // namespace tunora
