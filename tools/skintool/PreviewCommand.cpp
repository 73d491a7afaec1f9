// skintool preview FILE.xml [--rebuilds N]: the skin in a real window (or, without a display, in a
// window of the headless backend), built again whenever a file of the skin folder changes, with
// its diagnostics printed at every build and counted in the window title. Closing the window ends
// the preview; with --rebuilds N it ends by itself after the N-th build (for scripts).
#include "tools/skintool/Commands.h"
#include "tools/skintool/SkinChecker.h"

#include "platform/WindowSystem.h"
#include "ui/builder/SkinWindow.h"
#include "ui/skin/MarkupDecoder.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

namespace skintool {

namespace fs = std::filesystem;

namespace {

std::u16string Widen(const std::string& text)
{
    const ui::TDecodedText decoded = ui::DecodeMarkup(text.data(), text.size(), ui::MarkupEncoding::Utf8);
    return std::u16string(decoded.text.get());
}

// The newest modification time of the files under the folder, and how many there are: a file
// that appears or goes changes the stamp too.
std::pair<fs::file_time_type, std::size_t> FolderStamp(const fs::path& folder)
{
    std::error_code ec;
    fs::file_time_type newest = fs::file_time_type::min();
    std::size_t count = 0;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            newest = std::max(newest, it->last_write_time(ec));
            ++count;
        }
    }
    return {newest, count};
}

class CPreviewWnd : public ui::CSkinWindowWnd
{
public:
    explicit CPreviewWnd(std::u16string file) : m_file(std::move(file)) {}
    const char16_t* WindowClassName() const override { return u"SkintoolPreview"; }
    bool Closed() const { return m_closed; }

protected:
    const char16_t* SkinFile() const override { return m_file.c_str(); }
    void OnWindowGone(HWND) override { m_closed = true; }

private:
    std::u16string m_file;
    bool m_closed = false;
};

} // namespace

int RunPreview(const Arguments& args)
{
    std::string path;
    long rebuilds = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rebuilds" && i + 1 < args.size()) {
            rebuilds = std::strtol(args[++i].c_str(), nullptr, 10);
            if (rebuilds <= 0)
                return kExitUsage;
        } else if (args[i].starts_with("-") || !path.empty()) {
            return kExitUsage;
        } else {
            path = args[i];
        }
    }
    if (path.empty())
        return kExitUsage;
    const fs::path folder = fs::path(path).has_parent_path() ? fs::path(path).parent_path() : fs::path(".");
    const std::string fileName = fs::path(path).filename().string();
    ui::CSkinSource source;
    source.SetFolder(Widen(folder.string() + "/").c_str());
    ui::CWindowManagerUI::SetSkinFolder(Widen(folder.string() + "/").c_str());
    static char s_instance;
    ui::CWindowManagerUI::SetAppInstance(reinterpret_cast<HINSTANCE>(&s_instance));
    auto& windows = platform::Windows();

    std::unique_ptr<CPreviewWnd> window;
    RECT placement{100, 100, 0, 0};
    auto stamp = FolderStamp(folder);
    for (long build = 1;; ++build) {
        // Diagnostics first: they say what the window is about to leave out.
        CSkinChecker checker(source);
        checker.Check(Widen(fileName));
        for (TDiagnostic d : checker.Diagnostics()) {
            d.file = (folder / d.file).string();
            std::cerr << FormatDiagnostic(d) << '\n';
        }
        const int errors = checker.Count(Severity::Error), warnings = checker.Count(Severity::Warning);
        std::cout << "build " << build << ": " << errors << " errors, " << warnings << " warnings" << std::endl;

        // A new window for every build: images and fonts of the last build must not linger.
        if (window && !window->Closed()) {
            windows.GetWindowRect(*window, placement);
            windows.DestroyWindow(*window);
        }
        window = std::make_unique<CPreviewWnd>(Widen(fileName));
        const std::u16string title =
            Widen(fileName + " - " + std::to_string(errors) + " errors, " + std::to_string(warnings) + " warnings");
        if (window->CreateNativeWindow(nullptr, title.c_str(), WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                       placement.left, placement.top, 0, 0) == nullptr) {
            std::cerr << "cannot create the preview window\n";
            return kExitFailure;
        }
        windows.ShowWindow(*window, SW_SHOWNORMAL);
        if (rebuilds > 0 && build >= rebuilds) {
            windows.DispatchPending();
            break;
        }
        // Messages until a file changes or the window is closed.
        for (;;) {
            MSG msg;
            while (windows.PeekMessage(msg)) {
                if (msg.message == WM_QUIT)
                    return kExitOk;
                windows.TranslateMessage(msg);
                windows.DispatchMessage(msg);
            }
            if (window->Closed())
                return kExitOk;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (const auto now = FolderStamp(folder); now != stamp) {
                stamp = now;
                break;
            }
        }
    }
    if (!window->Closed())
        windows.DestroyWindow(*window);
    return kExitOk;
}

} // namespace skintool
