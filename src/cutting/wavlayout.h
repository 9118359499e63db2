#pragma once

#include "markedspan.h"
#include "segment.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Where a RIFF/WAVE file keeps its format and its samples, and which bytes of the samples a
// marked stretch covers.
namespace tunora {

class ReadFile;

struct WavLayout {
    QByteArray fmtChunk;   // the whole "fmt " chunk: id, size, body and its pad byte
    qint64 dataOffset = 0; // first byte of the samples
    qint64 dataSize = 0;   // bytes of samples present in the file
    quint32 sampleRate = 0;
    quint16 blockAlign = 0; // bytes per sample frame, all channels
    // Uncompressed samples (integer PCM, float, A-law, mu-law): any whole frame starts a
    // valid stream. Other codecs in WAV have blocks and counts that only a library knows.
    bool plainSamples = false;
};

// Nothing when the file is not a RIFF/WAVE file with a usable "fmt " chunk followed by a
// "data" chunk. A data chunk that claims more than the file holds is taken as far as the
// file goes (a recording that was cut short).
std::optional<WavLayout> parseWav(const ReadFile &file);

// The whole sample frames from the frame at the start mark up to the one at the end mark,
// clipped to the samples; empty when the marks hold none.
SegmentRange wavStretch(const WavLayout &layout, MarkedSpan span);

// The header of a file holding `dataSize` bytes of samples: RIFF, the format chunk and the
// data chunk's header, sizes corrected. Empty when the sizes do not fit a RIFF file.
QByteArray wavHeader(const WavLayout &layout, qint64 dataSize);

} // namespace tunora
