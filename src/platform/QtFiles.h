#pragma once

#include "logic/base/Files.h"

class QFileDevice;

// Files on the local file system.
class QtFiles : public Files {
public:
    std::optional<std::string> read(const std::string& path) const override;
    bool fileExists(const std::string& path) const override;
    bool writeAtomically(const std::string& path, std::string_view bytes) override;
    bool append(const std::string& path, std::string_view bytes) override;
    bool remove(const std::string& path) override;
    bool makeFolder(const std::string& path) override;
    bool canWrite(const std::string& path) const override;
    std::string lastError() const override { return lastError_; }

private:
    bool failed(const QFileDevice& file) const;

    mutable std::string lastError_;
};
