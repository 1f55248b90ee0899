#pragma once

#include <QLockFile>

// Holds the lock that lets one Velorin run at a time.
class SingleInstance {
public:
    explicit SingleInstance(const QString& lockFile);

    // False when another instance holds the lock.
    bool acquire();

private:
    QLockFile lock_;
};
