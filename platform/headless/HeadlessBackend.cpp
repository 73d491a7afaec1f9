// Headless window backend: records, scripted message boxes, injected input and PNG frames.
#include "platform/headless/HeadlessBackend.h"

#include "platform/DisplayScale.h"
#include "platform/PngFile.h"
#include "platform/TextEncoding.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace platform {

namespace {

int AnswerFromWord(std::string word)
{
    for (char& c : word)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (word == "ok")
        return IDOK;
    if (word == "cancel")
        return IDCANCEL;
    if (word == "yes")
        return IDYES;
    if (word == "no")
        return IDNO;
    if (word == "abort")
        return IDABORT;
    if (word == "retry")
        return IDRETRY;
    if (word == "ignore")
        return IDIGNORE;
    return IDCANCEL;
}

// A box's text on one line of the log: a line break is written as \n and a backslash as \\.
std::string LogField(const std::u16string& text)
{
    std::string field;
    for (const char c : Utf16ToUtf8(text)) {
        if (c == '\n')
            field += "\\n";
        else if (c == '\\')
            field += "\\\\";
        else
            field += c;
    }
    return field;
}

const char* AnswerName(int answer)
{
    switch (answer) {
    case IDOK:
        return "ok";
    case IDYES:
        return "yes";
    case IDNO:
        return "no";
    case IDABORT:
        return "abort";
    case IDRETRY:
        return "retry";
    case IDIGNORE:
        return "ignore";
    default:
        return "cancel";
    }
}

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

HeadlessBackend::HeadlessBackend()
{
    SetMessageBoxScript(Env("TVU_MSGBOX"));
    m_boxLog = Env("TVU_MSGBOX_LOG");
    const std::string max = Env("TVU_FRAMES_MAX");
    SetFrames(Env("TVU_FRAMES"), max.empty() ? 1000 : std::atoi(max.c_str()));
    // Only the program's own override counts: there is no desktop here to ask.
    DesktopScaleSources sources;
    sources.overrideScale = ScaleSourcesFromEnvironment().overrideScale;
    m_scale = ResolveDesktopScale(sources);
}

void HeadlessBackend::SetScale(double scale)
{
    m_scale = SaneScale(scale);
}

double HeadlessBackend::WindowScale(const WindowRecord& window)
{
    (void)window;
    return m_scale;
}

POINT HeadlessBackend::Logical(int x, int y) const
{
    return POINT{UnscaleCoordinate(x, m_scale), UnscaleCoordinate(y, m_scale)};
}

void HeadlessBackend::SetScreen(const RECT& monitor, const RECT& workArea)
{
    m_monitor = monitor;
    m_work = workArea;
}

void HeadlessBackend::SetSystemMetric(int index, int value)
{
    m_metrics[index] = value;
}

void HeadlessBackend::SetMessageBoxScript(const std::string& script)
{
    m_script.clear();
    std::string word;
    for (char c : script + ",") {
        if (c == ',') {
            std::size_t b = word.find_first_not_of(" \t"), e = word.find_last_not_of(" \t");
            if (b != std::string::npos)
                m_script.push_back(AnswerFromWord(word.substr(b, e - b + 1)));
            word.clear();
        } else {
            word += c;
        }
    }
}

void HeadlessBackend::SetFrames(const std::string& folder, int maxFrames)
{
    m_framesFolder = folder;
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error); // an unwritable folder just gets no frames
    }
    m_framesMax = maxFrames > 0 ? maxFrames : 1;
}

// ---------------------------------------------------------------------------------------------
// Injection
// ---------------------------------------------------------------------------------------------

void HeadlessBackend::Inject(const InputEvent& event)
{
    {
        std::lock_guard lock(m_lock);
        m_events.push_back(event);
        m_woken = true;
    }
    m_wakeup.notify_all();
}

void HeadlessBackend::InjectMouseMove(int x, int y)
{
    InputEvent event;
    event.kind = InputKind::MouseMove;
    event.screen = Logical(x, y);
    event.buttons = ~0u;
    Inject(event);
}

void HeadlessBackend::InjectButton(int button, bool down, int x, int y)
{
    InputEvent event;
    event.kind = down ? InputKind::MouseDown : InputKind::MouseUp;
    event.button = button;
    event.screen = Logical(x, y);
    Inject(event);
}

void HeadlessBackend::InjectWheel(int delta, int x, int y)
{
    InputEvent event;
    event.kind = InputKind::Wheel;
    event.wheelDelta = delta;
    event.screen = Logical(x, y);
    Inject(event);
}

void HeadlessBackend::InjectKey(UINT vk, bool down)
{
    InputEvent event;
    event.kind = down ? InputKind::KeyDown : InputKind::KeyUp;
    event.vk = vk;
    Inject(event);
}

void HeadlessBackend::InjectText(const std::u16string& text)
{
    InputEvent event;
    event.kind = InputKind::Text;
    event.text = text;
    Inject(event);
}

void HeadlessBackend::InjectCloseRequest(HWND hwnd)
{
    InputEvent event;
    event.kind = InputKind::CloseRequest;
    event.window = hwnd;
    Inject(event);
}

void HeadlessBackend::PollEvents(std::vector<InputEvent>& out)
{
    std::lock_guard lock(m_lock);
    for (InputEvent& event : m_events) {
        if (event.kind == InputKind::MouseMove || event.kind == InputKind::MouseDown ||
            event.kind == InputKind::MouseUp) {
            m_pointer = event.screen;
            m_pointerKnown = true;
        }
        out.push_back(std::move(event));
    }
    m_events.clear();
}

void HeadlessBackend::WaitEvents(int timeoutMs)
{
    std::unique_lock lock(m_lock);
    auto ready = [&] { return m_woken || !m_events.empty(); };
    if (timeoutMs < 0)
        m_wakeup.wait(lock, ready);
    else
        m_wakeup.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    m_woken = false;
}

void HeadlessBackend::Wake()
{
    {
        std::lock_guard lock(m_lock);
        m_woken = true;
    }
    m_wakeup.notify_all();
}

bool HeadlessBackend::QueryCursorPos(POINT& pos)
{
    std::lock_guard lock(m_lock);
    if (!m_pointerKnown)
        return false;
    pos = m_pointer;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Windows, monitors, message boxes
// ---------------------------------------------------------------------------------------------

bool HeadlessBackend::CreateNative(WindowRecord& window)
{
    (void)window;
    return true;
}

void HeadlessBackend::DestroyNative(WindowRecord& window)
{
    if (m_captured == window.handle)
        m_captured = nullptr;
    if (m_lastActivated == window.handle)
        m_lastActivated = nullptr;
}

void HeadlessBackend::UpdateNative(WindowRecord& window, unsigned changes)
{
    (void)window;
    (void)changes;
}

void HeadlessBackend::ActivateNative(WindowRecord& window)
{
    m_lastActivated = window.handle;
}

RECT HeadlessBackend::MonitorRect(int index)
{
    (void)index;
    return m_monitor;
}

RECT HeadlessBackend::WorkArea(int index)
{
    (void)index;
    return m_work;
}

int HeadlessBackend::SystemMetric(int index)
{
    auto it = m_metrics.find(index);
    return it == m_metrics.end() ? -1 : it->second;
}

int HeadlessBackend::ShowMessageBox(WindowRecord* owner, const std::u16string& text, const std::u16string& caption,
                                    UINT type, const std::function<void()>& whileOpen)
{
    (void)whileOpen; // answered at once from the script: there is no wait to fill
    int answer;
    if (!m_script.empty()) {
        answer = m_script.front();
        m_script.pop_front();
    } else {
        // Dismissing a box gives Cancel; a box whose only button is OK can only answer OK, and a
        // Yes/No box without Cancel gives its cautious No.
        const UINT buttons = type & MB_TYPEMASK;
        answer = buttons == MB_OK ? IDOK : buttons == MB_YESNO ? IDNO : IDCANCEL;
    }
    m_boxes.push_back(MessageBoxRecord{owner ? owner->handle : nullptr, text, caption, type, answer});
    if (!m_boxLog.empty()) {
        std::ofstream log(m_boxLog, std::ios::app | std::ios::binary);
        log << LogField(caption) << '\t' << LogField(text) << '\t' << AnswerName(answer) << '\n';
    }
    return answer;
}

// ---------------------------------------------------------------------------------------------
// Presentation
// ---------------------------------------------------------------------------------------------

void HeadlessBackend::Present(WindowRecord& window, const RECT& dirty)
{
    (void)dirty;
    ++m_presents;
    if (!m_framesFolder.empty())
        WriteFrame(window);
}

void HeadlessBackend::PresentPieces(WindowRecord& window, const std::vector<RECT>& pieces)
{
    // Every piece counts as a presentation, but the frame is the picture after all of them:
    // writing it per piece would record the same picture several times.
    m_presents += static_cast<int>(pieces.size());
    if (!pieces.empty() && !m_framesFolder.empty())
        WriteFrame(window);
}

void HeadlessBackend::WriteFrame(const WindowRecord& window)
{
    const PixelBuffer& px = window.pixels;
    if (px.IsEmpty())
        return;
    // What the desktop would show: pixels outside the window's region are transparent. The region
    // is in logical pixels, so its mask is worked out once per logical row (shared by the device
    // rows of that row at a scale above 1), and each device column's logical column once per frame.
    std::vector<std::uint32_t> shown(std::size_t(px.width) * std::size_t(px.height));
    std::vector<int> logicalColumn(std::size_t(px.width));
    for (int x = 0; x < px.width; ++x)
        logicalColumn[std::size_t(x)] = UnscaleCoordinate(x, window.scale);
    std::vector<std::uint8_t> inside(std::size_t(logicalColumn.back()) + 1, 1);
    int maskRow = -1;
    for (int y = 0; y < px.height; ++y) {
        const int logicalRow = UnscaleCoordinate(y, window.scale);
        if (window.region && logicalRow != maskRow) {
            for (std::size_t x = 0; x < inside.size(); ++x)
                inside[x] = window.region->Contains(int(x), logicalRow);
            maskRow = logicalRow;
        }
        std::uint32_t* row = shown.data() + std::size_t(y) * std::size_t(px.width);
        const std::uint32_t* src = px.Row(y);
        for (int x = 0; x < px.width; ++x)
            row[x] = inside[std::size_t(logicalColumn[std::size_t(x)])] ? src[x] : 0u;
    }
    // The numbers run up to the cap; from then on the last slot always holds the latest frame.
    ++m_framesWritten;
    const int number = m_framesWritten < m_framesMax ? m_framesWritten : m_framesMax;
    char name[32];
    std::snprintf(name, sizeof name, "/%06d.png", number);
    WritePng(PixelBuffer{shown.data(), px.width, px.height, px.width * 4}, m_framesFolder + name, PngEffort::Fast);
}

} // namespace platform
