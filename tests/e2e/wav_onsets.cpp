// Prints the bursts of sound in a WAV file, one line each: when it starts
// and how long it lasts, in seconds. Loud 10 ms windows closer than 150 ms
// to each other belong to one burst.
//   wav_onsets FILE [threshold]
//   wav_onsets FILE pitch LOW HIGH: also the pitch of each burst in Hz, the
//     strongest period between 1/HIGH and 1/LOW s (keep HIGH below 2 LOW, so
//     that no octave of the note is in range).
#include "support/WavFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
// The frequency whose period best repeats the first channel over 100 ms from t.
double pitchAt(const WavFile& wav, double t, double low, double high)
{
    const auto sample = [&](long i) { return wav.samples[static_cast<std::size_t>(i * wav.channels)]; };
    const long first = static_cast<long>(t * wav.sampleRate);
    const long length = wav.sampleRate / 10;
    const long frames = static_cast<long>(wav.samples.size()) / wav.channels;
    const long shortest = static_cast<long>(wav.sampleRate / high);
    const long longest = static_cast<long>(wav.sampleRate / low) + 1;
    if (first + length + longest + 1 >= frames)
        return 0;
    std::vector<double> score(static_cast<std::size_t>(longest + 2), 0.0);
    for (long lag = shortest - 1; lag <= longest + 1; ++lag) {
        double sum = 0;
        double energy = 0;
        for (long i = first; i < first + length; ++i) {
            sum += sample(i) * sample(i + lag);
            energy += sample(i + lag) * sample(i + lag);
        }
        score[static_cast<std::size_t>(lag)] = energy > 0 ? sum / std::sqrt(energy) : 0;
    }
    long best = shortest;
    for (long lag = shortest; lag <= longest; ++lag)
        if (score[static_cast<std::size_t>(lag)] > score[static_cast<std::size_t>(best)])
            best = lag;
    // Between samples: the top of the parabola through the best lag and its neighbours.
    const double a = score[static_cast<std::size_t>(best - 1)];
    const double b = score[static_cast<std::size_t>(best)];
    const double c = score[static_cast<std::size_t>(best + 1)];
    const double d = a - 2 * b + c;
    const double offset = d != 0 ? 0.5 * (a - c) / d : 0;
    return wav.sampleRate / (best + offset);
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.wav [threshold]\n", argv[0]);
        return 2;
    }
    const WavFile wav = WavFile::read(QString::fromLocal8Bit(argv[1]));
    if (wav.sampleRate == 0) {
        std::fprintf(stderr, "%s: not a 16-bit WAV file\n", argv[1]);
        return 1;
    }
    const bool pitch = argc > 4 && std::strcmp(argv[2], "pitch") == 0;
    const double low = pitch ? std::atof(argv[3]) : 0;
    const double high = pitch ? std::atof(argv[4]) : 0;
    const double threshold = argc > 2 && !pitch ? std::atof(argv[2]) : 0.003;
    const auto print = [&](double from, double length) {
        if (pitch)
            std::printf("%.3f %.3f %.1f\n", from, length, pitchAt(wav, from + 0.05, low, high));
        else
            std::printf("%.3f %.3f\n", from, length);
    };
    constexpr double step = 0.01;
    constexpr double gap = 0.15;
    const int windows = static_cast<int>(wav.seconds() / step);
    double start = -1;
    double lastLoud = -1;
    for (int w = 0; w < windows; ++w) {
        const double t = w * step;
        if (wav.rms(t, t + step) <= threshold)
            continue;
        if (start >= 0 && t - lastLoud > gap) {
            print(start, lastLoud + step - start);
            start = -1;
        }
        if (start < 0)
            start = t;
        lastLoud = t;
    }
    if (start >= 0)
        print(start, lastLoud + step - start);
    return 0;
}
