// A plug-in library for the manager tests: its factory knows one class name and answers with a
// marker address instead of a real control, which is all the loader needs to see.
#include <cstdint>

namespace {
char g_marker;
}

extern "C" void* CreateControl(const char16_t* className)
{
    if (className != nullptr && className[0] == u'P' && className[1] == u'\0')
        return &g_marker;
    return nullptr;
}
