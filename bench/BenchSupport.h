#pragma once

// What the benchmarks share: private folders, and percentiles.
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace Bench {

// Points every XDG folder at dir, so that a run never touches the user's files.
inline void usePrivateFolders(const QTemporaryDir& dir)
{
    for (const char* v : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        qputenv(v, dir.path().toLocal8Bit());
}

// The value below which the share p (0 to 1) of the values lies.
inline double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * double(v.size() - 1))];
}

}  // namespace Bench
