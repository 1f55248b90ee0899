#include "logic/commandline/CommandLine.h"

#include "logic/base/Version.h"

namespace CommandLine {

std::string joined(const std::vector<std::string>& arguments)
{
    std::string text;
    for (const auto& a : arguments)
        text += (text.empty() ? "" : " ") + a;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

namespace {
bool isOption(const std::string& a) { return a.size() > 1 && a.front() == '-'; }
}  // namespace

bool hasSequenceSuffix(const std::string& name)
{
    const std::string suffix = ".mus";
    return name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::optional<std::string> sequenceFile(const std::vector<std::string>& arguments)
{
    const std::string text = joined(arguments);
    if (!hasSequenceSuffix(text))
        return std::nullopt;
    return text;
}

Request parse(const std::vector<std::string>& arguments)
{
    Request request;
    std::vector<std::string> operands;
    bool options = true;
    for (const auto& a : arguments) {
        if (options && a == "--") {
            options = false;
        } else if (options && isOption(a)) {
            if (a == "--help" || a == "-h") {
                request.kind = Request::Kind::Help;
                return request;
            }
            if (a == "--version" || a == "-v") {
                request.kind = Request::Kind::Version;
                return request;
            }
            request.kind = Request::Kind::Wrong;
            request.problem = "unknown option '" + a + "'";
            return request;
        } else {
            // A name that follows a file is part of it, as a shell that
            // splits an unquoted path with blanks passes it.
            options = false;
            operands.push_back(a);
        }
    }
    if (!operands.empty())
        request.file = joined(operands);
    return request;
}

std::string helpText()
{
    return "Usage: velorin [OPTION]... [FILE.mus]\n"
           "Play a MIDI piano with the computer keyboard and the mouse.\n"
           "A sequence file (.mus) named on the command line is replayed at once;\n"
           "while Velorin runs, it is handed to the running window.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "  -v, --version  show the version and exit\n"
           "  --             end of options: the next argument is the file\n"
           "\n"
           "See velorin(1) for the files Velorin keeps.\n";
}

std::string versionText()
{
    return "velorin " + std::string(Version::text) + "\n";
}

}  // namespace CommandLine
