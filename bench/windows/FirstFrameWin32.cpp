// Start-up to the first frame under Wine (or Windows), against a minimal GDI program in the same
// run: each round starts the uninstaller and the minimal program once and measures from
// CreateProcessW to the moment its window is visible and painted. Prints one JSON object with the
// medians:  bench_first_frame_win32.exe UNINSTALL.EXE [ROUNDS]
//
// The uninstaller runs as the relocated copy does (from inside TEMP, so it starts no second
// process), shows its window, paints it and then asks for confirmation; the box is taken as the
// sign that the first frame is on screen, as the program shows it only then. The minimal program
// (this executable with --minimal) registers a class, creates a 480 x 300 window and marks it after
// its first WM_PAINT.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr wchar_t kMinimalClass[] = L"TvuMinimalGdiWindow";
constexpr wchar_t kPaintedProperty[] = L"TvuPainted";
constexpr wchar_t kCaption[] = L"Tarvion Uninstall Window";

LRESULT CALLBACK MinimalProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(hwnd, &ps);
        RECT r;
        ::GetClientRect(hwnd, &r);
        const HBRUSH brush = ::CreateSolidBrush(RGB(0x2F, 0x6F, 0xE4));
        ::FillRect(dc, &r, brush);
        ::DeleteObject(brush);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, L"Tarvion VPN", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::EndPaint(hwnd, &ps);
        ::SetPropW(hwnd, kPaintedProperty, reinterpret_cast<HANDLE>(1));
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

int RunMinimal()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MinimalProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kMinimalClass;
    if (!::RegisterClassExW(&wc))
        return 1;
    const HWND hwnd = ::CreateWindowExW(0, kMinimalClass, L"Minimal", WS_POPUP | WS_VISIBLE, 100, 100, 480, 300,
                                        nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return 1;
    ::UpdateWindow(hwnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

struct Search
{
    DWORD pid;
    bool (*matches)(HWND);
    bool found = false;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !::IsWindowVisible(hwnd))
        return TRUE;
    if (search->matches(hwnd)) {
        search->found = true;
        return FALSE;
    }
    // Under Wine the drawn confirmation is a child of the main window.
    ::EnumChildWindows(
        hwnd,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto* search = reinterpret_cast<Search*>(parameter);
            search->found = ::IsWindowVisible(child) && search->matches(child);
            return !search->found;
        },
        parameter);
    return !search->found;
}

bool MinimalPainted(HWND hwnd)
{
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return std::wstring(name) == kMinimalClass && ::GetPropW(hwnd, kPaintedProperty) != nullptr;
}

// The confirmation: a second visible window of the process with the program's caption.
bool ConfirmationShown(HWND hwnd)
{
    wchar_t title[64] = {};
    ::GetWindowTextW(hwnd, title, 64);
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return std::wstring(title) == kCaption && std::wstring(name) != L"CMainWnd";
}

// Milliseconds from the start of the process to a window that matches; negative on failure.
double TimeToWindow(const std::wstring& program, const std::wstring& arguments, const wchar_t* environment,
                    bool (*matches)(HWND))
{
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const auto start = Clock::now();
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          const_cast<wchar_t*>(environment), nullptr, &startup, &info))
        return -1;
    Search search{info.dwProcessId, matches};
    double ms = -1;
    while (Clock::now() - start < std::chrono::seconds(30)) {
        ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        if (::WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0)
            break;
        ::Sleep(1);
    }
    ::TerminateProcess(info.hProcess, 0);
    ::WaitForSingleObject(info.hProcess, 10000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return ms;
}

// This process's environment with TEMP and TMP set to folder.
std::wstring EnvironmentWithTemp(const std::wstring& folder)
{
    std::wstring block;
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* e = strings; *e; e += wcslen(e) + 1) {
            const std::wstring entry = e;
            if (_wcsnicmp(e, L"TEMP=", 5) != 0 && _wcsnicmp(e, L"TMP=", 4) != 0 &&
                _wcsnicmp(e, L"TVU_PLATFORM=", 13) != 0)
                block += entry + L'\0';
        }
        ::FreeEnvironmentStringsW(strings);
    }
    block += L"TEMP=" + folder + L'\0';
    block += L"TMP=" + folder + L'\0';
    block += L'\0';
    return block;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && std::wstring(argv[1]) == L"--minimal")
        return RunMinimal();
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: bench_first_frame_win32.exe UNINSTALL.EXE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc >= 3 ? std::max(1, _wtoi(argv[2])) : 8;
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);

    // The uninstaller runs from inside TEMP, as its relocated copy does.
    wchar_t tempBase[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, tempBase);
    const std::wstring temp = std::wstring(tempBase) + L"tvu-first-frame-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring folder = temp + L"\\tarvion-uninstall-bench";
    ::CreateDirectoryW(temp.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\uninstall.exe";
    if (!::CopyFileW(argv[1], copy.c_str(), FALSE)) {
        std::fwprintf(stderr, L"cannot copy %ls\n", argv[1]);
        return 1;
    }
    const std::wstring environment = EnvironmentWithTemp(temp);

    std::vector<double> ours, minimal;
    for (int i = 0; i < rounds; ++i) {
        const double a = TimeToWindow(copy, L"", environment.c_str(), ConfirmationShown);
        const double b = TimeToWindow(self, L"--minimal", nullptr, MinimalPainted);
        if (a < 0 || b < 0) {
            std::fwprintf(stderr, L"round %d: no window (uninstaller %.1f ms, minimal %.1f ms)\n", i, a, b);
            continue;
        }
        ours.push_back(a);
        minimal.push_back(b);
    }
    ::DeleteFileW(copy.c_str());
    ::RemoveDirectoryW(folder.c_str());
    ::RemoveDirectoryW(temp.c_str());
    if (ours.empty())
        return 1;
    std::printf("{\"rounds\": %zu, \"uninstaller_ms\": %.1f, \"minimal_gdi_ms\": %.1f, \"ratio\": %.3f}\n", ours.size(),
                Median(ours), Median(minimal), Median(ours) / Median(minimal));
    return 0;
}
