#include "app/AppPaths.h"

#include "app/Files.h"

std::string AppPaths::join(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string AppPaths::shippedFile(const Files& files, std::string_view name) const
{
    const std::string beside = inProgramFolder(name);
    if (files.fileExists(beside) || dataFolder.empty())
        return beside;
    return join(dataFolder, name);
}
