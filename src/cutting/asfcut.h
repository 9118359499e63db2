#pragma once

#include "containercut.h"

// A WMA (ASF) song cut as ASF: its header with the lengths corrected, then the data packets of
// the marked stretch with their times moved to start at 0. The two packets at the stretch's
// ends lose the payloads of other objects and are padded to their size.
namespace tunora {

ContainerCut cutAsf(const ReadFile &source, MarkedSpan span, AtomicFileWriter &out);

} // namespace tunora
