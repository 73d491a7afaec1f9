// A fresh folder in the temporary folder, removed with everything in it when its owner goes,
// whether the test passed or not. Random numbers keep runs side by side apart.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace tvtest {

class TempFolder
{
public:
    explicit TempFolder(const char* name)
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 (std::string("tvu-") + name + "-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const char* name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace tvtest
