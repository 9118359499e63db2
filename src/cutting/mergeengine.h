#pragma once

#include "output.h"
#include "rowprogress.h"
#include "ringtoneeffects.h"
#include "segment.h"

#include "platform/files/filepath.h"

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
    int failed = 0; // rows not marked, whose segment is empty or could not be read, whose song
                    // is in a container other than MPEG audio (WAV, WMA, ...), or whose stream
                    // differs from the first segment's in MPEG version, layer, sample rate or
                    // channel count (or is MPEG where that one is not, or the other way round)
};

// Every segment is whole MPEG frames (by time for a VBR song, nearest the proportional
// positions for a CBR one), its first frames emptied where their audio data would come from
// the segment before; the file starts with an info frame when its frames differ in bit rate.
// A file that holds no MPEG stream gives its proportional byte slice. The segments are found
// first, then streamed into the output, so memory does not grow with their bytes.
// `progress` counts a row done once its segment is written or it is counted as failed.
// With effects chosen, each segment fades in and out over kJointFadeSeconds at the joints in
// place of the silenced granules there, and the outer ends take the chosen fades.
MergeOutcome mergeAll(const FilePath &songFolder, const QList<SongRow> &rowsTopToBottom, const OutputDirs &dirs,
                      const RingtoneEffects &effects = {}, const RowProgress &progress = {});

} // namespace tunora
