// The XML reader: trees, attributes, texts, positioned errors and loading from
// the resource folder or the skin archive.
#include "core/markup/Markup.h"
#include "core/markup/UiResources.h"

#include "TestPaths.h"
#include "ZipWriter.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;

namespace {

std::string Narrow(const wchar_t* text) {
    std::string out;
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    out.resize(size > 0 ? size - 1 : 0);
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    return out;
}

// A compact dump of a tree: name[attr=value,...]'text'(children).
std::string Dump(CMarkupItem item) {
    std::string out;
    for (; item.IsValid(); item = item.Sibling()) {
        out += Narrow(item.Name());
        if (item.HasAttributes()) {
            out += "[";
            for (int i = 0; i < item.AttributeCount(); ++i)
                out += (i ? "," : "") + Narrow(item.AttributeName(i)) + "=" + Narrow(item.AttributeValue(i));
            out += "]";
        }
        if (*item.Text()) out += "'" + Narrow(item.Text()) + "'";
        if (item.HasChildren()) out += "(" + Dump(item.Child()) + ")";
        if (item.Sibling().IsValid()) out += " ";
    }
    return out;
}

std::string Error(const CMarkup& markup) {
    wchar_t message[100], location[50];
    markup.LastErrorMessage(message, 100);
    markup.LastErrorLocation(location, 50);
    return Narrow(message) + "|" + Narrow(location);
}

TEST(Markup, ParsesTreesAttributesAndTexts) {
    struct Case { const wchar_t* xml; const char* tree; } cases[] = {
        {L"<Window size=\"400,300\"><Button name=\"ok\" text=\"OK\"/><Label/></Window>",
         "Window[size=400,300](Button[name=ok,text=OK] Label)"},
        {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- skin -->\n<Window>\n  <!-- a comment -->\n  <Tab/>\n</Window>\n",
         "Window'\n '(Tab)"},
        {L"<Window><Button/>", "Window(Button)"},                     // the root is never closed
        {L"<Window><Button>", "Window(Button)"},                      // nor its first child
        {L"<a  x = \"1\"\ty=\"2\" >t</a >", "a[x=1,y=2]'t'"},
        {L"<a x=\"a &amp;&lt; b\" y=\"&#65;&bogus;&quot;&apos;&gt;\"/>", "a[x=a &< b,y=&#65;&bogus;\"'>]"},
        {L"<a>a &amp;&lt; b</a>", "a'a &< b'"},
        {L"<a x=\"p   q\">one  \t two\tthree\nfour</a>", "a[x=p q]'one two\tthree\nfour'"},
        {L"<ns:a b_c=\"\"/>", "ns:a[b_c=]"},
        {L"<a/><b/>", "a b"},
        {L"<\x7A97\x53E3 \x540D=\"\x786E\x5B9A\"/>", "\xE7\xAA\x97\xE5\x8F\xA3[\xE5\x90\x8D=\xE7\xA1\xAE\xE5\xAE\x9A]"},
    };
    for (const Case& c : cases) {
        CMarkup markup;
        ASSERT_TRUE(markup.Load(c.xml)) << Narrow(c.xml) << " " << Error(markup);
        EXPECT_TRUE(markup.IsValid());
        EXPECT_EQ(Dump(markup.Root()), c.tree) << Narrow(c.xml);
    }
}

TEST(Markup, PreservedWhitespaceKeepsRuns) {
    CMarkup markup;
    markup.SetPreserveWhitespace(true);
    ASSERT_TRUE(markup.Load(L"<a x=\"p   q\"/>"));
    EXPECT_STREQ(markup.Root().AttributeValue(L"x"), L"p   q");
}

TEST(Markup, ItemNavigationAndAttributeLookups) {
    std::wstring xml = L"<Root>";
    std::wstring many = L"<Many";
    for (int i = 0; i < 65; ++i) many += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    xml += many + L"/><Long v=\"" + std::wstring(600, L'x') + L"\"/></Root>";
    CMarkup markup(xml.c_str());
    CMarkupItem root = markup.Root();
    ASSERT_TRUE(root.IsValid());
    EXPECT_FALSE(root.Parent().IsValid());
    EXPECT_FALSE(root.Sibling().IsValid());
    CMarkupItem first = root.Child();
    EXPECT_STREQ(first.Parent().Name(), L"Root");
    EXPECT_FALSE(first.HasChildren());
    EXPECT_FALSE(first.Child().IsValid());

    EXPECT_EQ(first.AttributeCount(), 64);  // the 65th is not seen
    EXPECT_STREQ(first.AttributeValue(L"a63"), L"63");
    EXPECT_FALSE(first.HasAttribute(L"a64"));
    EXPECT_STREQ(first.AttributeValue(L"a64"), L"");
    EXPECT_STREQ(first.AttributeName(64), L"");
    EXPECT_STREQ(first.AttributeValue(-1), L"");
    EXPECT_FALSE(first.HasAttribute(L"A0"));  // names are case-sensitive

    CMarkupItem longItem = first.Sibling();
    wchar_t buffer[500];
    ASSERT_TRUE(longItem.AttributeValue(L"v", buffer));
    EXPECT_EQ(std::wstring(buffer), std::wstring(499, L'x'));
    EXPECT_FALSE(longItem.AttributeValue(L"w", buffer));

    CMarkupItem invalid;
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_STREQ(invalid.Name(), L"");
    EXPECT_EQ(invalid.AttributeCount(), 0);
    EXPECT_FALSE(invalid.Child().IsValid());
}

TEST(Markup, ErrorsNameWhatAndWhere) {
    struct Case { std::wstring xml; const char* error; } cases[] = {
        {L"hello", "Expected start tag|hello"},
        {L"<a b='x'/>", "Expected attribute value|'x'/>"},
        {L"<a b=\"x/>", "Error while parsing attribute string|"},
        {L"<a b/>", "Error while parsing attributes|/>"},
        {L"<a =\"1\"/>", "Error while parsing attributes|=\"1\"/>"},
        {L"< a/>", "Error parsing element name| a/>"},
        {L"<a b=\"1\"/ >", "Expected start-tag closing|/ >"},
        {L"<a><b></c></a>", "Unmatched closing tag|c></a>"},
        {L"<a><b></b x></a>", "Unmatched closing tag|x></a>"},
        {L"<a><b><c>", "Expected end-tag start|"},
        {L"<a><b><c></c>", "Expected end-tag start|"},
        {L"<a>x<b/>y</a>", "Expected start tag|y</a>"},
        {L"</a>", "Unmatched closing tag|/a>"},
        {L"<a><!-- never closed", "Unterminated comment or declaration|!-- never closed"},
        {L"<?xml version=\"1.0\"", "Unterminated processing instruction|?xml version=\"1.0\""},
        {L"<a b=\"" + std::wstring(80, L'v'), "Error while parsing attribute string|"},
        {L"<Window>" + std::wstring(70, L'z') + L"<bad", "Expected start-tag closing|"},
    };
    for (const Case& c : cases) {
        CMarkup markup;
        EXPECT_FALSE(markup.Load(c.xml.c_str())) << Narrow(c.xml.c_str());
        EXPECT_EQ(Error(markup), c.error) << Narrow(c.xml.c_str());
        EXPECT_FALSE(markup.IsValid());
        EXPECT_FALSE(markup.Root().IsValid());
    }
    // The location is cut to 49 characters.
    CMarkup markup;
    std::wstring tail(200, L'q');
    EXPECT_FALSE(markup.Load((L"x" + tail).c_str()));
    wchar_t location[50];
    markup.LastErrorLocation(location, 50);
    EXPECT_EQ(wcslen(location), 49u);
}

TEST(Markup, NestingDepthIsCapped) {
    std::wstring deep;
    for (int i = 0; i < 5000; ++i) deep += L"<a>";
    CMarkup markup;
    EXPECT_FALSE(markup.Load(deep.c_str()));
    EXPECT_EQ(Error(markup).substr(0, 26), "Elements nested too deeply");

    std::wstring fine;
    for (int i = 0; i < 200; ++i) fine += L"<a>";
    for (int i = 0; i < 200; ++i) fine += L"</a>";
    EXPECT_TRUE(markup.Load(fine.c_str()));
}

TEST(Markup, BytesAreUtf8WithOptionalBom) {
    std::string utf8 = "\xEF\xBB\xBF<Window caption=\"\xE7\xAA\x97\xE5\x8F\xA3\"/>";
    CMarkup markup;
    ASSERT_TRUE(markup.LoadFromBytes(reinterpret_cast<const BYTE*>(utf8.data()), static_cast<DWORD>(utf8.size())));
    EXPECT_STREQ(markup.Root().Name(), L"Window");
    EXPECT_STREQ(markup.Root().AttributeValue(L"caption"), L"\x7A97\x53E3");
}

class MarkupFiles : public ::testing::Test {
protected:
    void SetUp() override {
        UiResources::SetResourceZip(nullptr, false);
        UiResources::SetResourcePath(dir.Path().c_str());
    }
    void TearDown() override {
        UiResources::SetResourceZip(nullptr, false);
        UiResources::SetResourcePath(nullptr);
    }
    std::string LoadError(const wchar_t* name) {
        CMarkup markup;
        EXPECT_FALSE(markup.LoadFromFile(name));
        wchar_t message[100], location[50];
        markup.LastErrorMessage(message, 100);
        markup.LastErrorLocation(location, 50);
        EXPECT_STREQ(location, L"");
        return Narrow(message);
    }
    testsupport::ScratchDir dir;
};

// A skin-like document of exactly `size` bytes.
std::string SizedXml(size_t size) {
    std::string head = "<Window>", tail = "</Window>";
    return head + std::string(size - head.size() - tail.size(), ' ') + tail;
}

TEST_F(MarkupFiles, FromTheResourceFolder) {
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"main.xml"), "<Window><Button name=\"b\"/></Window>"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"limit.xml"), SizedXml(4194304)));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"over.xml"), SizedXml(4194305)));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"empty.xml"), ""));
    CMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"main.xml"));
    EXPECT_STREQ(markup.Root().Child().AttributeValue(L"name"), L"b");
    EXPECT_TRUE(markup.LoadFromFile(L"limit.xml"));
    EXPECT_EQ(LoadError(L"over.xml"), "File too large");
    EXPECT_EQ(LoadError(L"empty.xml"), "File is empty");
    EXPECT_EQ(LoadError(L"absent.xml"), "Error opening file");
}

TEST_F(MarkupFiles, FromTheSkinArchive) {
    using testsupport::ZipItem;
    ZipItem damaged{"bad.xml", "<Window/>"};
    damaged.declaredCrc = 1;
    std::string zip = testsupport::BuildZip({ZipItem{"Skin/Main.xml", "<Window><Tab/></Window>"}, ZipItem{"empty.xml", ""},
                                             ZipItem{"over.xml", SizedXml(4194305)}, damaged});
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"skin.zip"), zip));

    for (bool keepOpen : {false, true}) {
        UiResources::SetResourceZip(L"skin.zip", keepOpen);
        EXPECT_EQ(UiResources::KeptZip() != nullptr, keepOpen);
        CMarkup markup;
        ASSERT_TRUE(markup.LoadFromFile(L"skin\\main.xml")) << keepOpen;
        EXPECT_EQ(Dump(markup.Root()), "Window(Tab)");
        EXPECT_EQ(LoadError(L"missing.xml"), "Could not find ziped file");
        EXPECT_EQ(LoadError(L"empty.xml"), "File is empty");
        EXPECT_EQ(LoadError(L"over.xml"), "File too large");
        EXPECT_EQ(LoadError(L"bad.xml"), "Could not unzip file");
    }

    UiResources::SetResourceZip(L"absent.zip", false);
    EXPECT_EQ(LoadError(L"skin\\main.xml"), "Error opening zip file");

    UiResources::SetResourceZipBuffer(zip.data(), static_cast<DWORD>(zip.size()));
    EXPECT_STREQ(UiResources::ResourceZipName(), L"membuffer");
    HZIP first = UiResources::KeptZip();
    UiResources::SetResourceZipBuffer("other", 5);  // a second buffer keeps the first
    EXPECT_EQ(UiResources::KeptZip(), first);
    CMarkup markup;
    EXPECT_TRUE(markup.LoadFromFile(L"Skin/Main.xml"));
}

// An archive not kept open stays closed between reads (it can be replaced
// while the program runs) and a replaced one is read anew.
TEST_F(MarkupFiles, AnArchiveNotKeptOpenIsFreeToReplaceAndReadAgain) {
    using testsupport::ZipItem;
    const std::wstring path = dir.File(L"skin.zip");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, testsupport::BuildZip({ZipItem{"Main.xml", "<Window><Tab/></Window>"}})));
    UiResources::SetResourceZip(L"skin.zip", false);
    CMarkup first;
    ASSERT_TRUE(first.LoadFromFile(L"Main.xml"));
    EXPECT_EQ(Dump(first.Root()), "Window(Tab)");

    ASSERT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_EQ(LoadError(L"Main.xml"), "Error opening zip file");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, testsupport::BuildZip({ZipItem{"Main.xml", "<Window><List/></Window>"}})));
    CMarkup second;
    ASSERT_TRUE(second.LoadFromFile(L"Main.xml"));
    EXPECT_EQ(Dump(second.Root()), "Window(List)");
    // Same size, other bytes, a later time: still the new content.
    ASSERT_TRUE(testsupport::WriteFileBytes(path, testsupport::BuildZip({ZipItem{"Main.xml", "<Window><Menu/></Window>"}})));
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later;
    GetSystemTimeAsFileTime(&later);
    later.dwHighDateTime += 1;
    SetFileTime(file, nullptr, nullptr, &later);
    CloseHandle(file);
    CMarkup third;
    ASSERT_TRUE(third.LoadFromFile(L"Main.xml"));
    EXPECT_EQ(Dump(third.Root()), "Window(Menu)");
}

TEST(UiResources, ResourcePathGetsATrailingSeparator) {
    struct Case { const wchar_t* given; const wchar_t* stored; } cases[] = {
        {L"C:\\skins", L"C:\\skins\\"}, {L"skins/", L"skins/"}, {L"skins\\", L"skins\\"}, {L"", L""}, {nullptr, L""}};
    for (const Case& c : cases) {
        UiResources::SetResourcePath(c.given);
        EXPECT_STREQ(UiResources::ResourcePath(), c.stored);
    }
}

}  // namespace
