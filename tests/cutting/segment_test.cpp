#include "cutting/segment.h"

#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

SongRow markedRow(const char *start, const char *end, const char *songLength)
{
    return {QStringLiteral("a.mp3"), QString::fromUtf8(start), QString::fromUtf8(end), QStringLiteral("1"),
            QString::fromUtf8(songLength)};
}

} // namespace

TEST(SegmentFigures, FollowTheByteRateArithmetic)
{
    struct Case {
        const char *what;
        qint64 size;
        const char *songLength, *start, *end;
        qint64 R, P, L;
    };
    const Case cases[] = {
        {"worked example", 4'000'000, "250.0", "10.5", "40.5", 16, 168'000, 480'000},
        {"rate truncated", 4'100'000, "250.0", "10.5", "40.5", 16, 168'000, 480'000},
        {"single precision start and end", 4'000'000, "250", "0.7", "10.7", 16, 11'199, 159'999},
        {"single precision start", 4'000'000, "250", "0.3", "10.3", 16, 4'800, 160'000},
        {"song length empty", 4'000'000, "", "10.5", "40.5", 0, 0, 0},
        {"song length zero", 4'000'000, "0", "10.5", "40.5", 0, 0, 0},
        {"no bytes", 0, "250", "10.5", "40.5", 0, 0, 0},
        {"no marks", 4'000'000, "250", "", "", 16, 0, 0},
        {"end before start", 4'000'000, "250", "40.5", "10.5", 16, 648'000, -480'000},
        {"beyond 2 GiB", 5'000'000'000, "250", "200", "230", 20'000, 4'000'000'000, 600'000'000},
        // A 128 kbps song whose length the player reports rounded up to the millisecond:
        // 320573 bytes over 20.036 s is 15.9999 bytes per ms, truly 16.
        {"rate a hair below a whole number", 320'573, "20.036", "1", "9", 16, 16'000, 128'000},
        {"rate truly below a whole number", 3'980'000, "250", "10.5", "40.5", 15, 157'500, 450'000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const SegmentFigures f = segmentFigures(markedRow(c.start, c.end, c.songLength), c.size);
        EXPECT_EQ(f.S, c.size);
        EXPECT_EQ(f.R, c.R);
        EXPECT_EQ(f.P, c.P);
        EXPECT_EQ(f.L, c.L);
    }
}

TEST(SegmentOf, TakesTheRunAtPositionClippedToTheAudio)
{
    struct Case {
        const char *what;
        AudioBounds audio;
        const char *songLength, *start, *end;
        qint64 offset, length; // length 0: empty
    };
    const Case cases[] = {
        {"worked example: positions 168000..647999", {0, 4'000'000}, "250", "10.5", "40.5", 167'999, 480'000},
        {"clipped at the end", {0, 4'000'000}, "250", "240", "260", 3'839'999, 160'001},
        {"last byte only", {0, 4'000'000}, "250", "250", "260", 3'999'999, 1},
        {"start past the end", {0, 4'000'000}, "250", "251", "260", 0, 0},
        {"end before start", {0, 4'000'000}, "250", "40.5", "10.5", 0, 0},
        {"equal marks", {0, 4'000'000}, "250", "10.5", "10.5", 0, 0},
        {"no marks", {0, 4'000'000}, "250", "", "", 0, 0},
        {"song length empty", {0, 4'000'000}, "", "10.5", "40.5", 0, 0},
        {"song length zero", {0, 4'000'000}, "0", "10.5", "40.5", 0, 0},
        {"no audio", {0, 0}, "250", "10.5", "40.5", 0, 0},
        {"start at 0 takes L bytes from the first", {0, 4'000'000}, "250", "0", "10.5", 0, 168'000},
        {"negative start keeps the part inside", {0, 4'000'000}, "250", "-1", "1", 0, 15'999},
        // P saturates at the smallest 64-bit value; the run is long gone before the audio.
        {"start far before the audio", {0, 4'000'000}, "250", "-1000000000000000000000", "1", 0, 0},
        {"counted from the start of the audio", {1'000, 4'001'000}, "250", "10.5", "40.5", 168'999, 480'000},
        {"clipped at the end of the audio", {1'000, 4'001'000}, "250", "240", "260", 3'840'999, 160'001},
        {"start 0 at the start of the audio", {1'000, 4'001'000}, "250", "0", "1", 1'000, 16'000},
        // A 128 kbps song of 160496 audio bytes and an ID3v1 tag, whose length the player
        // estimates from the size with the tag: 10.039 s. The audio alone would give 15
        // bytes per millisecond and cut 6% short.
        {"a trailing tag counts toward the rate", {0, 160'496, 160'624}, "10.039", "1", "9", 15'999, 128'000},
        {"but is never cut", {0, 160'496, 160'624}, "10.039", "9", "11", 143'999, 16'497},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const SegmentRange r = segmentOf(markedRow(c.start, c.end, c.songLength), c.audio);
        if (c.length == 0) {
            EXPECT_TRUE(r.empty());
        } else {
            EXPECT_EQ(r.offset, c.offset);
            EXPECT_EQ(r.length, c.length);
        }
    }
}

TEST(IsMarked, NeedsACutLengthAboveTheTolerance)
{
    struct Case { const char *cutLength; bool marked; };
    const Case cases[] = {{"", false}, {"0", false}, {"-5", false}, {"abc", false}, {"0.00000009", false},
                          {"0.01", true}, {"30", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cutLength);
        SongRow row;
        row.cutLength = QString::fromUtf8(c.cutLength);
        EXPECT_EQ(isMarked(row), c.marked);
    }
}
