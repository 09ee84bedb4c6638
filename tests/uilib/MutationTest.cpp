// Thousands of damaged XML texts: every one must be refused or read without a
// crash or hang. (Damaged archives are the zip core's test.)
#include "core/markup/Markup.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace UiLib;

namespace {

const int kXmlMutants = 4000;

// Damages a copy of `seed`: flipped, replaced, removed or repeated bytes, or a
// cut end. `specials` are the values most likely to reach interesting paths.
template <typename Text>
Text Mutate(const Text& seed, std::mt19937& rng, const Text& specials) {
    Text out = seed;
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits && !out.empty(); ++i) {
        size_t at = rng() % out.size();
        switch (rng() % 6) {
        case 0: out[at] = static_cast<typename Text::value_type>(out[at] ^ (1u << (rng() % 8))); break;
        case 1: out[at] = specials[rng() % specials.size()]; break;
        case 2: out.erase(at, 1 + rng() % 8); break;
        case 3: out.insert(at, out.substr(rng() % out.size(), 1 + rng() % 16)); break;
        case 4: out.resize(at); break;
        default: out[at] = static_cast<typename Text::value_type>(rng()); break;
        }
    }
    return out;
}

void WalkTree(CMarkupItem item, int depth, size_t* visited) {
    for (; item.IsValid(); item = item.Sibling()) {
        ++*visited;
        volatile size_t sink = wcslen(item.Name()) + wcslen(item.Text());
        for (int i = 0; i < item.AttributeCount(); ++i) sink = sink + wcslen(item.AttributeName(i)) + wcslen(item.AttributeValue(i));
        (void)sink;
        if (depth < 1000) WalkTree(item.Child(), depth + 1, visited);
    }
}

TEST(MarkupMutation, DamagedTextsParseOrFailCleanly) {
    std::mt19937 rng(77);
    std::wstring seeds[] = {
        L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- skin -->\n<Window size=\"400,300\" caption=\"0,0,0,30\">\n"
        L"  <Font name=\"\x5B8B\x4F53\" size=\"12\"/>\n  <VerticalLayout bkcolor=\"#FFFFFFFF\">\n"
        L"    <Button name=\"ok\" text=\"a &amp; b &lt;c&gt;\" />\n    <Label text=\"  spaced   out \"/>\n"
        L"  </VerticalLayout>\n</Window>\n",
        L"<a><b><c x=\"1\" y=\"2\">text</c></b><d/></a>",
    };
    std::wstring specials(L"<>/\"=&! ?-;\t\n", 13);
    specials += L'\0';
    size_t parsed = 0, visited = 0;
    for (int n = 0; n < kXmlMutants; ++n) {
        std::wstring text = Mutate(seeds[n % 2], rng, specials);
        CMarkup markup;
        // Text with a terminator inside ends there; the bytes form goes whole.
        if (markup.Load(text.c_str())) {
            ++parsed;
            WalkTree(markup.Root(), 0, &visited);
        } else {
            wchar_t message[100], location[50];
            markup.LastErrorMessage(message, 100);
            markup.LastErrorLocation(location, 50);
            EXPECT_NE(message[0], L'\0');
            EXPECT_FALSE(markup.IsValid());
        }
        std::string utf8(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        CMarkup fromBytes;
        if (fromBytes.LoadFromBytes(reinterpret_cast<const BYTE*>(utf8.data()), static_cast<DWORD>(utf8.size())))
            WalkTree(fromBytes.Root(), 0, &visited);
    }
    EXPECT_GT(parsed, 0u);
    EXPECT_GT(visited, 0u);
}

}  // namespace
