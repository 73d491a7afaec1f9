// Reading the 'name' table: every offset and length in the file is checked against the bytes
// before it is followed, since private fonts may come from a skin anyone can make.
#include "platform/FontNames.h"

#include <set>

namespace platform {

namespace {

class Bytes
{
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Has(std::size_t offset, std::size_t length) const { return offset <= m_size && length <= m_size - offset; }
    std::uint32_t U16(std::size_t at) const { return Has(at, 2) ? std::uint32_t(m_data[at]) << 8 | m_data[at + 1] : 0; }
    std::uint32_t U32(std::size_t at) const { return Has(at, 4) ? U16(at) << 16 | U16(at + 2) : 0; }
    const std::uint8_t* At(std::size_t at) const { return m_data + at; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

constexpr std::uint32_t Tag(const char (&t)[5])
{
    return std::uint32_t(std::uint8_t(t[0])) << 24 | std::uint32_t(std::uint8_t(t[1])) << 16 |
           std::uint32_t(std::uint8_t(t[2])) << 8 | std::uint32_t(std::uint8_t(t[3]));
}

constexpr std::uint32_t kFamilyNameId = 1;
constexpr std::uint32_t kWindowsPlatform = 3;
constexpr std::uint32_t kMacintoshPlatform = 1;
constexpr std::uint32_t kEnglishUnitedStates = 0x409;

// How many table and name records one file may make the reader look at, over all its faces. A real
// collection has a few dozen faces of a few dozen tables and a few hundred names; without a bound,
// a file of a few megabytes whose faces all claim the largest table directory would keep the
// reader busy for hours (every face may point into the same bytes).
constexpr std::size_t kMostRecords = std::size_t(1) << 20;

// Takes `records` from what is left of the budget; false when not that many are left.
bool Spend(std::size_t& budget, std::size_t records)
{
    if (records > budget)
        return false;
    budget -= records;
    return true;
}

// The family of the face whose table directory starts at `face`; empty when it has none or the
// budget of records does not cover it.
std::u16string FaceFamily(const Bytes& bytes, std::size_t face, std::size_t& budget)
{
    const std::uint32_t tables = bytes.U16(face + 4);
    if (!bytes.Has(face + 12, std::size_t(tables) * 16) || !Spend(budget, tables))
        return {};
    std::size_t name = 0, nameLength = 0;
    for (std::uint32_t i = 0; i < tables; ++i) {
        const std::size_t record = face + 12 + std::size_t(i) * 16;
        if (bytes.U32(record) == Tag("name")) {
            name = bytes.U32(record + 8);
            nameLength = bytes.U32(record + 12);
        }
    }
    if (nameLength < 6 || !bytes.Has(name, nameLength))
        return {};
    const Bytes table(bytes.At(name), nameLength);
    const std::uint32_t count = table.U16(2);
    const std::size_t strings = table.U16(4);
    if (!table.Has(6, std::size_t(count) * 12) || !Spend(budget, count))
        return {};

    // Ranked: 3 the Windows English name, 2 another Windows name, 1 a Macintosh Roman name.
    int bestRank = 0;
    std::u16string best;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t record = 6 + std::size_t(i) * 12;
        const std::uint32_t platform = table.U16(record), encoding = table.U16(record + 2);
        const std::uint32_t language = table.U16(record + 4), id = table.U16(record + 6);
        const std::size_t length = table.U16(record + 8), offset = strings + table.U16(record + 10);
        if (id != kFamilyNameId || length == 0 || !table.Has(offset, length))
            continue;
        int rank = 0;
        if (platform == kWindowsPlatform && (encoding == 0 || encoding == 1 || encoding == 10))
            rank = language == kEnglishUnitedStates ? 3 : 2;
        else if (platform == kMacintoshPlatform && encoding == 0)
            rank = 1;
        if (rank <= bestRank)
            continue;
        std::u16string text;
        if (rank >= 2) {
            // UTF-16, big-endian.
            for (std::size_t k = 0; k + 1 < length; k += 2)
                text += char16_t(table.U16(offset + k));
        } else {
            // Macintosh Roman; family names are ASCII in practice, anything above shows as '?'.
            for (std::size_t k = 0; k < length; ++k) {
                const std::uint8_t c = *table.At(offset + k);
                text += c < 0x80 ? char16_t(c) : u'?';
            }
        }
        bestRank = rank;
        best = std::move(text);
    }
    return best;
}

} // namespace

std::vector<std::u16string> FontFamilyNames(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::u16string> families;
    if (!data)
        return families;
    const Bytes bytes(data, size);
    std::vector<std::size_t> faces;
    const std::uint32_t version = bytes.U32(0);
    if (version == Tag("ttcf")) {
        const std::uint32_t count = bytes.U32(8);
        if (!bytes.Has(12, std::size_t(count) * 4))
            return families;
        for (std::uint32_t i = 0; i < count; ++i)
            faces.push_back(bytes.U32(12 + std::size_t(i) * 4));
    } else if (version == 0x00010000 || version == Tag("OTTO") || version == Tag("true")) {
        faces.push_back(0);
    }
    std::size_t budget = kMostRecords;
    std::set<std::u16string> seen; // a hostile collection may name a great many families
    for (const std::size_t face : faces) {
        if (budget == 0)
            break;
        std::u16string family = FaceFamily(bytes, face, budget);
        if (!family.empty() && seen.insert(family).second)
            families.push_back(std::move(family));
    }
    return families;
}

} // namespace platform
