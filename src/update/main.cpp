// update: installs the program and the default keyboard settings into the
// midi folder. No window, no questions; it does not start the program.
#include "platform/Paths.h"
#include "update/Payload.h"
#include "update/Updater.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("update"));

    const auto failures = Updater::install(Paths::fromEnvironment(), builtProgram(), Updater::defaultSettings());
    for (const std::string& line : failures)
        std::fprintf(stderr, "update: %s\n", line.c_str());
    return failures.empty() ? 0 : 1;
}
