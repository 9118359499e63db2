#pragma once

#include "decodedaudio.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

// Which seconds of which song a decoded file holds, for songs whose pitch steps up every
// second: the pitch tells the second, and where it steps tells the time within it.
namespace tunora::testing {

struct StepTone {
    double base = 300; // pitch of second 0; second k has base + 100 k
    int seconds = 31;
    double pitchOf(int second) const { return base + 100.0 * second; }
};

struct HeardStretch {
    int song = -1;        // index into the songs
    double fileStart = 0; // where in the file the song is heard, seconds
    double fileEnd = 0;
    double songStart = NAN; // which seconds of the song are heard there
    double songEnd = NAN;
};

namespace steptone {

constexpr int kWindow = 512; // 64 ms at the decoded rate: a pitch 50 Hz away stays apart
constexpr int kHop = 32;     // 4 ms
constexpr double kAudible = 0.01; // of full scale

struct Label {
    int song = -1;
    int second = -1;
    double amplitude = 0;
};

// The amplitude of one pitch in every window, from windowed sine and cosine tables.
class PitchMeter {
public:
    explicit PitchMeter(double pitch)
    {
        for (int n = 0; n < kWindow; ++n) {
            const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / (kWindow - 1));
            const double phase = 2 * std::numbers::pi * pitch * n / DecodedAudio::kRate;
            m_cos[n] = w * std::cos(phase);
            m_sin[n] = w * std::sin(phase);
            m_weight += w;
        }
    }
    double amplitude(const qint16 *samples) const
    {
        double re = 0;
        double im = 0;
        for (int n = 0; n < kWindow; ++n) {
            re += samples[n] * m_cos[n];
            im += samples[n] * m_sin[n];
        }
        return 2 * std::hypot(re, im) / m_weight / 32768.0;
    }

private:
    double m_cos[kWindow];
    double m_sin[kWindow];
    double m_weight = 0;
};

inline double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

} // namespace steptone

// The songs heard, in file order. A stretch ends where its pitch falls to half its level
// nearby, so a silent gap or another song after it is not counted; its song time comes from
// the steps heard inside it.
inline std::vector<HeardStretch> heardStretches(const DecodedAudio &audio, const std::vector<StepTone> &songs)
{
    using namespace steptone;
    const qsizetype windows = qsizetype(audio.samples.size()) < kWindow
        ? 0
        : (qsizetype(audio.samples.size()) - kWindow) / kHop + 1;
    const auto centre = [](qsizetype i) { return (double(i) * kHop + kWindow / 2.0) / DecodedAudio::kRate; };

    std::vector<std::vector<std::unique_ptr<PitchMeter>>> meters(songs.size());
    for (size_t s = 0; s < songs.size(); ++s)
        for (int k = 0; k < songs[s].seconds; ++k)
            meters[s].push_back(std::make_unique<PitchMeter>(songs[s].pitchOf(k)));

    std::vector<Label> labels(static_cast<size_t>(windows));
    for (qsizetype i = 0; i < windows; ++i) {
        const qint16 *at = audio.samples.data() + i * kHop;
        Label &best = labels[size_t(i)];
        for (size_t s = 0; s < songs.size(); ++s) {
            for (int k = 0; k < songs[s].seconds; ++k) {
                const double a = meters[s][size_t(k)]->amplitude(at);
                if (a > best.amplitude && a >= kAudible)
                    best = {int(s), k, a};
            }
        }
    }

    // Runs of windows of one song whose second goes on step by step.
    struct Run {
        qsizetype first;
        qsizetype last;
    };
    std::vector<Run> runs;
    for (qsizetype i = 0; i < windows; ++i) {
        const Label &l = labels[size_t(i)];
        if (l.song < 0)
            continue;
        if (!runs.empty()) {
            const Label &p = labels[size_t(runs.back().last)];
            if (p.song == l.song && std::abs(p.second - l.second) <= 1 && i - runs.back().last <= 4) {
                runs.back().last = i;
                continue;
            }
        }
        runs.push_back({i, i});
    }
    std::erase_if(runs, [](const Run &r) { return r.last - r.first < 8; });

    std::vector<HeardStretch> heard;
    for (const Run &run : runs) {
        HeardStretch stretch;
        stretch.song = labels[size_t(run.first)].song;
        // The level just inside each end, and where the song's pitches there fall to half of it.
        const auto levelNear = [&](qsizetype from, qsizetype to) {
            std::vector<double> a;
            for (qsizetype i = std::max(run.first, from); i <= std::min(run.last, to); ++i)
                a.push_back(labels[size_t(i)].amplitude);
            return median(a);
        };
        const auto loudnessNear = [&](qsizetype inside) {
            const int second = labels[size_t(std::clamp(inside, run.first, run.last))].second;
            return [&, second](qsizetype window) {
                double a = 0;
                for (int k = std::max(0, second - 1); k <= std::min(songs[size_t(stretch.song)].seconds - 1, second + 1); ++k)
                    a = std::max(a, meters[size_t(stretch.song)][size_t(k)]->amplitude(audio.samples.data() + window * kHop));
                return a;
            };
        };
        const auto head = loudnessNear(run.first + 8);
        const double headLevel = levelNear(run.first + 4, run.first + 20);
        qsizetype i = run.first;
        while (i > 0 && head(i - 1) >= headLevel / 2)
            --i;
        while (i < run.last && head(i) < headLevel / 2)
            ++i;
        stretch.fileStart = i == 0 ? 0.0 : (centre(i - 1) + centre(i)) / 2;

        const auto tail = loudnessNear(run.last - 8);
        const double tailLevel = levelNear(run.last - 20, run.last - 4);
        qsizetype j = run.last;
        while (j + 1 < windows && tail(j + 1) >= tailLevel / 2)
            ++j;
        while (j > run.first && tail(j) < tailLevel / 2)
            --j;
        stretch.fileEnd = j + 1 == windows ? audio.seconds() : (centre(j) + centre(j + 1)) / 2;

        std::vector<double> offsets; // song time minus file time, at each step
        for (qsizetype k = run.first; k < run.last; ++k) {
            const Label &a = labels[size_t(k)];
            const Label &b = labels[size_t(k + 1)];
            if (a.song == b.song && b.second == a.second + 1)
                offsets.push_back(b.second - (centre(k) + centre(k + 1)) / 2);
        }
        const double offset = median(offsets);
        stretch.songStart = stretch.fileStart + offset;
        stretch.songEnd = stretch.fileEnd + offset;
        heard.push_back(stretch);
    }
    return heard;
}

} // namespace tunora::testing
