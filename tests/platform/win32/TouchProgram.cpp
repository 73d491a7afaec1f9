// Writes "<own path>.ran" and ends: shows that it ran, and from which path.
#include <windows.h>

int wmain()
{
    wchar_t self[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    lstrcatW(self, L".ran");
    const HANDLE file = ::CreateFileW(self, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return 0;
}
