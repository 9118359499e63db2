#pragma once

#include "output.h"
#include "segment.h"

#include <QList>

// The merge: the segments of all marked rows, bottom row first, in one file named
// kMergeOutputName.
namespace tunora {

struct MergeOutcome {
    enum class Kind {
        Refused,          // fewer than two rows in the list
        Nothing,          // no segment was appended: no file, nothing to tell
        WriteFailed,      // the output could not be written: nothing to tell
        Written,          // written and moved to the program directory
        WrittenInWorkDir, // written, but it could not be moved: it stays in the working directory
    };
    Kind kind = Kind::Nothing;
    int merged = 0; // rows whose segment was appended
    int failed = 0; // rows not marked, whose segment is empty or could not be read, or whose
                    // song is in a container other than MPEG audio (WAV, WMA, ...)
};

// The segments are streamed into the output, so memory does not grow with their number.
MergeOutcome mergeAll(const QString &songFolder, const QList<SongRow> &rowsTopToBottom, const OutputDirs &dirs);

} // namespace tunora
