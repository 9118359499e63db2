#pragma once

#include "containercut.h"
#include "streamcopyabi.h"

#include <QByteArray>
#include <QString>

// Cuts through libavformat, which the cutting code reaches only through the stream-copy
// module's C interface (streamcopyabi.h): the program loads the module on the first such cut,
// tests and tools have the same code linked in.
namespace tunora {

class ReadFile;

struct StreamCopy {
    ContainerCut result = ContainerCut::Failed;
    QByteArray bytes; // the whole output when Written; a ringtone is small
};

// `demuxer` and `muxer` are libavformat's short names ("flac", "ogg", "mov", "wav", ...).
// StreamCopyUnavailable when the program has no module it can use.
StreamCopy streamCopy(const ReadFile &source, MarkedSpan span, const char *demuxer, const char *muxer);

// The sink a stream copy writes into: `bytes` grows to hold what is written. A write it
// cannot hold fails (-1) rather than throwing.
tunora_stream_sink byteSink(QByteArray &bytes);

// Why this program cannot make stream copies (its module is missing or was refused), for the
// user; empty when it can. Looks for the module on first use.
QString streamCopyProblem();

} // namespace tunora
