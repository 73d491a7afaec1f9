// The traditional PKWARE password cipher of ZIP members: three 32-bit keys stirred by every plain
// byte through CRC-32, and the 12-byte header that opens each encrypted member's data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

class CZipCrypto
{
public:
    static constexpr std::size_t kHeaderSize = 12;

    // Keys before any password byte; an absent password leaves them like this.
    CZipCrypto() = default;

    // Resets the keys and stirs in every byte of the password (null or empty: no bytes).
    void Init(const char* password);

    // Decrypts n bytes from src to dst; src and dst may be the same buffer.
    void Decrypt(const std::uint8_t* src, std::uint8_t* dst, std::size_t n);
    void Encrypt(const std::uint8_t* src, std::uint8_t* dst, std::size_t n);

    // Decrypts an encryption header and tells whether its last byte matches the expected check
    // byte (the high byte of the member's CRC, or of its DOS time when sizes follow the data).
    bool CheckHeader(const std::uint8_t (&header)[kHeaderSize], std::uint8_t checkByte);

    // One step of the reflected CRC-32 (polynomial 0xEDB88320), the building block of the keys.
    static std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t byte);

private:
    std::uint32_t m_key0 = 0x12345678;
    std::uint32_t m_key1 = 0x23456789;
    std::uint32_t m_key2 = 0x34567890;
};

} // namespace ui
