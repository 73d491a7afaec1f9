// The shared headless fixture.
#include "HeadlessTestSupport.h"

namespace tvtest {

std::vector<Logged> HeadlessTest::s_log;
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> HeadlessTest::s_handler;

LRESULT HeadlessTest::CALLBACK_Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    s_log.push_back(Logged{hwnd, message, wParam, lParam});
    LRESULT result = 0;
    if (s_handler && s_handler(hwnd, message, wParam, lParam, result))
        return result;
    return platform::Windows().DefWindowProc(hwnd, message, wParam, lParam);
}

void HeadlessTest::SetUp()
{
    auto backend = std::make_unique<platform::HeadlessBackend>();
    headless = backend.get();
    windows = &platform::WindowSystem::Install(std::move(backend));
    windows->SetClock(&clock);
    s_log.clear();
    s_handler = nullptr;
    WNDCLASSEXW wc;
    wc.lpfnWndProc = CALLBACK_Proc;
    wc.lpszClassName = platform::Win32Text(u"TestWnd");
    wc.hCursor = windows->LoadCursor(nullptr, IDC_HAND);
    windows->RegisterClassEx(wc);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = platform::Win32Text(u"TestDblWnd");
    windows->RegisterClassEx(wc);
}

void HeadlessTest::TearDown()
{
    platform::WindowSystem::Shutdown();
    s_handler = nullptr;
    s_log.clear();
}

HWND HeadlessTest::MakeWindow(int x, int y, int width, int height, DWORD style, HWND parent)
{
    return windows->CreateWindowEx(0, u"TestWnd", u"test", style, x, y, width, height, parent, nullptr, nullptr,
                                   nullptr);
}

std::vector<UINT> HeadlessTest::Messages(HWND hwnd) const
{
    std::vector<UINT> out;
    for (const Logged& m : s_log)
        if (!hwnd || m.hwnd == hwnd)
            out.push_back(m.message);
    return out;
}

std::vector<Logged> HeadlessTest::Find(UINT message) const
{
    std::vector<Logged> out;
    for (const Logged& m : s_log)
        if (m.message == message)
            out.push_back(m);
    return out;
}

} // namespace tvtest
