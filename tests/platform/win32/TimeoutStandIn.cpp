// A stand-in for the system's timeout.exe, which Wine lacks: "timeout /t N" waits N seconds and
// ends with 0; anything else ends with 1 at once.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"/t") == 0 || std::wcscmp(argv[i], L"/T") == 0) {
            ::Sleep(DWORD(std::wcstoul(argv[i + 1], nullptr, 10)) * 1000);
            return 0;
        }
    }
    return 1;
}
