// CSkinSource: the skin settings and the one reader of skin files, from a folder or an archive.
#include "ui/skin/SkinSource.h"

#include "ui/core/LocalPath.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

namespace ui {

CSkinSource::~CSkinSource()
{
    CloseArchive();
}

CSkinSource& CSkinSource::Process()
{
    static CSkinSource source;
    return source;
}

void CSkinSource::SetFolder(const char16_t* path)
{
    m_folder = path != nullptr ? path : u"";
    if (!m_folder.empty() && m_folder.back() != u'\\' && m_folder.back() != u'/')
        m_folder += u'\\';
}

void CSkinSource::StorePassword(const char* password)
{
    std::memset(m_password, 0, kPasswordCapacity);
    if (password != nullptr)
        std::strncpy(m_password, password, kPasswordCapacity - 1);
}

const char* CSkinSource::Password() const
{
    return m_password[0] != '\0' ? m_password : nullptr;
}

void CSkinSource::SetArchive(const char16_t* name, bool keepOpen, const char* password)
{
    StorePassword(password);
    const std::u16string newName = name != nullptr ? name : u"";
    if (newName == m_archiveName && keepOpen == m_keepArchiveOpen)
        return;
    CloseArchive();
    m_archiveName = newName;
    m_keepArchiveOpen = keepOpen;
    if (keepOpen && !newName.empty()) {
        const std::u16string path = m_folder + newName;
        m_archive = zip::OpenFromFile(path.c_str(), Password());
    }
}

void CSkinSource::SetArchiveMemory(const void* data, std::size_t size, const char* password)
{
    StorePassword(password);
    if (m_archiveName == kMemoryArchiveName)
        return;
    CloseArchive();
    m_archiveName = kMemoryArchiveName;
    // Nothing could reopen a memory block later, so it is kept open whatever the flag said.
    m_keepArchiveOpen = true;
    m_archive = zip::OpenFromMemory(data, size, Password());
}

void CSkinSource::CloseArchive()
{
    if (m_archive != nullptr) {
        zip::Close(m_archive);
        m_archive = nullptr;
    }
}

SkinReadResult CSkinSource::ReadFile(const char16_t* name, std::size_t maxSize, std::vector<std::uint8_t>& bytes) const
{
    bytes.clear();
    if (m_archiveName.empty())
        return ReadPath(m_folder + name, maxSize, bytes);
    return ReadMember(name, maxSize, bytes);
}

SkinReadResult CSkinSource::ReadPath(const std::u16string& path, std::size_t maxSize, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    const std::filesystem::path local = LocalFilePath(path);
    std::error_code error;
    // Only regular files: a folder of that name cannot be read as one, and opening a pipe or a
    // device could block the UI thread for ever.
    if (local.empty() || !std::filesystem::is_regular_file(local, error))
        return SkinReadResult::OpenFailed;
    std::ifstream in(local, std::ios::binary);
    if (!in)
        return SkinReadResult::OpenFailed;
    const auto size = std::filesystem::file_size(local, error);
    if (error)
        return SkinReadResult::OpenFailed;
    if (size == 0)
        return SkinReadResult::Empty;
    if (size > maxSize)
        return SkinReadResult::TooLarge;
    try {
        // One spare zero byte after the data, so that text formats can be read as strings.
        bytes.resize(std::size_t(size) + 1, 0);
    } catch (const std::bad_alloc&) {
        return SkinReadResult::ReadFailed;
    }
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) < size) {
        bytes.clear();
        return SkinReadResult::ReadFailed;
    }
    bytes.pop_back();
    return SkinReadResult::Ok;
}

SkinReadResult CSkinSource::ReadMember(const char16_t* name, std::size_t maxSize,
                                       std::vector<std::uint8_t>& bytes) const
{
    // A kept-open archive (always so for one given as a memory block) is used as it is and stays
    // open; otherwise the archive file is opened for this read only.
    zip::HARCHIVE archive = m_keepArchiveOpen ? m_archive : nullptr;
    zip::ZipArchivePtr openedHere;
    if (archive == nullptr) {
        const std::u16string path = m_folder + m_archiveName;
        openedHere.reset(zip::OpenFromFile(path.c_str(), Password()));
        archive = openedHere.get();
    }
    if (archive == nullptr)
        return SkinReadResult::ArchiveFailed;
    std::int32_t index = -1;
    zip::TZipEntry entry;
    if (zip::FindMember(archive, name, true, &index, &entry) != zip::kZipOk || index < 0)
        return SkinReadResult::MemberNotFound;
    if (entry.uncompressedSize <= 0)
        return SkinReadResult::Empty;
    if (static_cast<std::uint64_t>(entry.uncompressedSize) > maxSize)
        return SkinReadResult::TooLarge;
    try {
        bytes.resize(static_cast<std::size_t>(entry.uncompressedSize));
    } catch (const std::bad_alloc&) {
        return SkinReadResult::ReadFailed;
    }
    const zip::ZipResult result = zip::ExtractToMemory(archive, index, bytes.data(), bytes.size());
    if (result != zip::kZipOk && result != zip::kZipMoreData) {
        bytes.clear();
        return SkinReadResult::ReadFailed;
    }
    return SkinReadResult::Ok;
}

} // namespace ui
