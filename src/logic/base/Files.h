#pragma once

#include <optional>
#include <string>
#include <string_view>

// The file operations Velorin needs, on UTF-8 paths.
class Files {
public:
    virtual ~Files() = default;

    // The whole content of an ordinary file; nothing when it cannot be read.
    virtual std::optional<std::string> read(const std::string& path) const = 0;

    // True when path names an existing ordinary file.
    virtual bool fileExists(const std::string& path) const = 0;

    // Replaces the file with bytes in one step: a reader sees the old or the
    // new content, never a part. False when it could not be written.
    virtual bool writeAtomically(const std::string& path, std::string_view bytes) = 0;

    // Opens, appends and closes; creates the file if needed.
    virtual bool append(const std::string& path, std::string_view bytes) = 0;

    // Removes an ordinary file; false when there was none or it stayed.
    virtual bool remove(const std::string& path) = 0;

    // True when writeAtomically could replace (or create) the file: it is
    // an ordinary file or missing, and its folder takes new files.
    virtual bool canWrite(const std::string& path) const { return !path.empty(); }

    // Creates the folder and its parents when missing.
    virtual bool makeFolder(const std::string& path) = 0;

    // Why the last read, write or append that failed did so, in words for
    // the user ("Permission denied"); empty when nothing is known.
    virtual std::string lastError() const { return {}; }
};
