// The program that GoogleTest's and GoogleMock's headers are precompiled for (tests/CMakeLists.txt).
// It runs no test; every test binary reuses its precompiled headers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
