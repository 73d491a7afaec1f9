// Holds the Wine prefix's desktop for a whole test run. Wine's desktop process goes a few seconds
// after its last client and is started again by the next program that needs it, which then leaves
// it its own standard output; that kept CTest waiting on a finished test's output for the twenty
// seconds the desktop lingers. scripts/wine-prepare starts this program with its output going
// nowhere, and ends it with the prefix.
#include <windows.h>

int wmain()
{
    // A message-only window makes this process a client of the desktop without showing anything.
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (window == nullptr)
        return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}
