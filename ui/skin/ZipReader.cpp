// The container walk (end record, central directory, local headers), member lookup and extraction
// with decryption and raw inflate. Every offset and size read from the archive is checked against
// the source before it is used, so a hostile archive ends in a result code.
#include "ui/skin/ZipReader.h"

#include "ui/core/LocalPath.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

namespace ui::zip {

namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::size_t kPieceSize = 0x4000;
// Lookup names are converted into a 260-byte buffer; a longer name cannot be a member's name.
constexpr std::size_t kMaxLookupName = 259;

constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflate = 8;

inline std::uint16_t Read16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

inline std::uint32_t Read32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

// ---------------------------------------------------------------------------------------------
// Names
// ---------------------------------------------------------------------------------------------

// Backslashes become slashes, leading slashes go and runs of slashes collapse into one, so that
// "\img\\close.png" and "/img/close.png" both look up "img/close.png".
std::string NormaliseLookupName(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c == '\\')
            c = '/';
        if (c == '/' && (out.empty() || out.back() == '/'))
            continue;
        out += c;
    }
    return out;
}

inline char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool NamesEqual(const std::string& a, const std::string& b, bool ignoreCase)
{
    if (a.size() != b.size())
        return false;
    if (!ignoreCase)
        return a == b;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Times and attributes
// ---------------------------------------------------------------------------------------------

// Days from 1970-01-01 to a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

std::int64_t DosTimeToUnix(std::uint16_t date, std::uint16_t time)
{
    unsigned year = 1980 + (date >> 9);
    unsigned month = std::clamp<unsigned>((date >> 5) & 0x0F, 1, 12);
    unsigned day = std::clamp<unsigned>(date & 0x1F, 1, 31);
    std::int64_t seconds = (time >> 11) * 3600 + ((time >> 5) & 0x3F) * 60 + (time & 0x1F) * 2;
    return DaysFromCivil(year, month, day) * 86400 + seconds;
}

// Windows attributes from the external attributes: DOS-made archives store them directly, Unix-made
// ones store the file mode in the upper half.
std::uint32_t AttributesOf(std::uint8_t hostSystem, std::uint32_t external, const std::string& name)
{
    constexpr std::uint8_t kHostUnix = 3;
    std::uint32_t attributes = 0;
    if (hostSystem == kHostUnix && (external >> 16) != 0) {
        std::uint32_t mode = external >> 16;
        if ((mode & 0170000) == 0040000)
            attributes |= kZipAttrDirectory;
        if ((mode & 0200) == 0)
            attributes |= kZipAttrReadOnly;
    } else {
        attributes = external & 0x3F;
    }
    if (!name.empty() && name.back() == '/')
        attributes |= kZipAttrDirectory;
    std::size_t base = name.find_last_of('/', name.size() >= 2 ? name.size() - 2 : 0);
    base = base == std::string::npos ? 0 : base + 1;
    if (base < name.size() && name[base] == '.')
        attributes |= kZipAttrHidden;
    if ((attributes & kZipAttrDirectory) == 0)
        attributes |= kZipAttrArchive;
    return attributes;
}

// The extended timestamp extra field (0x5455) carries UTC times; the central directory copy holds
// at most the modification time.
void ReadExtraTimes(const std::uint8_t* extra, std::size_t length, MemberRecord& member)
{
    std::size_t pos = 0;
    while (pos + 4 <= length) {
        std::uint16_t id = Read16(extra + pos);
        std::uint16_t size = Read16(extra + pos + 2);
        pos += 4;
        if (size > length - pos)
            return;
        if (id == 0x5455 && size >= 5) {
            std::uint8_t present = extra[pos];
            if (present & 1) {
                std::int64_t mtime = std::int32_t(Read32(extra + pos + 1));
                member.modifyTime = member.accessTime = member.creationTime = mtime;
            }
        }
        pos += size;
    }
}

} // namespace

ZipResult CZipReader::ReadDirectory()
{
    const std::uint64_t size = m_source->Size();
    if (size < kEndRecordSize)
        return kZipCorrupt;

    // The end record sits at the very end unless a comment follows it. Prefer a record whose
    // comment length reaches exactly to the end; accept trailing bytes after it otherwise.
    const std::size_t tailSize = std::size_t(std::min<std::uint64_t>(size, kEndRecordSize + kMaxCommentSize));
    const std::uint64_t tailStart = size - tailSize;
    std::vector<std::uint8_t> tail(tailSize);
    if (!m_source->Read(tailStart, tail.data(), tailSize))
        return kZipReadFile;
    std::int64_t found = -1;
    for (int pass = 0; pass < 2 && found < 0; ++pass) {
        for (std::int64_t i = std::int64_t(tailSize - kEndRecordSize); i >= 0; --i) {
            const std::uint8_t* p = tail.data() + i;
            if (Read32(p) != kEndRecordSignature)
                continue;
            std::uint64_t end = std::uint64_t(i) + kEndRecordSize + Read16(p + 20);
            if (pass == 0 ? end == tailSize : end <= tailSize) {
                found = i;
                break;
            }
        }
    }
    if (found < 0)
        return kZipCorrupt;

    const std::uint8_t* end = tail.data() + found;
    const std::uint64_t endOffset = tailStart + std::uint64_t(found);
    std::uint16_t disk = Read16(end + 4), directoryDisk = Read16(end + 6);
    std::uint16_t entriesHere = Read16(end + 8), entries = Read16(end + 10);
    std::uint32_t directorySize = Read32(end + 12), directoryOffset = Read32(end + 16);
    // Multi-disk archives and the 64-bit extensions are not part of what this reader accepts.
    if (disk != 0 || directoryDisk != 0 || entriesHere != entries || directorySize == 0xFFFFFFFF ||
        directoryOffset == 0xFFFFFFFF)
        return kZipCorrupt;
    if (std::uint64_t(directoryOffset) + directorySize > endOffset)
        return kZipCorrupt;

    // Bytes in front of the archive (a self-extracting stub) shift every recorded offset. The
    // recorded offset wins when a central header really starts there.
    std::uint64_t prefix = endOffset - directorySize - directoryOffset;
    if (prefix != 0) {
        std::uint8_t sig[4];
        if (m_source->Read(directoryOffset, sig, 4) && Read32(sig) == kCentralHeaderSignature)
            prefix = 0;
    }
    m_directoryStart = prefix + directoryOffset;

    std::vector<std::uint8_t> directory(directorySize);
    if (!m_source->Read(m_directoryStart, directory.data(), directorySize))
        return kZipReadFile;

    m_members.reserve(entries);
    std::size_t pos = 0;
    for (std::uint32_t i = 0; i < entries; ++i) {
        if (directorySize - pos < kCentralHeaderSize)
            return kZipCorrupt;
        const std::uint8_t* h = directory.data() + pos;
        if (Read32(h) != kCentralHeaderSignature)
            return kZipCorrupt;
        std::size_t nameLength = Read16(h + 28), extraLength = Read16(h + 30), commentLength = Read16(h + 32);
        if (directorySize - pos - kCentralHeaderSize < nameLength + extraLength + commentLength)
            return kZipCorrupt;
        MemberRecord m;
        m.flags = Read16(h + 8);
        m.method = Read16(h + 10);
        m.dosTime = Read16(h + 12);
        m.dosDate = Read16(h + 14);
        m.crc = Read32(h + 16);
        m.compressedSize = Read32(h + 20);
        m.uncompressedSize = Read32(h + 24);
        std::uint32_t localOffset = Read32(h + 42);
        if (m.compressedSize == 0xFFFFFFFF || m.uncompressedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF)
            return kZipCorrupt;
        m.localOffset = prefix + localOffset;
        m.name.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
        m.modifyTime = m.accessTime = m.creationTime = DosTimeToUnix(m.dosDate, m.dosTime);
        ReadExtraTimes(h + kCentralHeaderSize + nameLength, extraLength, m);
        m.attributes = AttributesOf(std::uint8_t(Read16(h + 4) >> 8), Read32(h + 38), m.name);
        m_members.push_back(std::move(m));
        pos += kCentralHeaderSize + nameLength + extraLength + commentLength;
    }
    m_piece.resize(kPieceSize);
    return kZipOk;
}

ZipResult CZipReader::Describe(std::int32_t index, TZipEntry* entry) const
{
    if (index < 0 || index >= Count())
        return kZipBadArguments;
    if (entry == nullptr)
        return kZipOk;
    const MemberRecord& m = m_members[std::size_t(index)];
    entry->index = index;
    entry->name = m.name;
    entry->attributes = m.attributes;
    entry->accessTime = m.accessTime;
    entry->creationTime = m.creationTime;
    entry->modifyTime = m.modifyTime;
    entry->compressedSize = std::int64_t(m.compressedSize);
    entry->uncompressedSize = std::int64_t(m.uncompressedSize);
    return kZipOk;
}

ZipResult CZipReader::Find(const std::string& name, bool ignoreCase, std::int32_t* index, TZipEntry* entry)
{
    std::string wanted = NormaliseLookupName(name);
    if (name.size() <= kMaxLookupName) {
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            if (!NamesEqual(m_members[i].name, wanted, ignoreCase))
                continue;
            Abandon();
            if (index != nullptr)
                *index = std::int32_t(i);
            return Describe(std::int32_t(i), entry);
        }
    }
    if (index != nullptr)
        *index = -1;
    if (entry != nullptr)
        *entry = TZipEntry{};
    return kZipNotFound;
}

void CZipReader::Abandon()
{
    if (m_x.inflating)
        inflateEnd(&m_x.stream);
    m_x = Extraction{};
    m_current = -1;
}

// A wrong password slips past the one-byte header check once in 256 tries and then shows up as a
// broken stream or a wrong CRC; for an encrypted member that is the likelier cause than damage.
ZipResult CZipReader::FailureOf(ZipResult plain) const
{
    return m_x.encrypted ? kZipPassword : plain;
}

ZipResult CZipReader::Begin(std::int32_t index)
{
    Abandon();
    const MemberRecord& m = m_members[std::size_t(index)];
    if ((m.flags & kFlagStrongEncryption) != 0 || (m.method != kMethodStored && m.method != kMethodDeflate))
        return kZipCorrupt;

    std::uint8_t local[kLocalHeaderSize];
    if (m.localOffset > m_directoryStart || m_directoryStart - m.localOffset < kLocalHeaderSize)
        return kZipCorrupt;
    if (!m_source->Read(m.localOffset, local, kLocalHeaderSize))
        return kZipReadFile;
    if (Read32(local) != kLocalHeaderSignature)
        return kZipCorrupt;
    std::uint64_t dataStart = m.localOffset + kLocalHeaderSize + Read16(local + 26) + Read16(local + 28);
    if (dataStart > m_directoryStart || m.compressedSize > m_directoryStart - dataStart)
        return kZipCorrupt;

    m_x.encrypted = (m.flags & kFlagEncrypted) != 0;
    m_x.method = m.method;
    m_x.inputOffset = dataStart;
    m_x.inputLeft = m.compressedSize;
    m_x.crc = std::uint32_t(crc32(0, nullptr, 0));

    if (m_x.encrypted) {
        if (m_x.inputLeft < CZipCrypto::kHeaderSize)
            return kZipCorrupt;
        std::uint8_t header[CZipCrypto::kHeaderSize];
        if (!m_source->Read(m_x.inputOffset, header, sizeof header))
            return kZipReadFile;
        m_x.inputOffset += CZipCrypto::kHeaderSize;
        m_x.inputLeft -= CZipCrypto::kHeaderSize;
        std::uint8_t check = (m.flags & kFlagDataDescriptor) ? std::uint8_t(m.dosTime >> 8) : std::uint8_t(m.crc >> 24);
        m_x.keys.Init(m_hasPassword ? m_password.c_str() : nullptr);
        if (!m_x.keys.CheckHeader(header, check))
            return kZipPassword;
    }
    // A stored member's data is its content: sizes that disagree mean the directory lies.
    if (m.method == kMethodStored && m_x.inputLeft != m.uncompressedSize)
        return kZipCorrupt;
    if (m.method == kMethodDeflate) {
        if (inflateInit2(&m_x.stream, -MAX_WBITS) != Z_OK)
            return kZipNoMemory;
        m_x.inflating = true;
    }
    m_x.active = true;
    m_current = index;
    return kZipOk;
}

ZipResult CZipReader::CopyStored(std::uint8_t* out, std::size_t length, std::size_t& written, Flow& flow)
{
    written = 0;
    while (written < length && m_x.inputLeft > 0) {
        std::size_t n = std::size_t(std::min<std::uint64_t>({kPieceSize, m_x.inputLeft, length - written}));
        std::uint8_t* dst = out + written;
        if (const std::uint8_t* src = m_source->View(m_x.inputOffset)) {
            if (m_x.encrypted)
                m_x.keys.Decrypt(src, dst, n);
            else
                std::memcpy(dst, src, n);
        } else {
            if (!m_source->Read(m_x.inputOffset, dst, n))
                return kZipReadFile;
            if (m_x.encrypted)
                m_x.keys.Decrypt(dst, dst, n);
        }
        m_x.inputOffset += n;
        m_x.inputLeft -= n;
        written += n;
    }
    flow = m_x.inputLeft == 0 ? Flow::Done : Flow::Full;
    return kZipOk;
}

// Points the inflate input at the next piece of member data, decrypted when needed. Unencrypted
// data of a memory archive is inflated in place.
ZipResult CZipReader::RefillInput()
{
    std::size_t n = std::size_t(std::min<std::uint64_t>(kPieceSize, m_x.inputLeft));
    const std::uint8_t* src = m_source->View(m_x.inputOffset);
    if (src != nullptr && !m_x.encrypted) {
        m_x.stream.next_in = const_cast<Bytef*>(src);
    } else {
        if (src != nullptr)
            m_x.keys.Decrypt(src, m_piece.data(), n);
        else if (!m_source->Read(m_x.inputOffset, m_piece.data(), n))
            return kZipReadFile;
        else if (m_x.encrypted)
            m_x.keys.Decrypt(m_piece.data(), m_piece.data(), n);
        m_x.stream.next_in = m_piece.data();
    }
    m_x.stream.avail_in = uInt(n);
    m_x.inputOffset += n;
    m_x.inputLeft -= n;
    return kZipOk;
}

ZipResult CZipReader::InflateInto(std::uint8_t* out, std::size_t length, std::size_t& written, Flow& flow)
{
    z_stream& s = m_x.stream;
    written = 0;
    while (written < length) {
        if (s.avail_in == 0 && m_x.inputLeft > 0) {
            if (ZipResult r = RefillInput(); r != kZipOk)
                return r;
        }
        std::size_t room = std::min<std::size_t>(length - written, 0x40000000);
        s.next_out = out + written;
        s.avail_out = uInt(room);
        int status = inflate(&s, Z_NO_FLUSH);
        written += room - s.avail_out;
        if (status == Z_STREAM_END) {
            m_x.streamEnded = true;
            flow = Flow::Done;
            return kZipOk;
        }
        if (status == Z_DATA_ERROR || status == Z_NEED_DICT)
            return FailureOf(kZipCorrupt);
        if (status == Z_MEM_ERROR)
            return kZipNoMemory;
        if (status == Z_BUF_ERROR || status == Z_OK) {
            // No progress with all input consumed: the stream stops before its end.
            if (s.avail_in == 0 && m_x.inputLeft == 0 && s.avail_out != 0)
                return FailureOf(kZipCorrupt);
            continue;
        }
        return kZipFlateError;
    }
    flow = Flow::Full;
    return kZipOk;
}

// The whole member has been produced: its size and CRC must be what the directory says.
ZipResult CZipReader::Finish()
{
    const MemberRecord& m = m_members[std::size_t(m_current)];
    bool sizeOk = m_x.produced == m.uncompressedSize;
    bool crcOk = m_x.crc == m.crc;
    Abandon();
    if (!sizeOk)
        return kZipCorrupt;
    if (!crcOk)
        return m.flags & kFlagEncrypted ? kZipPassword : kZipCorrupt;
    return kZipOk;
}

ZipResult CZipReader::Extract(std::int32_t index, std::uint8_t* buffer, std::size_t length)
{
    if (index < 0 || index >= Count())
        return kZipBadArguments;
    if (!(m_x.active && m_current == index)) {
        if (ZipResult r = Begin(index); r != kZipOk) {
            Abandon();
            return r;
        }
    }

    std::size_t offset = 0;
    if (m_x.hasPending && length > 0) {
        buffer[0] = m_x.pending;
        m_x.hasPending = false;
        offset = 1;
    }
    std::size_t written = 0;
    Flow flow = Flow::Full;
    ZipResult r = kZipOk;
    if (m_x.hasPending)
        flow = Flow::Full; // no room even for the byte held over
    else if (m_x.streamEnded)
        flow = Flow::Done; // only the held-over byte was missing
    else if (m_x.method == kMethodStored)
        r = CopyStored(buffer + offset, length - offset, written, flow);
    else
        r = InflateInto(buffer + offset, length - offset, written, flow);
    if (r != kZipOk) {
        Abandon();
        return r;
    }
    // A byte held over was counted when it was inflated.
    m_x.crc = std::uint32_t(crc32_z(m_x.crc, buffer + offset, written));
    m_x.produced += written;

    // A full buffer may have taken exactly the rest of the member. Inflating one byte more tells
    // whether the stream really continues; that byte is kept for the next call.
    if (flow == Flow::Full && m_x.method == kMethodDeflate && !m_x.hasPending && !m_x.streamEnded) {
        std::uint8_t probe = 0;
        std::size_t extra = 0;
        r = InflateInto(&probe, 1, extra, flow);
        if (r != kZipOk) {
            Abandon();
            return r;
        }
        if (extra == 1) {
            m_x.pending = probe;
            m_x.hasPending = true;
            m_x.crc = std::uint32_t(crc32_z(m_x.crc, &probe, 1));
            m_x.produced += 1;
            return kZipMoreData;
        }
    }
    if (flow == Flow::Full)
        return kZipMoreData;
    return Finish();
}

// Extracts a whole member into a file: a member whose name ends in a slash makes a directory. A
// file that could not be completed is removed rather than left truncated.
ZipResult CZipReader::ExtractFile(std::int32_t index, const std::string& path)
{
    namespace fs = std::filesystem;
    if (index < 0 || index >= Count() || path.empty())
        return kZipBadArguments;
    if (m_x.active && m_current == index)
        return kZipPartlyUnzipped;
    fs::path target = FilePath(path);
    if (target.is_relative() && !m_baseDirectory.empty())
        target = FilePath(m_baseDirectory) / target;
    std::error_code ec;
    const MemberRecord& m = m_members[std::size_t(index)];
    if (!m.name.empty() && m.name.back() == '/') {
        fs::create_directories(target, ec);
        return fs::is_directory(target, ec) ? kZipOk : kZipOpenFile;
    }
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out)
        return kZipOpenFile;

    std::vector<std::uint8_t> buffer(std::size_t(std::min<std::uint64_t>(m.uncompressedSize, 1 << 20)));
    std::uint64_t written = 0;
    ZipResult r = kZipMoreData;
    while (r == kZipMoreData) {
        r = Extract(index, buffer.data(), buffer.size());
        if (r != kZipOk && r != kZipMoreData)
            break;
        // Once finished, the member has exactly its recorded size (Finish checks it).
        std::uint64_t n = r == kZipOk ? m.uncompressedSize - written : buffer.size();
        out.write(reinterpret_cast<const char*>(buffer.data()), std::streamsize(n));
        written += n;
        if (!out) {
            Abandon();
            r = kZipWriteFile;
        }
    }
    out.close();
    if (r == kZipOk && !out)
        r = kZipWriteFile;
    if (r != kZipOk)
        fs::remove(target, ec);
    return r;
}

} // namespace ui::zip
