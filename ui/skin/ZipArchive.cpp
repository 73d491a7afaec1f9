// The skin archive reader's entry points: handles, the last result and its message. The reading
// itself is CZipReader's (ZipReader.cpp).
#include "ui/skin/ZipArchive.h"

#include "platform/TextEncoding.h"
#include "ui/core/LocalPath.h"
#include "ui/skin/ZipReader.h"

#include <memory>
#include <new>
#include <string>

namespace ui::zip {

namespace {

ZipResult s_lastResult = kZipOk;

ZipResult Store(ZipResult result)
{
    s_lastResult = result;
    return result;
}

// UTF-16 to UTF-8; false for unpaired surrogates, which no stored name can hold.
bool ToUtf8(const char16_t* text, std::string& out)
{
    out.clear();
    return platform::AppendUtf16AsUtf8(text, out, platform::UnpairedSurrogate::Reject);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------------------------

namespace {

// Checks a handle; kZipOk when it is a reader.
ZipResult CheckHandle(HARCHIVE archive)
{
    if (archive == nullptr)
        return kZipBadArguments;
    if (archive->kind != kZipKindReader || archive->reader == nullptr)
        return kZipMixedUse;
    return kZipOk;
}

HARCHIVE OpenSource(std::unique_ptr<ZipSource> source, const char* password)
{
    auto reader = std::make_unique<CZipReader>(std::move(source), password);
    if (ZipResult r = reader->ReadDirectory(); r != kZipOk) {
        Store(r);
        return nullptr;
    }
    auto handle = std::make_unique<TArchiveHandle>();
    handle->kind = kZipKindReader;
    handle->reader = reader.release();
    Store(kZipOk);
    return handle.release();
}

struct ResultText
{
    ZipResult code;
    const char* message;
};

// The messages are the system's own texts, spelling included.
constexpr ResultText kResultTexts[] = {
    {kZipOk, "Success"},
    {kZipDuplicateHandle, "Culdn't duplicate handle"},
    {kZipOpenFile, "Couldn't create/open file"},
    {kZipNoMemory, "Failed to allocate memory"},
    {kZipWriteFile, "Error writing to file"},
    {kZipNotFound, "File not found in the zipfile"},
    {kZipMoreData, "Still more data to unzip"},
    {kZipCorrupt, "Zipfile is corrupt or not a zipfile"},
    {kZipReadFile, "Error reading file"},
    {kZipPassword, "Correct password required"},
    {kZipBadArguments, "Caller: faulty arguments"},
    {kZipNotMemoryArchive, "Caller: can only get memory of a memory zipfile"},
    {kZipMemorySize, "Caller: not enough space allocated for memory zipfile"},
    {kZipPreviousError, "Caller: there was a previous error"},
    {kZipAlreadyEnded, "Caller: additions to the zip have already been ended"},
    {kZipWrongSize, "Zip-bug: the anticipated size turned out wrong"},
    {kZipPartlyUnzipped, "Caller: the file had already been partially unzipped"},
    {kZipMixedUse, "Caller: mixing creation and opening of zip"},
    {kZipNotInitialised, "Zip-bug: internal initialisation not completed"},
    {kZipUnseekable, "Zip-bug: trying to seek the unseekable"},
    {kZipChangedMind, "Zip-bug: tried to change mind, but not allowed"},
    {kZipFlateError, "Zip-bug: an internal error during flation"},
};

const char* MessageOf(ZipResult code)
{
    if (code == kZipLastResult)
        code = s_lastResult;
    for (const ResultText& t : kResultTexts) {
        if (t.code == code)
            return t.message;
    }
    return "unknown zip result code";
}

} // namespace

HARCHIVE OpenFromMemory(const void* block, std::size_t length, const char* password)
{
    if (block == nullptr) {
        Store(kZipBadArguments);
        return nullptr;
    }
    try {
        return OpenSource(std::make_unique<MemorySource>(block, length), password);
    } catch (const std::bad_alloc&) {
        Store(kZipNoMemory);
        return nullptr;
    }
}

HARCHIVE OpenFromFile(const char* path, const char* password)
{
    if (path == nullptr || *path == '\0') {
        Store(kZipBadArguments);
        return nullptr;
    }
    try {
        // Skin settings and skins written for Windows separate folders with backslashes (the skin
        // folder always ends in one).
        std::string local(path);
        UseForwardSlashes(local);
        auto source = std::make_unique<FileSource>();
        if (!source->Open(FilePath(local))) {
            Store(kZipOpenFile);
            return nullptr;
        }
        return OpenSource(std::move(source), password);
    } catch (const std::bad_alloc&) {
        Store(kZipNoMemory);
        return nullptr;
    }
}

HARCHIVE OpenFromFile(const char16_t* path, const char* password)
{
    std::string narrow;
    if (path == nullptr || !ToUtf8(path, narrow)) {
        Store(kZipBadArguments);
        return nullptr;
    }
    return OpenFromFile(narrow.c_str(), password);
}

ZipResult FindMember(HARCHIVE archive, const char* name, bool ignoreCase, std::int32_t* index, TZipEntry* entry)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk)
        return Store(r);
    if (name == nullptr)
        return Store(kZipBadArguments);
    try {
        return Store(archive->reader->Find(name, ignoreCase, index, entry));
    } catch (const std::bad_alloc&) {
        return Store(kZipNoMemory);
    }
}

ZipResult FindMember(HARCHIVE archive, const char16_t* name, bool ignoreCase, std::int32_t* index, TZipEntry* entry)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk)
        return Store(r);
    if (name == nullptr)
        return Store(kZipBadArguments);
    std::string narrow;
    if (!ToUtf8(name, narrow)) {
        if (index != nullptr)
            *index = -1;
        if (entry != nullptr)
            *entry = TZipEntry{};
        return Store(kZipNotFound);
    }
    return FindMember(archive, narrow.c_str(), ignoreCase, index, entry);
}

std::int32_t MemberCount(HARCHIVE archive)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk) {
        Store(r);
        return 0;
    }
    Store(kZipOk);
    return archive->reader->Count();
}

ZipResult GetMember(HARCHIVE archive, std::int32_t index, TZipEntry* entry)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk)
        return Store(r);
    try {
        return Store(archive->reader->Describe(index, entry));
    } catch (const std::bad_alloc&) {
        return Store(kZipNoMemory);
    }
}

ZipResult ExtractToMemory(HARCHIVE archive, std::int32_t index, void* buffer, std::size_t length)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk)
        return Store(r);
    if (buffer == nullptr && length != 0)
        return Store(kZipBadArguments);
    std::uint8_t none = 0;
    try {
        return Store(archive->reader->Extract(index, buffer ? static_cast<std::uint8_t*>(buffer) : &none, length));
    } catch (const std::bad_alloc&) {
        return Store(kZipNoMemory);
    }
}

ZipResult ExtractToFile(HARCHIVE archive, std::int32_t index, const char* path)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk)
        return Store(r);
    if (path == nullptr)
        return Store(kZipBadArguments);
    try {
        return Store(archive->reader->ExtractFile(index, path));
    } catch (const std::bad_alloc&) {
        return Store(kZipNoMemory);
    }
}

ZipResult SetBaseDirectory(HARCHIVE archive, const char* directory)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk)
        return Store(r);
    try {
        archive->reader->SetBaseDirectory(directory != nullptr ? directory : "");
    } catch (const std::bad_alloc&) {
        return Store(kZipNoMemory);
    }
    return Store(kZipOk);
}

ZipResult Close(HARCHIVE archive)
{
    if (ZipResult r = CheckHandle(archive); r != kZipOk)
        return Store(r);
    std::unique_ptr<CZipReader> reader(archive->reader);
    std::unique_ptr<TArchiveHandle> handle(archive);
    handle->kind = 0;
    handle->reader = nullptr;
    return Store(kZipOk);
}

std::size_t FormatResult(ZipResult code, char* buffer, std::size_t capacity)
{
    const char* message = MessageOf(code);
    std::size_t length = std::strlen(message);
    if (buffer != nullptr && capacity > 0) {
        std::size_t n = std::min(length, capacity - 1);
        std::memcpy(buffer, message, n);
        buffer[n] = '\0';
    }
    return length;
}

std::string ResultMessage(ZipResult code)
{
    return MessageOf(code);
}

ZipResult LastResult()
{
    return s_lastResult;
}

} // namespace ui::zip
