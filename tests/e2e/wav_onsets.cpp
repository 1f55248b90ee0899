// Prints the bursts of sound in a WAV file, one line each: when it starts
// and how long it lasts, in seconds. Loud 10 ms windows closer than 150 ms
// to each other belong to one burst.
#include "support/WavFile.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

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
    const double threshold = argc > 2 ? std::atof(argv[2]) : 0.003;
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
            std::printf("%.3f %.3f\n", start, lastLoud + step - start);
            start = -1;
        }
        if (start < 0)
            start = t;
        lastLoud = t;
    }
    if (start >= 0)
        std::printf("%.3f %.3f\n", start, lastLoud + step - start);
    return 0;
}
