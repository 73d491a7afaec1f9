// The archive reader behind the entry points of ZipArchive.h: the central directory read once,
// members found by name, and extraction that can stop when the caller's buffer is full and go on
// with the next call.
#pragma once

#include "ui/skin/ZipArchive.h"
#include "ui/skin/ZipCrypto.h"
#include "ui/skin/ZipSource.h"

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui::zip {

struct MemberRecord
{
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localOffset = 0; // absolute, prefix already added
    std::uint32_t attributes = 0;
    std::int64_t modifyTime = 0;
    std::int64_t accessTime = 0;
    std::int64_t creationTime = 0;
};

class CZipReader
{
public:
    CZipReader(std::unique_ptr<ZipSource> source, const char* password)
        : m_source(std::move(source)), m_hasPassword(password != nullptr), m_password(password ? password : "")
    {
    }
    ~CZipReader() { Abandon(); }

    ZipResult ReadDirectory();
    ZipResult Find(const std::string& name, bool ignoreCase, std::int32_t* index, TZipEntry* entry);
    ZipResult Describe(std::int32_t index, TZipEntry* entry) const;
    ZipResult Extract(std::int32_t index, std::uint8_t* buffer, std::size_t length);
    ZipResult ExtractFile(std::int32_t index, const std::string& path);
    std::int32_t Count() const { return std::int32_t(m_members.size()); }
    void SetBaseDirectory(std::string directory) { m_baseDirectory = std::move(directory); }

private:
    // State of a member whose extraction stopped because the caller's buffer was full.
    struct Extraction
    {
        bool active = false;
        bool encrypted = false;
        std::uint16_t method = 0;
        std::uint64_t inputOffset = 0; // next unread byte of member data
        std::uint64_t inputLeft = 0;   // member data bytes not yet read
        std::uint64_t produced = 0;
        std::uint32_t crc = 0;
        CZipCrypto keys;
        z_stream stream{};
        bool inflating = false;
        bool streamEnded = false;
        bool hasPending = false; // one byte inflated past a full buffer, delivered next call
        std::uint8_t pending = 0;
    };

    enum class Flow
    {
        Done, // the member's data is exhausted (stored) or its stream has ended (deflate)
        Full, // the output space is used up
    };

    ZipResult Begin(std::int32_t index);
    void Abandon();
    ZipResult Finish();
    ZipResult FailureOf(ZipResult plain) const;
    ZipResult CopyStored(std::uint8_t* out, std::size_t length, std::size_t& written, Flow& flow);
    ZipResult InflateInto(std::uint8_t* out, std::size_t length, std::size_t& written, Flow& flow);
    ZipResult RefillInput();

    std::unique_ptr<ZipSource> m_source;
    bool m_hasPassword;
    std::string m_password;
    std::vector<MemberRecord> m_members;
    std::uint64_t m_directoryStart = 0; // absolute offset: member data must end before it
    std::int32_t m_current = -1;
    Extraction m_x;
    std::vector<std::uint8_t> m_piece; // decrypted input for inflate
    std::string m_baseDirectory;       // where relative extraction paths start
};

} // namespace ui::zip
