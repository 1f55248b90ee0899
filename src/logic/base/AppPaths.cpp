#include "logic/base/AppPaths.h"

#include "logic/base/Files.h"

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
    if (files.fileExists(beside))
        return beside;
    const std::string installed = dataFolder.empty() ? beside : join(dataFolder, name);
    if (files.fileExists(installed))
        return installed;
    for (const std::string& folder : moreShippedFolders)
        if (files.fileExists(join(folder, name)))
            return join(folder, name);
    return installed;
}
