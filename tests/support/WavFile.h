#pragma once

#include <QString>

#include <vector>

// A 16-bit PCM WAV file as the synthesizer's file driver writes it.
struct WavFile {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved, -1..1

    static WavFile read(const QString& path);

    double seconds() const;
    // Root mean square of the samples between two times, 0 when out of range.
    double rms(double fromSeconds, double toSeconds) const;
};
