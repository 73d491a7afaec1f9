// Shared libraries over the dynamic loader (dlopen).
#include "platform/SharedLibrary.h"

#include <algorithm>

#include <dlfcn.h>

namespace platform {

SharedLibraryHandle LoadSharedLibrary(const std::string& path)
{
    if (path.empty())
        return nullptr;
    std::string local = path;
    std::replace(local.begin(), local.end(), '\\', '/');
    // Local binding: a plug-in's symbols must not stand in for the program's or another plug-in's.
    return dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibrarySymbol(SharedLibraryHandle library, const char* name)
{
    if (library == nullptr || name == nullptr)
        return nullptr;
    return dlsym(library, name);
}

void FreeSharedLibrary(SharedLibraryHandle library)
{
    if (library != nullptr)
        dlclose(library);
}

} // namespace platform
