#pragma once

#include "container.h"
#include "markedspan.h"

// A recognised container cut as that container: a file of the same kind that holds the
// marked stretch and plays on its own. Nothing is decoded or re-encoded.
namespace tunora {

class AtomicFileWriter;
class ReadFile;

enum class ContainerCut {
    Written, // the output holds the stretch (not yet committed)
    Empty,   // the marks hold nothing of the song: nothing to write
    Failed,  // the source cannot be cut (broken or unsupported) or the output not written
    StreamCopyUnavailable, // the cut needs the stream-copy module, which the program cannot use
};

// `container` is what detectContainer found, never Unrecognised.
ContainerCut cutContainer(Container container, const ReadFile &source, MarkedSpan span, AtomicFileWriter &out);

} // namespace tunora
