// Builds a ZIP archive in memory the way skins are shipped: deflated (or stored when deflate does
// not help) members with traditional PKWARE encryption, in sorted order with fixed timestamps, so
// that the same input always gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skintool {

class CArchiveWriter
{
public:
    // An empty password writes unencrypted members.
    explicit CArchiveWriter(std::string password) : m_password(std::move(password)) {}

    // Adds a member; name is its stored name (forward slashes, no leading slash).
    void Add(std::string name, std::vector<std::uint8_t> data);

    // Writes every member, sorted by name, into out. False when the archive would need the 64-bit
    // extensions (more than 65535 members or 4 GiB), which skins never do.
    bool Finish(std::vector<std::uint8_t>& out);

private:
    struct Member
    {
        std::string name;
        std::vector<std::uint8_t> data;
    };

    std::string m_password;
    std::vector<Member> m_members;
};

} // namespace skintool
