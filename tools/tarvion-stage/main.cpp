// tarvion-stage: creates a sample installation of Tarvion VPN inside a sandbox folder and prints
// the shell export lines that point the uninstaller at it:
//
//   eval "$(tarvion-stage DIR [--files N] [--processes] [--uninstaller PATH] [--system-start-menu])"
//
// On Windows the registry values go into the system's registry (the store's location is not used
// there), and --system-start-menu puts the Start Menu entries into the user's real Start Menu
// folder instead of DIR/startmenu.
//
// DIR/install/      the installation: N data files in nested folders, the product's programs,
//                   uninstall.dat listing every file, every folder and itself
// DIR/registry.db   the uninstall key and both product keys
// DIR/desktop/      the recorded shortcut;  DIR/startmenu/Tarvion/  the two Start Menu shortcuts
// DIR/temp/         an empty temporary folder;  DIR/pids  the staged processes (--processes)
#include "platform/Environment.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kDefaultFiles = 200;
constexpr int kMaxFiles = 100000;
constexpr int kFilesPerFolder = 50;
constexpr const char16_t* kUninstallKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN";

struct Options
{
    fs::path dir;
    int files = kDefaultFiles;
    bool processes = false;
    fs::path uninstaller;
    bool systemStartMenu = false;
};

// A path from UTF-8 text, on every system (a narrow string is read in the ANSI code page on
// Windows).
fs::path Path(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tarvion-stage: %s\n", message.c_str());
    return 1;
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

// Single-quoted for the shell, with embedded quotes closed, escaped and reopened.
std::string ShellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

bool WriteFile(const fs::path& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return bool(out);
}

// The folder of data file i: lib/pA/qB/rC, fifty files to a folder.
std::string FolderOf(int i)
{
    const int j = i / kFilesPerFolder;
    return "lib/p" + std::to_string(j / 100) + "/q" + std::to_string(j / 10 % 10) + "/r" + std::to_string(j % 10);
}

fs::path IdleProgram(const char* argv0)
{
    const fs::path built = TVU_IDLE_PROGRAM;
    if (fs::exists(built))
        return built;
    fs::path self = platform::Utf16ToUtf8(platform::GetModuleFileName());
    if (self.empty())
        self = fs::absolute(argv0);
    return self.parent_path() / "tarvion-idle";
}

bool StageInstallation(const Options& options, const char* argv0, std::string& error)
{
    const fs::path install = options.dir / "install";
    std::vector<std::string> files;
    std::vector<std::string> folders;
    fs::create_directories(install);

    for (int i = 0; i < options.files; ++i) {
        const std::string folder = FolderOf(i);
        if (i % kFilesPerFolder == 0) {
            fs::create_directories(install / Path(folder));
            // Every new leaf folder brings the parents not yet listed.
            std::string prefix;
            for (std::size_t pos = 0; pos != std::string::npos;) {
                pos = folder.find('/', pos + 1);
                prefix = folder.substr(0, pos);
                if (std::find(folders.begin(), folders.end(), prefix) == folders.end())
                    folders.push_back(prefix);
            }
        }
        const std::string name = folder + "/file" + std::to_string(i) + ".dat";
        if (!WriteFile(install / Path(name), "Tarvion VPN data file " + std::to_string(i) + "\n")) {
            error = "cannot write " + Utf8(install / Path(name));
            return false;
        }
        files.push_back(name);
    }

    // The product's programs: idle copies when they are to run, small stand-ins otherwise.
    for (const char* program : {"Tarvion.exe", "transport.exe"}) {
        if (options.processes) {
            const fs::path idle = IdleProgram(argv0);
            std::error_code ec;
            fs::copy_file(idle, install / program, fs::copy_options::overwrite_existing, ec);
            if (ec) {
                error = "cannot copy " + Utf8(idle) + ": " + ec.message();
                return false;
            }
        } else {
            WriteFile(install / program, std::string("stand-in for ") + program + "\n");
        }
        files.push_back(program);
    }
    const std::string readme = "Lisez-moi \xE2\x80\x93 Tarvion \xC3\xA9t\xC3\xA9.txt";
    WriteFile(install / Path(readme), "Merci d'avoir choisi Tarvion VPN.\n");
    files.push_back(readme);
    if (!options.uninstaller.empty()) {
        std::error_code ec;
        fs::copy_file(options.uninstaller, install / "uninstall.exe", fs::copy_options::overwrite_existing, ec);
        if (ec) {
            error = "cannot copy " + Utf8(options.uninstaller) + ": " + ec.message();
            return false;
        }
        files.push_back("uninstall.exe");
    }

    // Files first, then folders from the deepest up, then the manifest itself, as an installer
    // that records what it wrote would list them.
    std::string manifest = "[\n";
    auto add = [&](const std::string& name) { manifest += "  {\"name\": " + JsonString(name) + "},\n"; };
    for (const std::string& f : files)
        add(f);
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        const auto depth = [](const std::string& s) { return std::count(s.begin(), s.end(), '/'); };
        return depth(a) != depth(b) ? depth(a) > depth(b) : a < b;
    });
    for (const std::string& f : folders)
        add(f);
    manifest += "  {\"name\": \"uninstall.dat\"}\n]\n";
    if (!WriteFile(install / "uninstall.dat", manifest)) {
        error = "cannot write the manifest";
        return false;
    }
    return true;
}

bool StageRegistry(const Options& options, std::string& error)
{
    platform::RegistryStore store(Utf8(options.dir / "registry.db"));
    const auto text = [](const fs::path& p) { return platform::Utf8ToUtf16(Utf8(fs::path(p).make_preferred())); };
    platform::RegistryKey key;
    DWORD rc = store.CreateKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS, key);
    if (rc == ERROR_SUCCESS)
        rc = store.SetString(key, u"UninstallString", text(options.dir / "install" / "uninstall.exe"));
    if (rc == ERROR_SUCCESS)
        rc = store.SetString(key, u"DisplayShortcut", text(options.dir / "desktop" / "Tarvion VPN.lnk"));
    if (rc == ERROR_SUCCESS)
        rc = store.SetString(key, u"DisplayName", u"Tarvion VPN");
    if (rc == ERROR_SUCCESS)
        rc = store.SetString(key, u"DisplayVersion", u"3.2.1");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
        platform::RegistryKey product;
        if (rc == ERROR_SUCCESS)
            rc = store.CreateKey(root, u"Software\\Tarvion VPN", KEY_ALL_ACCESS, product);
        if (rc == ERROR_SUCCESS)
            rc = store.SetString(product, u"InstallPath", text(options.dir / "install"));
        platform::RegistryKey settings;
        if (rc == ERROR_SUCCESS)
            rc = store.CreateKey(root, u"Software\\Tarvion VPN\\Settings", KEY_ALL_ACCESS, settings);
        if (rc == ERROR_SUCCESS)
            rc = store.SetDword(settings, u"AutoConnect", 1);
    }
    if (rc != ERROR_SUCCESS) {
        error = "cannot write the registry store (error " + std::to_string(rc) + ")";
        return false;
    }
    return true;
}

bool StageShortcuts(const Options& options)
{
    const fs::path desktop = options.dir / "desktop";
    fs::path menu = options.dir / "startmenu" / "Tarvion";
    if (options.systemStartMenu) {
        std::u16string folder;
        if (!platform::GetStartMenuFolder(folder))
            return false;
        menu = Path(platform::Utf16ToUtf8(folder)) / "Tarvion";
    }
    fs::create_directories(desktop);
    fs::create_directories(menu);
    fs::create_directories(options.dir / "temp");
    return WriteFile(desktop / "Tarvion VPN.lnk", "shortcut to Tarvion.exe\n") &&
           WriteFile(menu / "Tarvion.lnk", "shortcut to Tarvion.exe\n") &&
           WriteFile(menu / "Remove Tarvion.lnk", "shortcut to uninstall.exe\n");
}

bool StartProcesses(const Options& options, std::string& error)
{
    std::string pids;
    for (const char* program : {"Tarvion.exe", "transport.exe"}) {
        const int pid = platform::StartDetachedProcess(Utf8(options.dir / "install" / program), {});
        if (pid < 0) {
            error = std::string("cannot start ") + program;
            return false;
        }
        pids += std::to_string(pid) + "\n";
    }
    return WriteFile(options.dir / "pids", pids);
}

int Usage()
{
    std::fputs("Usage: tarvion-stage DIR [--files N] [--processes] [--uninstaller PATH] [--system-start-menu]\n"
               "Creates a sample installation of Tarvion VPN in DIR (which must be new or empty) and\n"
               "prints export lines for TVU_REGISTRY, TVU_STARTMENU and TEMP: eval \"$(tarvion-stage DIR)\".\n",
               stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--files" && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end != 0 || end == argv[i] || n < 0 || n > kMaxFiles)
                return Fail("--files needs a number from 0 to " + std::to_string(kMaxFiles));
            options.files = int(n);
        } else if (a == "--processes") {
            options.processes = true;
        } else if (a == "--system-start-menu") {
            options.systemStartMenu = true;
        } else if (a == "--uninstaller" && i + 1 < argc) {
            options.uninstaller = Path(argv[++i]);
            if (!fs::is_regular_file(options.uninstaller))
                return Fail("no such file: " + Utf8(options.uninstaller));
        } else if (!a.empty() && a[0] != '-' && options.dir.empty()) {
            options.dir = Path(a);
        } else {
            return Usage();
        }
    }
    if (options.dir.empty())
        return Usage();

    std::error_code ec;
    options.dir = fs::absolute(options.dir, ec).lexically_normal();
    if (options.dir.has_filename() == false)
        options.dir = options.dir.parent_path();
    if (fs::exists(options.dir) && !fs::is_empty(options.dir, ec))
        return Fail(Utf8(options.dir) + " is not empty; stage into a new or empty folder");
    fs::create_directories(options.dir, ec);
    if (ec)
        return Fail("cannot create " + Utf8(options.dir) + ": " + ec.message());

    std::string error;
    try {
        if (!StageInstallation(options, argv[0], error) || !StageRegistry(options, error))
            return Fail(error);
        if (!StageShortcuts(options))
            return Fail("cannot write the shortcuts");
        if (options.processes && !StartProcesses(options, error))
            return Fail(error);
    } catch (const fs::filesystem_error& e) {
        return Fail(e.what());
    }

    std::printf("export TVU_REGISTRY=%s\n", ShellQuote(Utf8(options.dir / "registry.db")).c_str());
    std::printf("export TVU_STARTMENU=%s\n", ShellQuote(Utf8(options.dir / "startmenu")).c_str());
    std::printf("export TEMP=%s\n", ShellQuote(Utf8(options.dir / "temp")).c_str());
    return 0;
}
