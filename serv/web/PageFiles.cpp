#include "PageFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

PageFiles::PageFiles(const std::string& folder, const std::string& soundFont)
{
    std::error_code error;
    const fs::path root = fs::absolute(folder, error);
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error) || ::access(it->path().c_str(), R_OK) != 0)
            continue;
        files_.emplace("/" + it->path().lexically_relative(root).generic_string(), it->path().string());
    }
    if (!soundFont.empty() && ::access(soundFont.c_str(), R_OK) == 0 && fs::is_regular_file(soundFont, error))
        files_["/soundfont.sf2"] = fs::absolute(soundFont, error).string();
}

std::string PageFiles::file(const std::string& path) const
{
    const auto it = files_.find(path);
    return it == files_.end() ? std::string() : it->second;
}

std::string_view PageFiles::mimeType(std::string_view path)
{
    const auto dot = path.rfind('.');
    std::string suffix(dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
    if (suffix == "html")
        return "text/html; charset=utf-8";
    if (suffix == "js")
        return "text/javascript; charset=utf-8";
    if (suffix == "css")
        return "text/css; charset=utf-8";
    if (suffix == "wasm")
        return "application/wasm";
    if (suffix == "svg")
        return "image/svg+xml";
    if (suffix == "txt")
        return "text/plain; charset=utf-8";
    return "application/octet-stream";
}
