// The skin archive reader: opens a ZIP archive held in memory or in a file, finds members by name
// and extracts them into the caller's buffer, decrypting traditional PKWARE encryption and
// inflating deflate data on the way. Failure is a result code, kept process-wide as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ui::zip {

// Result codes. Their messages (FormatResult) are part of what callers show and compare.
using ZipResult = std::uint32_t;
constexpr ZipResult kZipOk = 0;
constexpr ZipResult kZipDuplicateHandle = 0x100;
constexpr ZipResult kZipOpenFile = 0x200;
constexpr ZipResult kZipNoMemory = 0x300;
constexpr ZipResult kZipWriteFile = 0x400;
constexpr ZipResult kZipNotFound = 0x500;
constexpr ZipResult kZipMoreData = 0x600;
constexpr ZipResult kZipCorrupt = 0x700;
constexpr ZipResult kZipReadFile = 0x800;
constexpr ZipResult kZipPassword = 0x1000;
constexpr ZipResult kZipBadArguments = 0x10000;
constexpr ZipResult kZipNotMemoryArchive = 0x20000;
constexpr ZipResult kZipMemorySize = 0x30000;
constexpr ZipResult kZipPreviousError = 0x40000;
constexpr ZipResult kZipAlreadyEnded = 0x50000;
constexpr ZipResult kZipWrongSize = 0x60000;
constexpr ZipResult kZipPartlyUnzipped = 0x70000;
constexpr ZipResult kZipMixedUse = 0x80000;
constexpr ZipResult kZipNotInitialised = 0x1000000;
constexpr ZipResult kZipUnseekable = 0x2000000;
constexpr ZipResult kZipChangedMind = 0x4000000;
constexpr ZipResult kZipFlateError = 0x5000000;
// Passed where a result code is expected, stands for the last result.
constexpr ZipResult kZipLastResult = 1;

// How the reader names the version of its inflate, whichever zlib it is built with.
constexpr char kInflateVersion[] = "1.1.3";

// Handle kind of an archive opened for reading; every entry point checks it.
constexpr std::uint32_t kZipKindReader = 1;

class CZipReader;

// The archive handle: a small record {kind, reader}, released by Close.
struct TArchiveHandle
{
    std::uint32_t kind = kZipKindReader;
    CZipReader* reader = nullptr;
};
using HARCHIVE = TArchiveHandle*;

// Windows file attribute bits reported in TZipEntry::attributes.
constexpr std::uint32_t kZipAttrReadOnly = 0x01;
constexpr std::uint32_t kZipAttrHidden = 0x02;
constexpr std::uint32_t kZipAttrDirectory = 0x10;
constexpr std::uint32_t kZipAttrArchive = 0x20;

// What a lookup tells about a member. Times are seconds since 1970-01-01 00:00 UTC; archives that
// carry only a DOS time (local time of whoever packed them) have it read as UTC.
struct TZipEntry
{
    std::int32_t index = -1;
    std::string name; // stored name, narrow, as in the archive
    std::uint32_t attributes = 0;
    std::int64_t accessTime = 0;
    std::int64_t creationTime = 0;
    std::int64_t modifyTime = 0;
    std::int64_t compressedSize = 0;   // bytes of data in the archive, encryption header included
    std::int64_t uncompressedSize = 0; // what to allocate for ExtractToMemory
};

// Opens an archive held in memory. The block is read in place, not copied: it must stay valid and
// unchanged until Close. The password is copied; null means none.
HARCHIVE OpenFromMemory(const void* block, std::size_t length, const char* password);

// Opens an archive file (a UTF-8 path, or UTF-16 converted to UTF-8; backslashes count as slashes).
// The file stays open until Close.
HARCHIVE OpenFromFile(const char* path, const char* password);
HARCHIVE OpenFromFile(const char16_t* path, const char* password);

// Finds a member by name. Backslashes count as slashes, leading slashes are dropped and runs of
// slashes collapse; ignoreCase folds ASCII letters. index and entry may be null. A found member
// abandons any extraction in progress. The wide name is converted to UTF-8, the narrow encoding of
// this system's file names.
ZipResult FindMember(HARCHIVE archive, const char16_t* name, bool ignoreCase, std::int32_t* index, TZipEntry* entry);
ZipResult FindMember(HARCHIVE archive, const char* name, bool ignoreCase, std::int32_t* index, TZipEntry* entry);

// Number of members, and the entry of the member at a position of the central directory.
std::int32_t MemberCount(HARCHIVE archive);
ZipResult GetMember(HARCHIVE archive, std::int32_t index, TZipEntry* entry);

// Extracts a member into buffer. kZipOk: the whole member was produced, and its size and CRC checked.
// kZipMoreData: the buffer filled first; calling again with the same index continues where this
// call stopped. Any other result: nothing usable.
ZipResult ExtractToMemory(HARCHIVE archive, std::int32_t index, void* buffer, std::size_t length);

// Extracts a whole member into a file (a UTF-8 path; relative paths start at the base directory).
// A member named with a trailing slash makes a directory. kZipPartlyUnzipped while the member is
// half extracted to memory; a file that could not be completed is removed.
ZipResult ExtractToFile(HARCHIVE archive, std::int32_t index, const char* path);
// Sets where relative ExtractToFile paths start; null or empty: the working directory.
ZipResult SetBaseDirectory(HARCHIVE archive, const char* directory);

// Releases the reader and its source. The handle is invalid afterwards.
ZipResult Close(HARCHIVE archive);

// Copies the message of a result code (kZipLastResult: of the last result) into buffer, at most
// capacity - 1 characters and a terminating zero, and returns the length of the full message.
std::size_t FormatResult(ZipResult code, char* buffer, std::size_t capacity);
std::string ResultMessage(ZipResult code);

// The result of the latest call of an entry point, process-wide.
ZipResult LastResult();

// Closes an archive when the owning pointer goes away.
struct ZipCloser
{
    void operator()(HARCHIVE archive) const { Close(archive); }
};
using ZipArchivePtr = std::unique_ptr<TArchiveHandle, ZipCloser>;

} // namespace ui::zip
