#pragma once

#include "cutting/cutengine.h"
#include "cutting/mergeengine.h"

#include "app/desktop/desktop.h"
#include "platform/files/filepath.h"

#include <QString>

#include <optional>

// What the user is told after a cut or a merge: every text, style and title in one place.
namespace tunora {

struct Notice {
    QString text;
    MessageStyle style;
    QString title;
};

// An output that could not be moved into the program directory is a success that says where
// the file stayed: workDir, the working directory it was written in.
// Nothing to show when the segment was empty.
// A cut written without the chosen effects, because its format cannot take them, says so on
// its second line.
std::optional<Notice> cutOneNotice(CutOutcome outcome, const FilePath &workDir,
                                   EffectsApplied effects = EffectsApplied::None);
Notice cutAllNotice(const CutTally &tally, const FilePath &workDir);
// Nothing to show when nothing was merged or the write failed.
std::optional<Notice> mergeNotice(const MergeOutcome &outcome, const FilePath &workDir);

// The progress dialog's count while every row is cut or merged: "第 3 / 20 首".
QString rowProgressText(int rowsDone, int rows);

} // namespace tunora
