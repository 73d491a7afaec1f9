// Choosing the window backend from the build's table: the requested one first, then the available
// ones in order; a backend that cannot start is passed over and never tried twice.
#include "platform/WindowBackends.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/ScopedEnvironmentVariable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using platform::IWindowBackend;
using platform::WindowBackendEntry;

// What the fake entries were asked to do, in order: "create:<name>".
std::vector<std::string> g_calls;
bool g_displayThere = false;

class NamedBackend : public platform::HeadlessBackend
{
public:
    explicit NamedBackend(const char* name) : m_name(name) {}
    const char* Name() const override { return m_name; }

private:
    const char* m_name;
};

bool DisplayThere()
{
    return g_displayThere;
}
bool Always()
{
    return true;
}
std::unique_ptr<IWindowBackend> CreateWindowed()
{
    g_calls.push_back("create:windowed");
    return std::make_unique<NamedBackend>("windowed");
}
std::unique_ptr<IWindowBackend> FailToStart()
{
    g_calls.push_back("create:broken");
    return nullptr;
}
std::unique_ptr<IWindowBackend> CreateMemory()
{
    g_calls.push_back("create:memory");
    return std::make_unique<NamedBackend>("memory");
}

const WindowBackendEntry kTable[] = {
    {"windowed", DisplayThere, CreateWindowed},
    {"broken", Always, FailToStart},
    {"memory", Always, CreateMemory},
};

std::string Chosen(std::string_view requested)
{
    g_calls.clear();
    auto backend = platform::ChooseWindowBackend(kTable, requested);
    return backend ? backend->Name() : "none";
}

TEST(WindowBackendChoice, TakesTheFirstAvailableThatStartsWhenNoneIsNamed)
{
    g_displayThere = true;
    EXPECT_EQ(Chosen(""), "windowed");
    EXPECT_EQ(g_calls, std::vector<std::string>({"create:windowed"}));

    g_displayThere = false;
    EXPECT_EQ(Chosen(""), "memory");
    EXPECT_EQ(g_calls, std::vector<std::string>({"create:broken", "create:memory"}));

    // A name the table does not have is no request at all.
    EXPECT_EQ(Chosen("nonesuch"), "memory");
}

TEST(WindowBackendChoice, ANamedBackendIsTriedFirstEvenWhereItReportsItselfUnavailable)
{
    g_displayThere = false;
    EXPECT_EQ(Chosen("windowed"), "windowed");
    EXPECT_EQ(g_calls, std::vector<std::string>({"create:windowed"}));

    g_displayThere = true;
    EXPECT_EQ(Chosen("memory"), "memory");
    EXPECT_EQ(g_calls, std::vector<std::string>({"create:memory"}));
}

TEST(WindowBackendChoice, ANamedBackendThatCannotStartFallsBackWithoutASecondTry)
{
    g_displayThere = false;
    EXPECT_EQ(Chosen("broken"), "memory");
    EXPECT_EQ(g_calls, std::vector<std::string>({"create:broken", "create:memory"}));
}

TEST(WindowBackendChoice, NothingWhenNoBackendStarts)
{
    const WindowBackendEntry none[] = {{"broken", Always, FailToStart}};
    g_calls.clear();
    EXPECT_EQ(platform::ChooseWindowBackend(none, "broken"), nullptr);
    EXPECT_EQ(g_calls, std::vector<std::string>({"create:broken"}));
}

TEST(WindowBackendChoice, TheBuildsTableEndsWithTheBackendThatAlwaysStarts)
{
    const auto table = platform::WindowBackends();
    ASSERT_FALSE(table.empty());
    EXPECT_STREQ(table.back().name, "headless");
    EXPECT_TRUE(table.back().available());

    std::unique_ptr<platform::IWindowBackend> backend;
    {
        const ScopedEnvironmentVariable asked("TVU_PLATFORM", "headless");
        backend = platform::WindowSystem::CreateDefaultBackend();
    }
    ASSERT_NE(backend, nullptr);
    EXPECT_STREQ(backend->Name(), "headless");
}

} // namespace
