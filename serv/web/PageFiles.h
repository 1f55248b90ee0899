#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

// The files the door serves, and no others: each file under the page folder
// at its path below it, the SoundFont at /soundfont.sf2. Listed once at
// start-up, so that no address a browser sends can name anything else.
class PageFiles {
public:
    PageFiles() = default;
    PageFiles(const std::string& folder, const std::string& soundFont);

    bool hasPage() const { return files_.count("/index.html") != 0; }
    // The file at `path` ("/piano.js"), or empty.
    std::string file(const std::string& path) const;
    static std::string_view mimeType(std::string_view path);

private:
    std::unordered_map<std::string, std::string> files_;
};
