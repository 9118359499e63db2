#pragma once

#include "cutting/cutengine.h"
#include "cutting/mergeengine.h"

#include "app/desktop.h"

#include <QString>

#include <optional>

// What the user is told after a cut or a merge: every text, style and title in one place.
namespace tunora {

struct Notice {
    QString text;
    MessageStyle style;
    QString title;
};

// Nothing to show when the segment was empty.
std::optional<Notice> cutOneNotice(CutOutcome outcome);
Notice cutAllNotice(const CutTally &tally);
// Nothing to show when nothing was merged or the write failed.
std::optional<Notice> mergeNotice(const MergeOutcome &outcome);

} // namespace tunora
