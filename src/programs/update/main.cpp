// update: installs the program and the default keyboard settings into the
// midi folder. No window, no questions; it does not start the program.
#include "platform/Paths.h"
#include "Payload.h"
#include "UpdateOptions.h"
#include "Updater.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Read before anything is looked at or written.
    const auto request = UpdateOptions::parse(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    using Kind = UpdateOptions::Request::Kind;
    if (request.kind == Kind::Help || request.kind == Kind::Version) {
        const std::string text =
            request.kind == Kind::Help ? UpdateOptions::helpText() : UpdateOptions::versionText();
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (request.kind == Kind::Wrong) {
        std::fprintf(stderr, "update: %s\nTry 'update --help' for more information.\n", request.problem.c_str());
        return 2;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("update"));
    const AppPaths paths = Paths::fromEnvironment();
    // The installed Velorin never runs a copy in the midi folder, and its
    // package manager would never update one.
    if (!paths.installationPrefix.empty() && !request.copyFromInstallation) {
        std::fprintf(stderr,
                     "update: Velorin is installed in %s and is updated there, by the package manager (or by "
                     "installing it again)\nupdate: nothing was copied into %s; 'update --copy' copies all the same\n",
                     paths.installationPrefix.c_str(), paths.midiFolder.c_str());
        return 1;
    }

    const auto failures = Updater::install(paths, builtProgram(), Updater::defaultSettings());
    for (const std::string& line : failures)
        std::fprintf(stderr, "update: %s\n", line.c_str());
    return failures.empty() ? 0 : 1;
}
