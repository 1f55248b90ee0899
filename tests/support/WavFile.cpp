#include "support/WavFile.h"

#include <QFile>

#include <cmath>
#include <cstring>

namespace {
quint32 le32(const char* p)
{
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16 |
           quint32(quint8(p[3])) << 24;
}
quint16 le16(const char* p) { return quint16(quint8(p[0]) | quint8(p[1]) << 8); }
}  // namespace

WavFile WavFile::read(const QString& path)
{
    WavFile wav;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return wav;
    const QByteArray all = f.readAll();
    if (all.size() < 12 || std::memcmp(all.constData(), "RIFF", 4) != 0 || std::memcmp(all.constData() + 8, "WAVE", 4) != 0)
        return wav;
    int bits = 0;
    qsizetype pos = 12;
    while (pos + 8 <= all.size()) {
        const char* chunk = all.constData() + pos;
        const qsizetype size = le32(chunk + 4);
        const char* body = chunk + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            wav.channels = le16(body + 2);
            wav.sampleRate = static_cast<int>(le32(body + 4));
            bits = le16(body + 14);
        } else if (std::memcmp(chunk, "data", 4) == 0 && bits == 16) {
            const qsizetype available = std::min<qsizetype>(size, all.size() - pos - 8);
            const qsizetype count = available / 2;
            wav.samples.resize(static_cast<std::size_t>(count));
            for (qsizetype i = 0; i < count; ++i)
                wav.samples[static_cast<std::size_t>(i)] = static_cast<qint16>(le16(body + 2 * i)) / 32768.0f;
            break;
        }
        pos += 8 + size + (size & 1);
    }
    return wav;
}

double WavFile::seconds() const
{
    return sampleRate && channels ? double(samples.size()) / channels / sampleRate : 0.0;
}

double WavFile::rms(double fromSeconds, double toSeconds) const
{
    if (!sampleRate || !channels)
        return 0;
    const auto frame = [&](double s) {
        return std::clamp<long>(std::lround(s * sampleRate), 0, long(samples.size() / std::size_t(channels)));
    };
    const long a = frame(fromSeconds) * channels;
    const long b = frame(toSeconds) * channels;
    if (b <= a)
        return 0;
    double sum = 0;
    for (long i = a; i < b; ++i)
        sum += double(samples[std::size_t(i)]) * samples[std::size_t(i)];
    return std::sqrt(sum / double(b - a));
}
