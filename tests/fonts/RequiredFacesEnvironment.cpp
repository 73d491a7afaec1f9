// The check before a picture binary's first test: the faces of its pictures must be installed (see
// RequiredFaces.cpp and RequiredFacesGdi.cpp, one per system, for what that means there).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Every problem found, one per line; empty when all faces are there.
std::string MissingFacesOfThePictures();

namespace {

// A failure in an environment's SetUp makes Google Test report every test as skipped, which CTest
// counts as passed; the binary ends with an error of its own instead.
class RequiredFaces : public ::testing::Environment
{
public:
    void SetUp() override
    {
        const std::string problems = MissingFacesOfThePictures();
        if (problems.empty())
            return;
        std::fprintf(stderr, "The pictures cannot be drawn as their references were:\n%s", problems.c_str());
        std::fflush(stderr);
        std::exit(1);
    }
};

const auto* const g_requiredFaces = ::testing::AddGlobalTestEnvironment(new RequiredFaces);

} // namespace
