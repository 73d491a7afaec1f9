// Sets an environment variable of the test process for the life of the object and restores what
// was there before, on every system the tests run on (POSIX setenv, or the C runtime's _putenv_s
// on Windows, which has no setenv).
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnvironmentVariable
{
public:
    ScopedEnvironmentVariable(std::string name, const std::string& value) : m_name(std::move(name))
    {
        if (const char* old = std::getenv(m_name.c_str()))
            m_previous = old;
        Set(value.c_str());
    }
    ~ScopedEnvironmentVariable() { Set(m_previous ? m_previous->c_str() : nullptr); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    // A null value removes the variable.
    void Set(const char* value) const
    {
#ifdef _WIN32
        _putenv_s(m_name.c_str(), value ? value : "");
#else
        if (value)
            setenv(m_name.c_str(), value, 1);
        else
            unsetenv(m_name.c_str());
#endif
    }

    std::string m_name;
    std::optional<std::string> m_previous;
};
