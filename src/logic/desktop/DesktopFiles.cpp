#include "logic/desktop/DesktopFiles.h"

#include <vector>

namespace DesktopFiles {

namespace {
std::string xmlText(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A desktop entry string value: backslash and line breaks are escaped.
std::string entryString(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out;
}

std::string trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t\r") - first + 1));
}

std::vector<std::string> lines(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            out.emplace_back(text.substr(start));
            break;
        }
        out.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}
}  // namespace

std::string mimePackage(std::string_view extension, std::string_view description)
{
    // Case-sensitive: Velorin opens "tune.mus" but not "TUNE.MUS".
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           std::string(mimeType) + "\">\n    <comment>" + xmlText(description) +
           "</comment>\n    <glob pattern=\"*" + xmlText(extension) +
           "\" case-sensitive=\"true\"/>\n  </mime-type>\n</mime-info>\n";
}

std::string execArgument(std::string_view argument)
{
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string arg;
    if (argument.find_first_of(reserved) == std::string_view::npos) {
        arg = argument;
    } else {
        arg = "\"";
        for (const char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                arg += '\\';
            arg += c;
        }
        arg += '"';
    }
    std::string out;
    for (const char c : arg) {
        out += c;
        if (c == '%')
            out += '%';  // a lone % would start a field code
    }
    return entryString(out);
}

namespace {
// Searched for in menus; entries written before it was there are as much Velorin's own.
constexpr char keywordsLine[] = "Keywords=piano;keyboard;MIDI;music;synthesizer;instrument;";
}  // namespace

std::string desktopEntry(std::string_view program, std::string_view icon)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Velorin\n"
           "GenericName=MIDI Piano\n"
           "Comment=Play a MIDI piano with the computer keyboard and the mouse\n"
           "Exec=" +
           execArgument(program) + " %f\nIcon=" + entryString(icon) +
           "\n"
           "Terminal=false\n"
           "Categories=AudioVideo;Audio;Midi;\n" +
           std::string(keywordsLine) + "\nMimeType=" +
           std::string(mimeType) + ";\n";
}

namespace {
// The text with the values of the Exec and Icon lines left out, and the keywords.
std::string withoutProgramAndIcon(std::string_view text)
{
    std::string out;
    for (const std::string& line : lines(text)) {
        if (line == keywordsLine)
            continue;
        if (line.rfind("Exec=", 0) == 0)
            out += "Exec=\n";
        else if (line.rfind("Icon=", 0) == 0)
            out += "Icon=\n";
        else
            out += line + "\n";
    }
    return out;
}
}  // namespace

bool isOwnDesktopEntry(std::string_view text)
{
    // Velorin's own entries name the program by its full path and take one file.
    std::string exec;
    for (const std::string& line : lines(text))
        if (line.rfind("Exec=", 0) == 0)
            exec = line.substr(5);
    const bool fullPath = exec.rfind("/", 0) == 0 || exec.rfind("\"/", 0) == 0;
    const bool oneFile = exec.size() > 3 && exec.compare(exec.size() - 3, 3, " %f") == 0;
    return fullPath && oneFile && withoutProgramAndIcon(text) == withoutProgramAndIcon(desktopEntry("/p", "i"));
}

bool isOwnMimePackage(std::string_view text)
{
    return text == mimePackage(extension, description);
}

std::string withDefaultApplication(std::string_view mimeappsList)
{
    const std::string section = "[Default Applications]";
    const std::string entry = std::string(mimeType) + "=" + desktopId;
    std::vector<std::string> all = lines(mimeappsList);

    std::size_t header = all.size();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (trimmed(all[i]) == section) {
            header = i;
            break;
        }
    if (header == all.size()) {
        if (!all.empty() && !trimmed(all.back()).empty())
            all.emplace_back();
        all.push_back(section);
        all.push_back(entry);
    } else {
        std::size_t insertAt = header + 1;
        bool replaced = false;
        for (std::size_t i = header + 1; i < all.size(); ++i) {
            const std::string line = trimmed(all[i]);
            if (!line.empty() && line.front() == '[')
                break;
            const auto eq = line.find('=');
            if (eq != std::string::npos && trimmed(std::string_view(line).substr(0, eq)) == mimeType) {
                // A default already set, Velorin or another program, is the user's choice.
                if (!trimmed(std::string_view(line).substr(eq + 1)).empty())
                    return std::string(mimeappsList);
                all[i] = entry;
                replaced = true;
                break;
            }
            if (!line.empty())
                insertAt = i + 1;
        }
        if (!replaced)
            all.insert(all.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }
    std::string out;
    for (const auto& l : all)
        out += l + "\n";
    return out;
}

}  // namespace DesktopFiles
