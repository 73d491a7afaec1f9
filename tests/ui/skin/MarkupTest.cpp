// The markup parser: structure, texts and entities, attributes, encodings, and a table of malformed
// inputs with the exact error each one reports.
#include "ui/skin/XmlDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using ui::CXmlDocument;
using ui::CXmlNode;
using ui::MarkupEncoding;

namespace {

std::u16string S(const char16_t* text)
{
    return text == nullptr ? std::u16string(u"<null>") : std::u16string(text);
}

std::string Narrow(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

// Writes the tree as name[attr=value,...]{text}(children) for compact structural checks.
std::u16string Dump(CXmlNode node)
{
    std::u16string out;
    for (; node.IsValid(); node = node.NextSibling()) {
        out += S(node.Name());
        if (node.HasAttributes()) {
            out += u"[";
            for (int i = 0; i < node.AttributeCount(); ++i) {
                out.append(i ? u"," : u"").append(S(node.AttributeName(i))).append(u"=");
                out.append(S(node.AttributeValue(i)));
            }
            out += u"]";
        }
        if (node.Value()[0] != 0) {
            out.append(u"{").append(S(node.Value())).append(u"}");
        }
        if (node.HasChildren()) {
            out.append(u"(").append(Dump(node.FirstChild())).append(u")");
        }
        if (node.HasSiblings()) {
            out += u" ";
        }
    }
    return out;
}

std::u16string Parse(const char16_t* text, bool preserve = true)
{
    CXmlDocument doc;
    doc.SetPreserveWhitespace(preserve);
    if (!doc.LoadText(text)) {
        return u"ERROR " + S(doc.GetErrorMessage());
    }
    return Dump(doc.Root());
}

} // namespace

TEST(Markup, StructureAndSelfClosingForms)
{
    EXPECT_EQ(Parse(u"<Window><A/></Window>"), u"Window(A)");
    EXPECT_EQ(Parse(u"<Window><A /></Window>"), u"Window(A)");
    EXPECT_EQ(Parse(u"<Window>\r\n  <A x=\"1\"/>\n  <B>t</B>\n  <C><D/><E/></C>\n</Window>\n"),
              u"Window{\r\n  }(A[x=1] B{t} C(D E))"); // the text before the first child keeps its layout
    EXPECT_EQ(Parse(u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- a comment -->\n<W><!-- inner --><A/></W>"),
              u"W(A)");
    EXPECT_EQ(Parse(u"< Window ><  A/></Window >"), u"Window(A)");
    // The root may stay open; a second top-level element is the root's next sibling.
    EXPECT_EQ(Parse(u"<Window><A>x</A>"), u"Window(A{x})");
    EXPECT_EQ(Parse(u"<A/><B x=\"2\"/>"), u"A B[x=2]");
    EXPECT_EQ(Parse(u"<A></A>"), u"A");
    EXPECT_EQ(Parse(u"<ns:A_1>v</ns:A_1>"), u"ns:A_1{v}");

    CXmlDocument doc(u"<Window><A/><B><C/></B></Window><Second/>");
    const CXmlNode root = doc.Root();
    ASSERT_TRUE(root.IsValid());
    EXPECT_FALSE(root.Parent().IsValid());
    EXPECT_EQ(S(root.NextSibling().Name()), u"Second");
    const CXmlNode c = root.FindChild(u"B").FirstChild();
    EXPECT_EQ(S(c.Name()), u"C");
    EXPECT_EQ(S(c.Parent().Name()), u"B");
    EXPECT_EQ(S(c.Parent().Parent().Name()), u"Window");
    EXPECT_FALSE(root.FindChild(u"b").IsValid());
    EXPECT_FALSE(doc.Root().FindChild(u"window").IsValid());
    EXPECT_EQ(doc.GetElementCount(), 5);
}

TEST(Markup, UnclosedRootStillTerminatesNameAndText)
{
    CXmlDocument doc(u"<Window>hello&amp;bye");
    ASSERT_TRUE(doc.IsLoaded());
    EXPECT_EQ(S(doc.Root().Name()), u"Window");
    EXPECT_EQ(S(doc.Root().Value()), u"hello&bye");
    ASSERT_TRUE(doc.LoadText(u"<W>a&lt;<A/>"));
    EXPECT_EQ(S(doc.Root().Value()), u"a<");
    EXPECT_EQ(S(doc.Root().FirstChild().Name()), u"A");
}

TEST(Markup, DocumentsWithoutElementsHaveNoRoot)
{
    CXmlDocument doc;
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_FALSE(doc.Root().IsValid());
    EXPECT_TRUE(doc.LoadText(u"  <!-- nothing -->  "));
    EXPECT_TRUE(doc.IsLoaded());
    EXPECT_FALSE(doc.Root().IsValid());
    EXPECT_EQ(doc.GetElementCount(), 0);
    EXPECT_TRUE(doc.LoadText(u""));
    EXPECT_FALSE(doc.Root().IsValid());

    const CXmlNode invalid;
    EXPECT_EQ(invalid.Name(), nullptr);
    EXPECT_EQ(invalid.AttributeValue(u"x"), nullptr);
    EXPECT_FALSE(invalid.FirstChild().IsValid());
    EXPECT_FALSE(invalid.HasAttributes());
    char16_t buffer[4] = {u'z', 0};
    EXPECT_FALSE(invalid.CopyAttributeValue(0, buffer, 4));
}

TEST(Markup, EntitiesAndLiteralAmpersands)
{
    EXPECT_EQ(Parse(u"<a>x&amp;y</a>"), u"a{x&y}");
    EXPECT_EQ(Parse(u"<a>&lt;&gt;&quot;&apos;</a>"), u"a{<>\"'}");
    EXPECT_EQ(Parse(u"<a>&#65;</a>"), u"a{&#65;}");
    EXPECT_EQ(Parse(u"<a>&foo;</a>"), u"a{&foo;}");
    EXPECT_EQ(Parse(u"<a>&amp</a>"), u"a{&amp}");
    EXPECT_EQ(Parse(u"<a>end&</a>"), u"a{end&}");
    EXPECT_EQ(Parse(u"<a v=\"&quot;q&quot; &amp;&amp; &lt;b&gt;\"/>"), u"a[v=\"q\" && <b>]");
    EXPECT_EQ(Parse(u"<a>&amp;<b/></a>"), u"a{&}(b)");
    // Surrogate pairs pass through untouched.
    EXPECT_EQ(Parse(u"<a t=\"\U0001F600\">\U0001F600&amp;</a>"), u"a[t=\U0001F600]{\U0001F600&}");
}

TEST(Markup, WhitespaceCollapsesOnlyWhenAskedAndOnlyAfterASpace)
{
    EXPECT_EQ(Parse(u"<a>x  \t y</a>", true), u"a{x  \t y}");
    EXPECT_EQ(Parse(u"<a>x  \t y</a>", false), u"a{x y}");
    EXPECT_EQ(Parse(u"<a>x\t\t y</a>", false), u"a{x\t\t y}");
    EXPECT_EQ(Parse(u"<a v=\"p   q &amp;  r\"/>", false), u"a[v=p q & r]");
    EXPECT_EQ(Parse(u"<a v=\"p   q\">  t  u  <b/></a>", false), u"a[v=p q]{ t u }(b)");
}

TEST(Markup, RunsOfWhitespaceOfEveryLengthAreSkippedWhereverTheyStand)
{
    // Whitespace between the parts of tags is skipped several units a round: runs of every length
    // around those steps, of the first and last whitespace codes, must end where a
    // character-by-character reading ends, also at the end of the text.
    const std::u16string kinds = u"\x01 \t\n\x1F\r";
    for (int length = 0; length <= 9; ++length) {
        std::u16string ws;
        for (int i = 0; i < length; ++i) {
            ws += kinds[static_cast<std::size_t>(i) % kinds.size()];
        }
        const std::u16string gap = length == 0 ? u" " : ws;
        const std::u16string text = u"<W" + gap + u"a" + ws + u"=" + ws + u"\"v\"" + ws + u"><" + ws + u"b" + ws +
                                    u"/>" + ws + u"</" + ws + u"W" + ws + u">" + ws;
        EXPECT_EQ(Parse(text.c_str()), u"W[a=v](b)") << length;
        // The first code after the whitespace range ends the run: '!' starts no attribute name.
        const std::u16string bang = u"<W" + gap + u"!a=\"v\"/>";
        EXPECT_EQ(Parse(bang.c_str()), u"ERROR Error while parsing attributes") << length;
    }
}

TEST(Markup, AttributesAreOrderedCaseSensitiveAndLimitedToSixtyFour)
{
    CXmlDocument doc(u"<Button name=\"ok\"  text = \"OK\" Name=\"other\" empty=\"\" pos=\"1,2,3,4\">label</Button>");
    CXmlNode node = doc.Root();
    ASSERT_TRUE(node.HasAttributes());
    EXPECT_EQ(node.AttributeCount(), 5);
    EXPECT_EQ(S(node.AttributeValue(u"name")), u"ok");
    EXPECT_EQ(S(node.AttributeValue(u"Name")), u"other");
    EXPECT_EQ(S(node.AttributeValue(u"text")), u"OK");
    EXPECT_EQ(S(node.AttributeValue(u"empty")), u"");
    EXPECT_TRUE(node.HasAttribute(u"empty"));
    EXPECT_FALSE(node.HasAttribute(u"NAME"));
    EXPECT_EQ(S(node.AttributeValue(u"missing")), u"");
    EXPECT_EQ(S(node.AttributeName(4)), u"pos");
    EXPECT_EQ(S(node.AttributeName(5)), u"");
    EXPECT_EQ(S(node.AttributeValue(-1)), u"");
    EXPECT_EQ(S(node.Value()), u"label");

    char16_t buffer[4];
    EXPECT_TRUE(node.CopyAttributeValue(u"pos", buffer, 4));
    EXPECT_EQ(S(buffer), u"1,2");
    EXPECT_TRUE(node.CopyAttributeValue(1, buffer, 4));
    EXPECT_EQ(S(buffer), u"OK");
    EXPECT_FALSE(node.CopyAttributeValue(u"nope", buffer, 4));
    EXPECT_FALSE(node.CopyAttributeValue(9, buffer, 4));

    // Handles copy their gathered attributes.
    const CXmlNode copy = node;
    EXPECT_EQ(S(copy.AttributeValue(u"text")), u"OK");

    std::u16string many = u"<E";
    for (int i = 0; i < 65; ++i) {
        many += u" a" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + std::u16string(1, u'0' + i / 26) +
                u"=\"" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"\"";
    }
    many += u"/>";
    CXmlDocument big(many.c_str());
    EXPECT_EQ(big.Root().AttributeCount(), 64);
    EXPECT_TRUE(big.Root().HasAttribute(u"aL2"));  // the 64th
    EXPECT_FALSE(big.Root().HasAttribute(u"aM2")); // the 65th
}

TEST(Markup, MalformedInputsReportTheirExactError)
{
    struct Case
    {
        const char16_t* text;
        const char16_t* message;
        const char16_t* location;
    };
    const std::vector<Case> cases = {
        {u"hello", u"Expected start tag", u"hello"},
        {u"<a>t<b/>u</a>", u"Expected start tag", u"u</a>"},
        {u"<W><A><B/>", u"Expected start tag", u""},
        {u"<abc", u"Error parsing element name", u""},
        {u"<a x=\"1\" y>", u"Error while parsing attributes", u">"},
        {u"<a-b/>", u"Error while parsing attributes", u"/>"},
        {u"<a x='1'/>", u"Expected attribute value", u"'1'/>"},
        {u"<a x=1/>", u"Expected attribute value", u"1/>"},
        {u"<a x=\"1/>", u"Error while parsing attribute string", u""},
        {u"<a x=\"1\" / >", u"Expected start-tag closing", u"/ >"},
        {u"<a x=\"1\"", u"Expected start-tag closing", u""},
        {u"<W><A><B>x", u"Expected end-tag start", u""},
        {u"<a></ab>", u"Unmatched closing tag", u"b>"},
        {u"<ab></a>", u"Unmatched closing tag", u"a>"},
        {u"<W><a>x</b></W>", u"Unmatched closing tag", u"b></W>"},
        {u"<a></a", u"Unmatched closing tag", u""},
    };
    for (const Case& c : cases) {
        CXmlDocument doc;
        EXPECT_FALSE(doc.LoadText(c.text)) << Narrow(c.text);
        EXPECT_EQ(S(doc.GetErrorMessage()), S(c.message)) << Narrow(c.text);
        EXPECT_EQ(S(doc.GetErrorLocation()), S(c.location)) << Narrow(c.text);
        EXPECT_FALSE(doc.IsLoaded()) << Narrow(c.text);
        EXPECT_FALSE(doc.Root().IsValid()) << Narrow(c.text);
    }
}

TEST(Markup, NamesEndAtTheFirstCharacterThatIsNoNameCharacterWhateverTheirLength)
{
    // Names are scanned several characters at a time: every length around those steps, with the
    // characters next to each range of name characters, must end where a character-by-character
    // reading ends.
    struct Neighbour
    {
        char16_t ch;
        bool inName;
    };
    const std::vector<Neighbour> neighbours = {
        {u'@', false},      {u'A', true},     {u'Z', true},      {u'[', false},      {u'`', false},
        {u'a', true},       {u'z', true},     {u'{', false},     {u'/', false},      {u'0', true},
        {u'9', true},       {u':', true},     {u';', false},     {u'_', true},       {u'^', false},
        {u'-', false},      {u'.', false},    {u'\x7F', false},  {u'\x01', false},   {u'\xC0', true},
        {u'\xD7', false},   {u'\xE9', true},  {u'\x4E2D', true}, {u'\x3001', false}, {u'\x2014', false},
        {u'\xFEFF', false}, {u'\x80', false}, {u'\xB5', true},
    };
    for (int length = 1; length <= 20; ++length) {
        const std::u16string start(static_cast<std::size_t>(length), u'n');
        for (const Neighbour& n : neighbours) {
            const std::u16string name = start + n.ch + u"b";
            const std::u16string element = u"<" + name + u"/>";
            CXmlDocument elementDoc;
            const std::u16string attribute = u"<e " + name + u"=\"v\"/>";
            CXmlDocument attributeDoc;
            const std::string what = Narrow(name) + " (" + std::to_string(int(n.ch)) + ")";
            if (n.inName) {
                ASSERT_TRUE(elementDoc.LoadText(element.c_str())) << what;
                EXPECT_EQ(S(elementDoc.Root().Name()), name) << what;
                ASSERT_TRUE(attributeDoc.LoadText(attribute.c_str())) << what;
                EXPECT_EQ(S(attributeDoc.Root().AttributeName(0)), name) << what;
            } else {
                EXPECT_FALSE(elementDoc.LoadText(element.c_str())) << what;
                // The character after the name ends it and is overwritten; "b" is read as an
                // attribute, and a '/' leaves a "/b" that does not close the tag.
                EXPECT_EQ(S(elementDoc.GetErrorLocation()), S(n.ch == u'/' ? u"/b/>" : u"/>")) << what;
                EXPECT_FALSE(attributeDoc.LoadText(attribute.c_str())) << what;
                EXPECT_EQ(S(attributeDoc.GetErrorMessage()), S(u"Error while parsing attributes")) << what;
            }
        }
    }
}

TEST(Markup, EndTagsMatchTheWholeNameAtEveryLength)
{
    // End tags are compared several units at a time: every length around those steps must match
    // exactly its own name, and a difference in the last unit or a shorter end tag must fail, also
    // when the end tag reaches the end of the text.
    for (const int length : {1, 2, 7, 8, 9, 15, 16, 17, 31, 32, 33}) {
        const std::u16string name = std::u16string(static_cast<std::size_t>(length - 1), u'n') + u'e';
        const std::u16string other = std::u16string(static_cast<std::size_t>(length - 1), u'n') + u'f';
        const std::u16string good = u"<W><" + name + u">v</" + name + u" ></W>";
        EXPECT_EQ(Parse(good.c_str()), u"W(" + name + u"{v})") << length;
        const std::u16string last = u"<W><" + name + u"></" + other + u"></W>";
        EXPECT_EQ(Parse(last.c_str()), u"ERROR Unmatched closing tag") << length;
        const std::u16string shorter = u"<W><" + name + u"></" + name.substr(0, name.size() - 1) + u"></W>";
        EXPECT_EQ(Parse(shorter.c_str()), u"ERROR Unmatched closing tag") << length;
        const std::u16string atEnd = u"<W><" + name + u"></" + name;
        EXPECT_EQ(Parse(atEnd.c_str()), u"ERROR Unmatched closing tag") << length;
        const std::u16string cut = u"<W><" + name + u"></" + name.substr(0, name.size() - 1);
        EXPECT_EQ(Parse(cut.c_str()), u"ERROR Unmatched closing tag") << length;
    }
}

TEST(Markup, CommentsAndDeclarationsEndAtTheirOwnClosingPair)
{
    // Only "->" ends a comment and "?>" a declaration; any other '>' inside is skipped over.
    EXPECT_EQ(Parse(u"<?><A/>"), u"A");
    EXPECT_EQ(Parse(u"<!><A/>-><B/>"), u"B");
    EXPECT_EQ(Parse(u"<!-- a > b -- > c -><A/>"), u"A");
    EXPECT_EQ(Parse(u"<?pi a>b ?? > c ?><A/>"), u"A");
    EXPECT_EQ(Parse(u"<!-- a comment longer than sixteen units, with > and - > in it --><A/><!---><B/>"), u"A B");
    EXPECT_EQ(Parse(u"<W><!-- never closed >"), u"W");
    EXPECT_EQ(Parse(u"<W><A/><!-"), u"W(A)");
    EXPECT_EQ(Parse(u"<W><!--><A/></W>"), u"W(A)");
    EXPECT_EQ(Parse(u"<W><!-->-><A/></W>"), u"ERROR Expected start tag");
    EXPECT_EQ(Parse(u"<W><A><!-- open"), u"ERROR Expected start tag");
}

TEST(Markup, ErrorTextsAreKeptUntilTheNextParseAndCopiedTruncated)
{
    CXmlDocument doc;
    std::u16string longTail = u"<a x=\"1\"/>" + std::u16string(80, u'q');
    EXPECT_FALSE(doc.LoadText(longTail.c_str()));
    EXPECT_EQ(S(doc.GetErrorLocation()), std::u16string(49, u'q'));
    char16_t buffer[6];
    doc.ErrorMessage(buffer, 6);
    EXPECT_EQ(S(buffer), u"Expec");
    doc.ErrorLocation(buffer, 3);
    EXPECT_EQ(S(buffer), u"qq");
    doc.Clear();
    EXPECT_EQ(S(doc.GetErrorMessage()), u"Expected start tag");
    EXPECT_TRUE(doc.LoadText(u"<ok/>"));
    EXPECT_EQ(S(doc.GetErrorMessage()), u"");
}

TEST(Markup, BytesInEveryEncodingParseAlike)
{
    const std::string utf8 = "<Window title=\"Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80\"/>";
    const std::u16string expected = u"Window[title=Gr\u00fc\u00df \u20ac \U0001F600]";
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes(utf8.data(), utf8.size(), MarkupEncoding::Utf8));
    EXPECT_EQ(Dump(doc.Root()), expected);
    const std::string withBom = "\xEF\xBB\xBF" + utf8;
    ASSERT_TRUE(doc.LoadBytes(withBom.data(), withBom.size(), MarkupEncoding::Utf8));
    EXPECT_EQ(Dump(doc.Root()), expected);

    // Malformed UTF-8 becomes U+FFFD instead of failing.
    const std::string bad = "<a v=\"\xC3(\xE2\x82\xF0\"/>";
    ASSERT_TRUE(doc.LoadBytes(bad.data(), bad.size(), MarkupEncoding::Utf8));
    EXPECT_EQ(S(doc.Root().AttributeValue(u"v")), u"\ufffd(\ufffd\ufffd");
    // Overlong forms, encoded surrogates and code points above U+10FFFF are malformed too.
    const std::string overlong = "<a v=\"\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xE0\x80\xAF\"/>";
    ASSERT_TRUE(doc.LoadBytes(overlong.data(), overlong.size(), MarkupEncoding::Utf8));
    EXPECT_EQ(S(doc.Root().AttributeValue(u"v")), u"\ufffd\ufffd|\ufffd\ufffd\ufffd|\ufffd\ufffd\ufffd\ufffd|"
                                                  u"\ufffd\ufffd\ufffd");
    // Long ASCII runs take the wide path; a multi-byte character right after one must survive it.
    const std::string run = "<a v=\"" + std::string(37, 'x') + "\xC3\xA9" + std::string(20, 'y') + "\"/>";
    ASSERT_TRUE(doc.LoadBytes(run.data(), run.size(), MarkupEncoding::Utf8));
    EXPECT_EQ(S(doc.Root().AttributeValue(u"v")), std::u16string(37, u'x') + u"\u00e9" + std::u16string(20, u'y'));

    const std::string ansi = "<a v=\"\x80\xE9\x81\x9F\"/>";
    ASSERT_TRUE(doc.LoadBytes(ansi.data(), ansi.size(), MarkupEncoding::Ansi));
    EXPECT_EQ(S(doc.Root().AttributeValue(u"v")), u"\u20ac\u00e9\u0081\u0178");

    const std::u16string wide = u"<W a=\"\u00fc\U0001F600\">t</W>";
    std::string le = "\xFF\xFE";
    std::string be = "\xFE\xFF";
    for (char16_t c : wide) {
        le += static_cast<char>(c & 0xFF);
        le += static_cast<char>(c >> 8);
        be += static_cast<char>(c >> 8);
        be += static_cast<char>(c & 0xFF);
    }
    ASSERT_TRUE(doc.LoadBytes(le.data(), le.size(), MarkupEncoding::Utf16));
    EXPECT_EQ(Dump(doc.Root()), u"W[a=\u00fc\U0001F600]{t}");
    ASSERT_TRUE(doc.LoadBytes(be.data(), be.size(), MarkupEncoding::Utf16));
    EXPECT_EQ(Dump(doc.Root()), u"W[a=\u00fc\U0001F600]{t}");
    be += '\x00'; // an odd trailing byte is dropped
    ASSERT_TRUE(doc.LoadBytes(be.data(), be.size(), MarkupEncoding::Utf16));
    EXPECT_EQ(Dump(doc.Root()), u"W[a=\u00fc\U0001F600]{t}");

    const std::string noMark = std::string("<\0a\0/\0>\0", 8);
    EXPECT_FALSE(doc.LoadBytes(noMark.data(), noMark.size(), MarkupEncoding::Utf16));
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_EQ(S(doc.GetErrorMessage()), u"Missing byte-order mark");
    EXPECT_FALSE(doc.LoadBytes("\xFF", 1, MarkupEncoding::Utf16));
}

TEST(Markup, DeepNestingDoesNotExhaustTheStack)
{
    std::u16string text;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i) {
        text += u"<a>";
    }
    for (int i = 0; i < depth; ++i) {
        text += u"</a>";
    }
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText(text.c_str()));
    EXPECT_EQ(doc.GetElementCount(), depth);
}

// Every prefix and many single-character corruptions of a realistic skin either load into a tree
// whose nodes and attributes can all be read, or fail with one of the parser's messages.
TEST(Markup, TruncatedAndCorruptedInputsFailCleanly)
{
    const std::u16string skin =
        u"<?xml version=\"1.0\"?><!-- c --><Window size=\"400,300\" caption=\"0,0,0,30\">\n"
        u"  <VerticalLayout bkcolor=\"#FFFFFFFF\"><Label name=\"l\" text=\"a &amp; b &lt;\"/>\n"
        u"    <Button name=\"b\" normalimage=\"file='x.png' corner='1,1,1,1'\">Go &gt;</Button>\n"
        u"  </VerticalLayout>\n</Window>\n";
    const std::vector<std::u16string> messages = {
        u"Expected start tag",         u"Error parsing element name",
        u"Expected start-tag closing", u"Expected end-tag start",
        u"Unmatched closing tag",      u"Error while parsing attributes",
        u"Expected attribute value",   u"Error while parsing attribute string",
    };
    auto check = [&messages](const std::u16string& text, bool preserve) {
        CXmlDocument doc;
        doc.SetPreserveWhitespace(preserve);
        if (!doc.LoadText(text.c_str())) {
            EXPECT_NE(std::find(messages.begin(), messages.end(), S(doc.GetErrorMessage())), messages.end())
                << Narrow(S(doc.GetErrorMessage()));
            return;
        }
        std::vector<CXmlNode> pending;
        if (doc.Root().IsValid()) {
            pending.push_back(doc.Root());
        }
        int visited = 0;
        while (!pending.empty()) {
            CXmlNode node = pending.back();
            pending.pop_back();
            ++visited;
            std::u16string all = S(node.Name()) + S(node.Value());
            for (int i = 0; i < node.AttributeCount(); ++i) {
                all += S(node.AttributeName(i)) + S(node.AttributeValue(i));
            }
            if (node.NextSibling().IsValid()) {
                pending.push_back(node.NextSibling());
            }
            if (node.FirstChild().IsValid()) {
                pending.push_back(node.FirstChild());
            }
        }
        EXPECT_EQ(visited, doc.GetElementCount());
    };
    const std::u16string specials = u"<>/=\"&! ?-;";
    for (std::size_t cut = 0; cut <= skin.size(); ++cut) {
        check(skin.substr(0, cut), true);
    }
    for (std::size_t i = 0; i < skin.size(); ++i) {
        for (char16_t c : specials) {
            std::u16string mutated = skin;
            mutated[i] = c;
            check(mutated, (i & 1) != 0);
        }
    }
}
