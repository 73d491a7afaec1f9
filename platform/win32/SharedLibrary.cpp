// Plug-in libraries on Windows: LoadLibraryW and GetProcAddress.
#include "platform/SharedLibrary.h"

#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"
#include "platform/win32/WinPath.h"

namespace platform {

SharedLibraryHandle LoadSharedLibrary(const std::string& path)
{
    if (path.empty())
        return nullptr;
    const std::wstring wide = win32_impl::WidePath(Utf8ToUtf16(path));
    // No error box for a library that is missing or broken: the caller reports it.
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = ::LoadLibraryW(wide.c_str());
    ::SetErrorMode(previous);
    return reinterpret_cast<SharedLibraryHandle>(module);
}

void* FindLibrarySymbol(SharedLibraryHandle library, const char* name)
{
    if (library == nullptr || name == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void FreeSharedLibrary(SharedLibraryHandle library)
{
    if (library != nullptr)
        ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

} // namespace platform
