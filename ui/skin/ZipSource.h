// Where an archive's bytes come from: a block of memory or a file, read at checked offsets.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace ui::zip {

class ZipSource
{
public:
    virtual ~ZipSource() = default;
    std::uint64_t Size() const { return m_size; }
    // Copies len bytes at offset into dst; false when they are not all there.
    virtual bool Read(std::uint64_t offset, void* dst, std::size_t len) = 0;
    // Bytes at offset in place, when the source is memory; null otherwise. The caller has checked
    // that offset + len lies within the source.
    virtual const std::uint8_t* View(std::uint64_t offset) const = 0;

protected:
    std::uint64_t m_size = 0;
};

class MemorySource final : public ZipSource
{
public:
    MemorySource(const void* block, std::size_t length) : m_data(static_cast<const std::uint8_t*>(block))
    {
        m_size = length;
    }
    bool Read(std::uint64_t offset, void* dst, std::size_t len) override
    {
        if (offset > m_size || len > m_size - offset)
            return false;
        if (len != 0)
            std::memcpy(dst, m_data + offset, len);
        return true;
    }
    const std::uint8_t* View(std::uint64_t offset) const override { return m_data + offset; }

private:
    const std::uint8_t* m_data;
};

class FileSource final : public ZipSource
{
public:
    bool Open(const std::filesystem::path& path)
    {
        // A folder opens as a stream on this system but cannot be read: it is not an archive file.
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
            return false;
        m_file.open(path, std::ios::binary);
        if (!m_file)
            return false;
        m_file.seekg(0, std::ios::end);
        std::streamoff end = m_file.tellg();
        if (!m_file || end < 0)
            return false;
        m_size = std::uint64_t(end);
        return true;
    }
    bool Read(std::uint64_t offset, void* dst, std::size_t len) override
    {
        if (offset > m_size || len > m_size - offset)
            return false;
        if (len == 0)
            return true;
        m_file.clear();
        m_file.seekg(std::streamoff(offset));
        m_file.read(static_cast<char*>(dst), std::streamsize(len));
        return m_file.gcount() == std::streamsize(len);
    }
    const std::uint8_t* View(std::uint64_t) const override { return nullptr; }

private:
    std::ifstream m_file;
};

} // namespace ui::zip
