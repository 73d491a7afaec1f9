// Shared libraries loaded at run time (plug-ins): open a library by path, look up an exported
// function, close it again.
#pragma once

#include <string>

namespace platform {

// An opened library; null when none.
using SharedLibraryHandle = void*;

// Opens the library at a UTF-8 path (backslashes read as separators). Null when it cannot be loaded.
SharedLibraryHandle LoadSharedLibrary(const std::string& path);
// The address of an exported symbol, or null.
void* FindLibrarySymbol(SharedLibraryHandle library, const char* name);
void FreeSharedLibrary(SharedLibraryHandle library);

} // namespace platform
