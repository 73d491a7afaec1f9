// CSkinSource: where the files of a skin are read from. Either a folder, or an archive inside that
// folder (opened for every read, or opened once and kept open, or a block of memory), with the
// archive's password. Markup documents and images read their skin files through one of these.
#pragma once

#include "ui/skin/ZipArchive.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// How reading one skin file ended.
enum class SkinReadResult
{
    Ok,
    OpenFailed,     // no regular file of that name in the folder, or it cannot be opened
    ArchiveFailed,  // the archive cannot be opened
    MemberNotFound, // the archive holds no member of that name
    Empty,
    TooLarge,
    ReadFailed, // the file or member comes up short or does not extract
};

class CSkinSource
{
public:
    // Capacity of the stored password, terminating zero included; longer passwords are cut.
    static constexpr std::size_t kPasswordCapacity = 64;
    // The name a memory archive goes by.
    static constexpr const char16_t* kMemoryArchiveName = u"membuffer";

    CSkinSource() = default;
    ~CSkinSource();
    CSkinSource(const CSkinSource&) = delete;
    CSkinSource& operator=(const CSkinSource&) = delete;

    // The source the process's window managers are configured with (their skin settings feed it);
    // loads that are handed no source of their own read through it.
    static CSkinSource& Process();

    // The path prefix of every skin file; a separator is appended when the path does not end in one.
    void SetFolder(const char16_t* path);
    const char16_t* Folder() const { return m_folder.c_str(); }

    // Names an archive file inside the folder. With keepOpen the archive is opened at once and
    // stays open; otherwise every read opens it anew. The password is stored either way.
    void SetArchive(const char16_t* name, bool keepOpen, const char* password);
    // Uses an archive held in memory (named kMemoryArchiveName). The block is read in place: it
    // must stay valid while the archive is open. A memory archive is always kept open.
    void SetArchiveMemory(const void* data, std::size_t size, const char* password);
    // Empty when no archive is configured.
    const char16_t* ArchiveName() const { return m_archiveName.c_str(); }
    // Null when no password is set.
    const char* Password() const;
    bool IsArchiveKeptOpen() const { return m_keepArchiveOpen; }
    // The kept-open archive, or null.
    zip::HARCHIVE KeptArchive() const { return m_archive; }
    void CloseArchive();

    // Reads a file of the skin: from the folder, or, when an archive is configured, the member of
    // that name (case ignored) from the archive. Files larger than maxSize are not read.
    SkinReadResult ReadFile(const char16_t* name, std::size_t maxSize, std::vector<std::uint8_t>& bytes) const;
    // Reads a regular file at a path (backslashes read as separators); the same results as ReadFile.
    static SkinReadResult ReadPath(const std::u16string& path, std::size_t maxSize, std::vector<std::uint8_t>& bytes);

private:
    SkinReadResult ReadMember(const char16_t* name, std::size_t maxSize, std::vector<std::uint8_t>& bytes) const;
    void StorePassword(const char* password);

    std::u16string m_folder;
    std::u16string m_archiveName;
    char m_password[kPasswordCapacity] = {};
    bool m_keepArchiveOpen = true;
    zip::HARCHIVE m_archive = nullptr;
};

} // namespace ui
