// The manifest's reading rules: order, the end of the list, comments, and the shapes that are
// not the expected array of objects.
#include "app/Manifest.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(Manifest, ListEndsAtEmptyNameMissingNameOrArrayEnd)
{
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a"},{"name":""},{"name":"c"}])"), Names{"a"});
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a"},{"other":"b"},{"name":"c"}])"), Names{"a"});
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a"},null,{"name":"c"}])"), Names{"a"});
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a","size":3},{"name":"sub/b"}])"), (Names{"a", "sub/b"}));
    EXPECT_EQ(ReadManifestNames("[]"), Names{});
}

TEST(Manifest, CommentsAndNonAsciiNamesAreRead)
{
    const Names names = ReadManifestNames(
        "// written by the installer\n[ /* first */ {\"name\": \"d\xC3\xA9j\xC3\xA0/\xE6\x96\x87.txt\"}]");
    EXPECT_EQ(names, Names{"d\xC3\xA9j\xC3\xA0/\xE6\x96\x87.txt"});
}

TEST(Manifest, TextThatIsNotAnArrayOfObjectsListsOnlyTheWellFormedStart)
{
    EXPECT_EQ(ReadManifestNames(""), Names{});
    EXPECT_EQ(ReadManifestNames("not json"), Names{});
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a"},)"), Names{});
    EXPECT_EQ(ReadManifestNames(R"({"name":"a"})"), Names{});
    EXPECT_EQ(ReadManifestNames(R"("a")"), Names{});
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a"},"b",{"name":"c"}])"), Names{"a"});
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a"},{"name":["x"]},{"name":"c"}])"), Names{"a"});
    EXPECT_EQ(ReadManifestNames(R"([{"name":"a"},{"name":{"x":1}},{"name":"c"}])"), Names{"a"});
    // Scalars convert to their text as the reader's string conversion gives it.
    EXPECT_EQ(ReadManifestNames(R"([{"name":42},{"name":true}])"), (Names{"42", "true"}));
}

TEST(Manifest, DeepNestingIsRefusedWithoutCrashing)
{
    EXPECT_EQ(ReadManifestNames(std::string(200000, '[')), Names{});
    EXPECT_EQ(ReadManifestNames(std::string(5000, '[') + std::string(5000, ']')), Names{});
}

TEST(Manifest, PlainFormScannerAgreesWithTheReader)
{
    const std::vector<std::string> texts = {
        R"([{"name":"a"},{"name":"b/c.txt"}])",
        " \r\n\t[ { \"name\" : \"a\" } , {\"name\":\"\"}, {\"name\":\"after\"} ] \n",
        R"([{"name":"a"},{"name":""},{"name":"b"},])", // invalid after the end still spoils it all
        R"([{"name":"a"}] trailing)",
        R"([{"name":"a"}])"
        "\n// done\n",
        R"([{"name":"a\"b"},{"name":"tab\tand \u00e9"}])",
        R"([{"name":"a","name":"b"}])",
        R"([{"Name":"a"}])",
        R"([{"name":"a"}{"name":"b"}])",
        "[{\"name\":\"raw\x01control\"}]",
        "\xEF\xBB\xBF[{\"name\":\"bom\"}]",
        "[{\"name\":\"\xFF\xFE invalid utf-8\"}]",
        R"([{"name":"a"},{"name":"b"})",
        R"([{"name":"a"}]])",
        "[]",
        "[ ]",
        "",
    };
    for (const std::string& text : texts)
        EXPECT_EQ(ReadManifestNames(text), ReadManifestNamesWithReader(text)) << text;
}
