// Helpers for tests that make archives with real programs: a temporary folder removed afterwards,
// whole-file reading and writing, running a shell command for its exit code, and Info-ZIP.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace ziptest {

namespace fs = std::filesystem;

class TempDir
{
public:
    TempDir()
    {
        std::random_device rd;
        m_path = fs::temp_directory_path() / ("tvu-zip-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        fs::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& Path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

private:
    fs::path m_path;
};

inline std::vector<std::uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& data)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

inline std::string Quote(const fs::path& path)
{
    std::string out = "'";
    for (char c : path.string())
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command and returns its exit code (std::system gives a wait status, whose exit code
// sits in the second byte on this system), or -1 when it did not exit normally.
inline int RunShell(const std::string& command)
{
    int status = std::system(command.c_str());
    if (status == -1 || (status & 0x7F) != 0)
        return -1;
    return (status >> 8) & 0xFF;
}

// Packs members (paths relative to folder, or "." with -r) into archive with Info-ZIP's zip, run
// from inside folder as `zip -q OPTIONS ARCHIVE MEMBERS`, and returns its exit code. The tests of
// the Windows build have no Info-ZIP: there the archive is the committed fixture of the given name
// (tests/fixtures/zip), which scripts/zip-fixtures makes on Linux by this same call from the same
// files; a stale fixture shows as members that do not match. With TVU_ZIP_FIXTURES set to a
// folder, every archive made is also copied there under its fixture name.
inline int InfoZip(const fs::path& folder, const std::string& options, const fs::path& archive,
                   const std::string& members, const std::string& fixture)
{
#ifdef _WIN32
    (void)folder, (void)options, (void)members;
    std::error_code ec;
    fs::copy_file(fs::path(TVU_SOURCE_DIR) / "tests/fixtures/zip" / fixture, archive,
                  fs::copy_options::overwrite_existing, ec);
    return ec ? 1 : 0;
#else
    const int code = RunShell("cd " + Quote(folder) + " && zip -q " + options + " " + Quote(archive) + " " + members);
    if (const char* out = std::getenv("TVU_ZIP_FIXTURES"); out && *out && code == 0) {
        std::error_code ec;
        fs::copy_file(archive, fs::path(out) / fixture, fs::copy_options::overwrite_existing, ec);
        if (ec)
            return 1;
    }
    return code;
#endif
}

// Deterministic content: compressible text or incompressible noise.
inline std::vector<std::uint8_t> TextBytes(std::size_t size)
{
    static const char kWords[] = "skin window button label progress close percent layout ";
    std::vector<std::uint8_t> out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = std::uint8_t(kWords[(i * 7 + i / 13) % (sizeof kWords - 1)]);
    return out;
}

inline std::vector<std::uint8_t> NoiseBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> out(size);
    for (auto& b : out)
        b = std::uint8_t(gen());
    return out;
}

} // namespace ziptest
