#pragma once

#include <QString>

namespace tunora {

// One press of a mark's spin control: the mark moved by the step size, and whether the
// result may be stored. Earlier is checked against zero only, later against the song
// length only.
struct MarkStep {
    enum class Outcome { Accepted, Negative, PastSongLength };
    Outcome outcome;
    QString text; // the new mark text, also when refused
};

// All three inputs are texts as the controls hold them; empty or non-numeric text reads
// as 0.
MarkStep markAfterStep(const QString &mark, const QString &stepSize, const QString &songLength,
                       bool earlier);

} // namespace tunora
