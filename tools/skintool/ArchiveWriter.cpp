// Deterministic archive building for skintool pack.
#include "tools/skintool/ArchiveWriter.h"

#include "ui/skin/ZipCrypto.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace skintool {

namespace {

// 1980-01-01 00:00:00, the earliest DOS date: a fixed time keeps the bytes reproducible.
constexpr std::uint16_t kFixedDosTime = 0;
constexpr std::uint16_t kFixedDosDate = (0 << 9) | (1 << 5) | 1;
// Made by "Unix, 3.0", so that the external attributes carry a file mode (rw-r--r--).
constexpr std::uint16_t kVersionMadeBy = (3 << 8) | 30;
constexpr std::uint16_t kVersionNeeded = 20;
constexpr std::uint32_t kExternalAttributes = 0100644u << 16;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

bool Deflate(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out)
{
    z_stream s{};
    if (deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    out.resize(deflateBound(&s, uLong(in.size())));
    s.next_in = const_cast<Bytef*>(in.data());
    s.avail_in = uInt(in.size());
    s.next_out = out.data();
    s.avail_out = uInt(out.size());
    int status = deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return status == Z_STREAM_END;
}

// The eleven leading bytes of an encryption header are meant to be random. Here they come from a
// small generator seeded with the member's name and CRC, so that packing twice gives identical
// archives; the twelfth byte is the check byte (the CRC's high byte).
void MakeEncryptionHeader(const std::string& name, std::uint32_t crc, std::uint8_t (&header)[12])
{
    std::uint64_t seed = 0xcbf29ce484222325ull;
    for (unsigned char c : name)
        seed = (seed ^ c) * 0x100000001b3ull;
    seed ^= std::uint64_t(crc) << 32 | crc;
    for (int i = 0; i < 11; ++i) {
        seed += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        header[i] = std::uint8_t(z ^ (z >> 31));
    }
    header[11] = std::uint8_t(crc >> 24);
}

} // namespace

void CArchiveWriter::Add(std::string name, std::vector<std::uint8_t> data)
{
    m_members.push_back({std::move(name), std::move(data)});
}

bool CArchiveWriter::Finish(std::vector<std::uint8_t>& out)
{
    std::sort(m_members.begin(), m_members.end(), [](const Member& a, const Member& b) { return a.name < b.name; });
    if (m_members.size() > 0xFFFF)
        return false;
    const bool encrypt = !m_password.empty();
    out.clear();
    std::vector<std::uint8_t> directory;

    for (const Member& m : m_members) {
        if (m.name.size() > 0xFFFF || m.data.size() >= 0xFFFFFFFFu)
            return false;
        const std::uint32_t crc = std::uint32_t(crc32_z(0, m.data.data(), m.data.size()));
        std::vector<std::uint8_t> payload;
        std::uint16_t method = 8;
        if (!Deflate(m.data, payload))
            return false;
        if (payload.size() >= m.data.size()) {
            payload = m.data;
            method = 0;
        }
        if (encrypt) {
            ui::CZipCrypto keys;
            keys.Init(m_password.c_str());
            std::uint8_t header[12];
            MakeEncryptionHeader(m.name, crc, header);
            keys.Encrypt(header, header, sizeof header);
            keys.Encrypt(payload.data(), payload.data(), payload.size());
            payload.insert(payload.begin(), header, header + sizeof header);
        }
        const std::uint64_t localOffset = out.size();
        if (localOffset + 30 + m.name.size() + payload.size() >= 0xFFFFFFFFu)
            return false;
        const std::uint16_t flags = encrypt ? 1 : 0;

        Put32(out, 0x04034b50);
        Put16(out, kVersionNeeded);
        Put16(out, flags);
        Put16(out, method);
        Put16(out, kFixedDosTime);
        Put16(out, kFixedDosDate);
        Put32(out, crc);
        Put32(out, std::uint32_t(payload.size()));
        Put32(out, std::uint32_t(m.data.size()));
        Put16(out, std::uint32_t(m.name.size()));
        Put16(out, 0);
        out.insert(out.end(), m.name.begin(), m.name.end());
        out.insert(out.end(), payload.begin(), payload.end());

        Put32(directory, 0x02014b50);
        Put16(directory, kVersionMadeBy);
        Put16(directory, kVersionNeeded);
        Put16(directory, flags);
        Put16(directory, method);
        Put16(directory, kFixedDosTime);
        Put16(directory, kFixedDosDate);
        Put32(directory, crc);
        Put32(directory, std::uint32_t(payload.size()));
        Put32(directory, std::uint32_t(m.data.size()));
        Put16(directory, std::uint32_t(m.name.size()));
        Put16(directory, 0); // extra field length
        Put16(directory, 0); // comment length
        Put16(directory, 0); // disk number
        Put16(directory, 0); // internal attributes
        Put32(directory, kExternalAttributes);
        Put32(directory, std::uint32_t(localOffset));
        directory.insert(directory.end(), m.name.begin(), m.name.end());
    }

    const std::uint64_t directoryOffset = out.size();
    if (directoryOffset + directory.size() >= 0xFFFFFFFFu)
        return false;
    out.insert(out.end(), directory.begin(), directory.end());
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, std::uint32_t(m_members.size()));
    Put16(out, std::uint32_t(m_members.size()));
    Put32(out, std::uint32_t(directory.size()));
    Put32(out, std::uint32_t(directoryOffset));
    Put16(out, 0);
    return true;
}

} // namespace skintool
