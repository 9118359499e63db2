#include "marking/markstep.h"

#include <gtest/gtest.h>

using namespace tunora;

namespace {

using Outcome = MarkStep::Outcome;

struct StepCase {
    const char16_t *name;
    QString mark;
    QString stepSize;
    QString songLength;
    bool earlier;
    Outcome outcome;
    QString text;
};

} // namespace

TEST(MarkStep, ChecksEarlierAgainstZeroAndLaterAgainstTheSongLength)
{
    const StepCase cases[] = {
        {u"below zero is refused", QStringLiteral("0.1"), QStringLiteral("0.2"), QStringLiteral("245.5"), true, Outcome::Negative, QStringLiteral("-0.1")},
        {u"exactly zero is accepted", QStringLiteral("0.2"), QStringLiteral("0.2"), QStringLiteral("245.5"), true, Outcome::Accepted, QStringLiteral("0")},
        {u"reaching the song length is refused", QStringLiteral("245.3"), QStringLiteral("0.2"), QStringLiteral("245.5"), false, Outcome::PastSongLength, QStringLiteral("245.5")},
        {u"just below the song length", QStringLiteral("245.2"), QStringLiteral("0.2"), QStringLiteral("245.5"), false, Outcome::Accepted, QStringLiteral("245.4")},
        {u"an unrounded duration is the bound", QStringLiteral("245.3"), QStringLiteral("0.2"), QStringLiteral("245.512"), false, Outcome::Accepted, QStringLiteral("245.5")},
        {u"an empty mark steps from 0", QString(), QStringLiteral("0.2"), QStringLiteral("100"), false, Outcome::Accepted, QStringLiteral("0.2")},
        {u"an empty mark cannot go earlier", QString(), QStringLiteral("0.2"), QStringLiteral("100"), true, Outcome::Negative, QStringLiteral("-0.2")},
        {u"later is never compared with zero", QStringLiteral("-5"), QStringLiteral("0.2"), QStringLiteral("100"), false, Outcome::Accepted, QStringLiteral("-4.8")},
        {u"earlier is never compared with the song length", QStringLiteral("300"), QStringLiteral("0.2"), QStringLiteral("100"), true, Outcome::Accepted, QStringLiteral("299.8")},
        {u"without media the song length is 0", QStringLiteral("1"), QStringLiteral("0.2"), QString(), false, Outcome::PastSongLength, QStringLiteral("1.2")},
        {u"an empty step rewrites the mark rounded", QStringLiteral("12.347"), QString(), QStringLiteral("100"), true, Outcome::Accepted, QStringLiteral("12.35")},
        {u"an empty step keeps a negative mark refused", QStringLiteral("-1"), QString(), QStringLiteral("100"), true, Outcome::Negative, QStringLiteral("-1")},
        {u"an empty step keeps a mark at the length refused", QStringLiteral("100"), QString(), QStringLiteral("100"), false, Outcome::PastSongLength, QStringLiteral("100")},
        {u"a lone point steps by 0", QStringLiteral("3"), QStringLiteral("."), QStringLiteral("100"), false, Outcome::Accepted, QStringLiteral("3")},
        {u"a negative step size is used as it is", QStringLiteral("3"), QStringLiteral("-1"), QStringLiteral("100"), true, Outcome::Accepted, QStringLiteral("4")},
    };
    for (const StepCase &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.name).toStdString());
        const MarkStep step = markAfterStep(c.mark, c.stepSize, c.songLength, c.earlier);
        EXPECT_EQ(step.outcome, c.outcome);
        EXPECT_EQ(step.text, c.text);
    }
}
