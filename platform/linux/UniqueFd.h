// A file descriptor owned by one object and closed when it goes.
#pragma once

#include <unistd.h>

namespace platform::linux_impl {

class UniqueFd
{
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    ~UniqueFd()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    // Closes what is held and takes fd instead.
    void Reset(int fd)
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = fd;
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace platform::linux_impl
