// The traditional PKWARE password cipher of ZIP members. The keys are kept in locals inside the
// block loops so that the compiler can hold them in registers: the cipher is strictly serial, one
// byte at a time, and this loop is most of what extracting a stored member costs.
#include "ui/skin/ZipCrypto.h"

#include <array>

namespace ui {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

inline std::uint32_t Crc(std::uint32_t crc, std::uint8_t b)
{
    return kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

// The keystream byte depends only on key 2; "| 2" keeps the product's low bits non-trivial.
inline std::uint8_t StreamByte(std::uint32_t key2)
{
    std::uint32_t t = (key2 | 2) & 0xFFFF;
    return std::uint8_t((t * (t ^ 1)) >> 8);
}

inline void Stir(std::uint32_t& k0, std::uint32_t& k1, std::uint32_t& k2, std::uint8_t plain)
{
    k0 = Crc(k0, plain);
    k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
    k2 = Crc(k2, std::uint8_t(k1 >> 24));
}

} // namespace

std::uint32_t CZipCrypto::CrcStep(std::uint32_t crc, std::uint8_t byte)
{
    return Crc(crc, byte);
}

void CZipCrypto::Init(const char* password)
{
    m_key0 = 0x12345678;
    m_key1 = 0x23456789;
    m_key2 = 0x34567890;
    if (password == nullptr)
        return;
    for (const char* p = password; *p != '\0'; ++p)
        Stir(m_key0, m_key1, m_key2, std::uint8_t(*p));
}

void CZipCrypto::Decrypt(const std::uint8_t* src, std::uint8_t* dst, std::size_t n)
{
    std::uint32_t k0 = m_key0, k1 = m_key1, k2 = m_key2;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t plain = src[i] ^ StreamByte(k2);
        dst[i] = plain;
        Stir(k0, k1, k2, plain);
    }
    m_key0 = k0;
    m_key1 = k1;
    m_key2 = k2;
}

void CZipCrypto::Encrypt(const std::uint8_t* src, std::uint8_t* dst, std::size_t n)
{
    std::uint32_t k0 = m_key0, k1 = m_key1, k2 = m_key2;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t plain = src[i];
        dst[i] = plain ^ StreamByte(k2);
        Stir(k0, k1, k2, plain);
    }
    m_key0 = k0;
    m_key1 = k1;
    m_key2 = k2;
}

bool CZipCrypto::CheckHeader(const std::uint8_t (&header)[kHeaderSize], std::uint8_t checkByte)
{
    std::uint8_t plain[kHeaderSize];
    Decrypt(header, plain, kHeaderSize);
    return plain[kHeaderSize - 1] == checkByte;
}

} // namespace ui
