#include "platform/PrivateLibrary.h"

#include <dlfcn.h>

namespace PrivateLibrary {

void* entry(const std::string& path, const char* name, const QLoggingCategory& category, const char* without)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* error = dlerror();
        qCWarning(category, "%s: %s", without, error ? error : path.c_str());
        return nullptr;
    }
    void* found = dlsym(handle, name);
    if (!found)
        qCWarning(category, "%s: %s is not a library of this version of Velorin", without, path.c_str());
    return found;
}

}  // namespace PrivateLibrary
