#pragma once

#include "output.h"
#include "rowprogress.h"
#include "ringtoneeffects.h"
#include "segment.h"

#include "platform/files/filepath.h"

#include <QList>

// Cut files: one row's segment written as "[铃声]" + its file name.
namespace tunora {

enum class CutOutcome {
    Nothing,          // the segment is empty: no file, nothing to tell
    Written,          // written and moved to the program directory
    WrittenInWorkDir, // written, but it could not be moved: it stays in the working directory
    WriteFailed,      // the output could not be written; an older one is left as it was
    CannotCut,        // the song's container is broken or its codec cannot be copied: no file
    // The song needs the stream-copy module, which the program cannot use
    // (streamCopyProblem() says why): no file.
    StreamCopyUnavailable,
};

CutOutcome cutOne(const FilePath &songFolder, const SongRow &row, const OutputDirs &dirs);

struct ShapedCut {
    CutOutcome outcome = CutOutcome::Nothing;
    EffectsApplied effects = EffectsApplied::None; // meaningful when the cut was written
};

// The same with the chosen effects put on the output where its format takes them (MP3 by its
// gains, WAV on its samples); elsewhere the output is written as without them.
ShapedCut cutOneShaped(const FilePath &songFolder, const SongRow &row, const OutputDirs &dirs,
                       const RingtoneEffects &effects);

struct CutTally {
    int succeeded = 0;
    int failed = 0;
    int leftInWorkDir = 0; // of the succeeded, those that could not be moved to the program directory
    bool streamCopyUnavailable = false; // some row failed for that reason
};

// A constant bit rate MPEG audio song, and a file of no kind recognised, is cut as a byte slice
// in proportion to the marks; a variable bit rate one as the whole frames from the start mark
// to the end mark, behind an info frame that gives the ringtone's length; a recognised
// container (WAV, WMA, FLAC, Ogg, M4A) as a file of that container holding the marked time
// stretch.
// Every row from the bottom one up. A row counts as failed when it is not marked, when its
// segment is empty (no file is written for it), when its container cannot be cut or when its
// output cannot be written.
CutTally cutAll(const FilePath &songFolder, const QList<SongRow> &rowsTopToBottom, const OutputDirs &dirs,
                const RingtoneEffects &effects = {}, const RowProgress &progress = {});

} // namespace tunora
