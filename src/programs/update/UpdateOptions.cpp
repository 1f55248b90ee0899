#include "UpdateOptions.h"

#include "logic/base/Version.h"

namespace UpdateOptions {

Request parse(const std::vector<std::string>& arguments)
{
    Request request;
    for (const auto& a : arguments) {
        const bool help = a == "--help" || a == "-h";
        if (help || a == "--version" || a == "-v") {
            request.kind = help ? Request::Kind::Help : Request::Kind::Version;
            return request;
        }
        if (a == "--copy") {
            request.copyFromInstallation = true;
            continue;
        }
        request.kind = Request::Kind::Wrong;
        request.problem = a.size() > 1 && a.front() == '-' ? "unknown option '" + a + "'"
                                                           : "unexpected argument '" + a + "'";
        return request;
    }
    return request;
}

std::string helpText()
{
    return "Usage: update [--copy]\n"
           "Installs the Velorin it was built with into the midi folder\n"
           "($XDG_DATA_HOME/velorin, by default ~/.local/share/velorin): the program\n"
           "and the default keyboard settings instruments.ini, which it resets.\n"
           "\n"
           "An update that belongs to an installation (a package, or cmake --install)\n"
           "copies nothing: Velorin is updated where it was installed, by the\n"
           "package manager or by installing it again.\n"
           "\n"
           "  --copy         copy into the midi folder all the same\n"
           "  -h, --help     show this help and exit\n"
           "  -v, --version  show the version and exit\n";
}

std::string versionText()
{
    return "update " + std::string(Version::text) + "\n";
}

}  // namespace UpdateOptions
