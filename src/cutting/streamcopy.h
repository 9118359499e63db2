#pragma once

#include "containercut.h"

#include <QByteArray>

// Cuts through libavformat: the audio stream's packets that fall in the marked stretch are
// copied into a new file of the given container, unchanged. The only file that uses the
// libav* libraries.
namespace tunora {

struct StreamCopy {
    ContainerCut result = ContainerCut::Failed;
    QByteArray bytes; // the whole output when Written; a ringtone is small
};

// `demuxer` and `muxer` are libavformat's short names ("flac", "ogg", "mov", "wav", ...).
StreamCopy streamCopy(const ReadFile &source, MarkedSpan span, const char *demuxer, const char *muxer);

} // namespace tunora
