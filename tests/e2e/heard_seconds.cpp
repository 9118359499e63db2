// Prints which seconds of a step-tone song a file holds, one line per stretch heard:
// "<song> <song start> <song end> <file start> <file end>" in seconds (song 0 steps up from
// 300 Hz, song 1 from 350 Hz; see tests/data/make_fixtures.sh mpeg). Exit code 1 when the file
// does not decode; then the decoder's words go to standard error, as they do when it decodes
// with complaints.
//
//   tunora_heard_seconds <file>

#include "cutting/decodedaudio.h"
#include "cutting/steptone.h"

#include <QCoreApplication>

#include <cstdio>

using namespace tunora::testing;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file>\n", argv[0]);
        return 2;
    }
    QString error;
    const std::optional<DecodedAudio> audio = decodeWithFfmpeg(QString::fromLocal8Bit(argv[1]), &error);
    if (!audio) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stderr, "%s", qPrintable(audio->messages));
    for (const HeardStretch &s : heardStretches(*audio, {StepTone{300}, StepTone{350}}))
        std::printf("%d %.3f %.3f %.3f %.3f\n", s.song, s.songStart, s.songEnd, s.fileStart, s.fileEnd);
    return 0;
}
