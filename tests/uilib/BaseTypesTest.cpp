// Strings, arrays, the string map and rectangles of the UI library.
#include "core/base/StdArrays.h"
#include "core/base/StdStringPtrMap.h"
#include "core/base/UiGeometry.h"
#include "core/base/UiString.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;

namespace {

std::wstring Repeat(wchar_t ch, int count) { return std::wstring(static_cast<size_t>(count), ch); }

// True when the text sits in the string object itself (not on the heap).
bool IsInline(const CUiString& s) {
    const char* self = reinterpret_cast<const char*>(&s);
    const char* text = reinterpret_cast<const char*>(s.GetData());
    return text >= self && text < self + sizeof(CUiString);
}

TEST(UiString, InlineUpTo62CharactersHeapFrom63) {
    struct Case { int length; bool inlineText; } cases[] = {{0, true}, {1, true}, {62, true}, {63, false}, {500, false}};
    for (const Case& c : cases) {
        std::wstring text = Repeat(L'x', c.length);
        CUiString assigned;
        assigned = text.c_str();
        CUiString constructed(text.c_str());
        EXPECT_EQ(IsInline(assigned), c.inlineText) << c.length;
        EXPECT_EQ(IsInline(constructed), c.inlineText) << c.length;
        EXPECT_EQ(assigned.ToWideString(), text);
        EXPECT_EQ(assigned.GetLength(), c.length);
    }
}

TEST(UiString, ShrinkingBackFreesTheHeapAndAppendCrossesTheThreshold) {
    CUiString s(Repeat(L'a', 63).c_str());
    ASSERT_FALSE(IsInline(s));
    s = Repeat(L'b', 10).c_str();
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(s.ToWideString(), Repeat(L'b', 10));

    CUiString grow(Repeat(L'c', 62).c_str());
    ASSERT_TRUE(IsInline(grow));
    grow += L'd';
    EXPECT_FALSE(IsInline(grow));
    EXPECT_EQ(grow.ToWideString(), Repeat(L'c', 62) + L"d");
    grow.Append(Repeat(L'e', 100).c_str());
    EXPECT_EQ(grow.ToWideString(), Repeat(L'c', 62) + L"d" + Repeat(L'e', 100));

    // Appending a string to itself, inline and on the heap.
    CUiString twice(L"ab");
    twice += twice;
    EXPECT_EQ(twice, L"abab");
    CUiString big(Repeat(L'z', 70).c_str());
    big.Append(big);
    EXPECT_EQ(big.ToWideString(), Repeat(L'z', 140));

    // A heap text assigned a shorter heap text keeps working; a null text empties.
    CUiString heap(Repeat(L'q', 200).c_str());
    heap = Repeat(L'r', 80).c_str();
    EXPECT_EQ(heap.ToWideString(), Repeat(L'r', 80));
    heap = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(heap.IsEmpty());
    EXPECT_TRUE(IsInline(heap));
}

TEST(UiString, ConstructorsAssignAndCompare) {
    EXPECT_TRUE(CUiString().IsEmpty());
    EXPECT_TRUE(CUiString(nullptr).IsEmpty());
    EXPECT_EQ(CUiString(L"hello", 3), L"hel");
    EXPECT_EQ(CUiString(L"hi", 10), L"hi");  // a length past the terminator stops there
    CUiString copy(CUiString(Repeat(L'k', 90).c_str()));
    EXPECT_EQ(copy.GetLength(), 90);
    EXPECT_TRUE(CUiString(L"Abc") == L"Abc");
    EXPECT_TRUE(CUiString(L"Abc") != L"abc");
    EXPECT_EQ(CUiString(L"Abc").CompareNoCase(L"aBC"), 0);
    EXPECT_EQ(CUiString(L"ab") + L"cd", L"abcd");
    CUiString s(L"x");
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(UiString, LeftMidFind) {
    CUiString s(L"abcdef");
    struct { int n; const wchar_t* want; } lefts[] = {{-3, L""}, {0, L""}, {2, L"ab"}, {6, L"abcdef"}, {99, L"abcdef"}};
    for (auto& c : lefts) EXPECT_EQ(s.Left(c.n), c.want) << c.n;
    struct { int index, n; const wchar_t* want; } mids[] = {
        {2, -1, L"cdef"}, {2, 2, L"cd"}, {4, 10, L"ef"}, {6, -1, L""}, {6, 3, L""}, {9, 1, L""}, {0, 0, L""}};
    for (auto& c : mids) EXPECT_EQ(s.Mid(c.index, c.n), c.want) << c.index << "," << c.n;
    CUiString t(L"abcabc");
    struct { const wchar_t* what; int start, want; } finds[] = {
        {L"bc", 0, 1}, {L"bc", 2, 4}, {L"bc", 5, -1}, {L"x", 0, -1}, {L"a", 6, -1}, {L"a", 7, -1}, {L"a", -1, -1}};
    for (auto& c : finds) EXPECT_EQ(t.Find(c.what, c.start), c.want) << c.start;
}

TEST(UiString, ReplaceNeverSearchesInsertedText) {
    struct { const wchar_t *text, *from, *to, *want; int count; } cases[] = {
        {L"aaa", L"a", L"aa", L"aaaaaa", 3},
        {L"abcabc", L"bc", L"", L"aa", 2},
        {L"abc", L"", L"x", L"abc", 0},
        {L"abc", L"z", L"x", L"abc", 0},
        {L"x.y.z", L".", L"\\.", L"x\\.y\\.z", 2},
    };
    for (auto& c : cases) {
        CUiString s(c.text);
        EXPECT_EQ(s.Replace(c.from, c.to), c.count) << c.text;
        EXPECT_EQ(s, c.want) << c.text;
    }
    CUiString longText(Repeat(L'a', 40).c_str());
    EXPECT_EQ(longText.Replace(L"a", L"bb"), 40);
    EXPECT_EQ(longText.ToWideString(), Repeat(L'b', 80));
}

TEST(UiString, FormatAndSmallFormatLimits) {
    CUiString s;
    EXPECT_EQ(s.Format(L"%d-%s", 42, L"x"), 4);
    EXPECT_EQ(s, L"42-x");
    std::wstring longArg = Repeat(L'w', 300);
    EXPECT_EQ(s.SmallFormat(L"%s", longArg.c_str()), 63);
    EXPECT_EQ(s.ToWideString(), Repeat(L'w', 63));
    std::wstring huge = Repeat(L'h', 3000);
    int written = s.Format(L"%s", huge.c_str());
    EXPECT_LE(written, 1024);
    EXPECT_EQ(s.GetLength(), written);
}

TEST(UiString, NarrowConversion) {
    EXPECT_EQ(CUiString(L"skin.xml").ToNarrowString(), "skin.xml");
    EXPECT_EQ(CUiString().ToNarrowString(), "");
}

TEST(StdPtrArray, GrowthInsertRemove) {
    CStdPtrArray a;
    int values[30];
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(a.Add(&values[i]));
    EXPECT_EQ(a.GetCapacity(), 11);
    ASSERT_TRUE(a.Add(&values[10]));
    EXPECT_EQ(a.GetCapacity(), 22);  // 11 pointers: the count reached the capacity
    EXPECT_GT(a.GetCapacity(), a.GetSize());

    EXPECT_FALSE(a.InsertAt(-1, &values[20]));
    EXPECT_FALSE(a.InsertAt(12, &values[20]));
    EXPECT_TRUE(a.InsertAt(11, &values[20]));  // at the count: appends
    EXPECT_EQ(a.GetAt(11), &values[20]);
    EXPECT_TRUE(a.InsertAt(0, &values[21]));
    EXPECT_EQ(a.GetAt(0), &values[21]);
    EXPECT_EQ(a.GetAt(1), &values[0]);
    EXPECT_EQ(a.GetSize(), 13);

    EXPECT_EQ(a.Find(&values[5]), 6);
    EXPECT_EQ(a.Find(&values[29]), -1);
    EXPECT_FALSE(a.Remove(13));
    EXPECT_FALSE(a.Remove(-1));
    EXPECT_TRUE(a.Remove(0));
    EXPECT_EQ(a.GetAt(0), &values[0]);
    EXPECT_EQ(a.GetAt(-1), nullptr);
    EXPECT_EQ(a.GetAt(a.GetSize()), nullptr);

    CStdPtrArray copy(a);
    EXPECT_EQ(copy.GetSize(), a.GetSize());
    EXPECT_EQ(copy.GetAt(3), a.GetAt(3));

    a.Resize(5);
    EXPECT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a.GetCapacity(), 5);
    EXPECT_EQ(a.GetAt(4), nullptr);
    ASSERT_TRUE(a.Add(&values[0]));
    EXPECT_EQ(a.GetCapacity(), 10);
    EXPECT_EQ(a.GetAt(5), &values[0]);
}

TEST(StdValArray, CopiesElementsAndGrowsLikePointerArray) {
    struct Pair { int a; double b; };
    CStdValArray v(sizeof(Pair));
    for (int i = 0; i < 25; ++i) {
        Pair p{i, i * 0.5};
        ASSERT_TRUE(v.Add(&p));
    }
    EXPECT_EQ(v.GetSize(), 25);
    EXPECT_EQ(v.GetCapacity(), 44);
    EXPECT_EQ(static_cast<Pair*>(v.GetAt(24))->a, 24);
    EXPECT_EQ(static_cast<Pair*>(v.GetAt(3))->b, 1.5);
    EXPECT_TRUE(v.Remove(0));
    EXPECT_EQ(static_cast<Pair*>(v.GetAt(0))->a, 1);
    EXPECT_EQ(v.GetAt(24), nullptr);
}

TEST(StdStringPtrMap, HashAndBucket) {
    EXPECT_EQ(CStdStringPtrMap::HashKey(L"ab"), 3331u);
    EXPECT_EQ(CStdStringPtrMap::HashKey(L"ab") % 83, 11u);
    EXPECT_EQ(CStdStringPtrMap::HashKey(L""), 0u);
}

TEST(StdStringPtrMap, InsertFindSetRemove) {
    CStdStringPtrMap map;
    int a = 1, b = 2, c = 3;
    EXPECT_EQ(map.Find(L"x"), nullptr);
    EXPECT_TRUE(map.Insert(L"btnOk", &a));
    EXPECT_FALSE(map.Insert(L"btnOk", &b));
    EXPECT_TRUE(map.Insert(L"BtnOk", &b));  // keys are case-sensitive
    EXPECT_EQ(map.GetSize(), 2);
    EXPECT_EQ(map.Find(L"btnOk"), &a);
    EXPECT_EQ(map.Find(L"BtnOk"), &b);
    EXPECT_EQ(map.Set(L"btnOk", &c), &a);
    EXPECT_EQ(map.Find(L"btnOk"), &c);
    EXPECT_EQ(map.Set(L"new", &a), nullptr);
    EXPECT_EQ(map.GetSize(), 3);
    EXPECT_TRUE(map.Remove(L"btnOk"));
    EXPECT_FALSE(map.Remove(L"btnOk"));
    EXPECT_EQ(map.Find(L"btnOk"), nullptr);
    EXPECT_EQ(map.GetSize(), 2);
    map.Resize(-1);
    EXPECT_FALSE(map.Insert(L"k", &a));  // no buckets, nothing goes in
    map.Resize();
    EXPECT_TRUE(map.Insert(L"k", &a));
}

TEST(StdStringPtrMap, EmptyMapsAnswerNothingAndRemoveAllLeavesThemUsable) {
    CStdStringPtrMap map;
    int a = 1;
    EXPECT_EQ(map.GetAt(0), nullptr);
    EXPECT_FALSE(map.Remove(L"k"));
    map.RemoveAll();  // nothing in it yet
    EXPECT_EQ(map.GetSize(), 0);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(map.Insert(L"k", &a));
        EXPECT_TRUE(map.Insert(L"j", &a));
        EXPECT_EQ(map.Find(L"k"), &a);
        map.RemoveAll();
        EXPECT_EQ(map.GetSize(), 0);
        EXPECT_EQ(map.Find(L"k"), nullptr);
        EXPECT_EQ(map.GetAt(0), nullptr);
    }
}

// Finds keys of a given bucket by brute force over short names.
std::wstring KeyInBucket(unsigned bucket, int skip = 0) {
    for (wchar_t c1 = L'a'; c1 <= L'z'; ++c1)
        for (wchar_t c2 = L'a'; c2 <= L'z'; ++c2) {
            std::wstring key{c1, c2};
            if (CStdStringPtrMap::HashKey(key.c_str()) % 83 == bucket && skip-- == 0) return key;
        }
    return L"";
}

TEST(StdStringPtrMap, GetAtWalksBucketsFromTheLastAndFindMovesToFront) {
    CStdStringPtrMap map;
    int v = 0;
    std::wstring low = KeyInBucket(5), high = KeyInBucket(70);
    ASSERT_TRUE(map.Insert(low.c_str(), &v));
    ASSERT_TRUE(map.Insert(high.c_str(), &v));
    EXPECT_EQ(std::wstring(map.GetAt(0)), high);
    EXPECT_EQ(std::wstring(map.GetAt(1)), low);
    EXPECT_EQ(map.GetAt(2), nullptr);

    // Three keys in one bucket: newest first, and a lookup brings one to the front.
    CStdStringPtrMap same;
    std::wstring k0 = KeyInBucket(20, 0), k1 = KeyInBucket(20, 1), k2 = KeyInBucket(20, 2);
    ASSERT_FALSE(k2.empty());
    same.Insert(k0.c_str(), &v);
    same.Insert(k1.c_str(), &v);
    same.Insert(k2.c_str(), &v);
    EXPECT_EQ(std::wstring(same.GetAt(0)), k2);
    EXPECT_EQ(std::wstring(same.GetAt(2)), k0);
    same.Find(k0.c_str(), false);
    EXPECT_EQ(std::wstring(same.GetAt(0)), k2);
    same.Find(k0.c_str());
    EXPECT_EQ(std::wstring(same.GetAt(0)), k0);
    EXPECT_EQ(std::wstring(same.GetAt(1)), k2);
    EXPECT_EQ(std::wstring(same.GetAt(2)), k1);
    EXPECT_TRUE(same.Remove(k2.c_str()));  // from the middle of the chain
    EXPECT_EQ(std::wstring(same.GetAt(0)), k0);
    EXPECT_EQ(std::wstring(same.GetAt(1)), k1);
    EXPECT_TRUE(same.Remove(k0.c_str()));  // the head
    EXPECT_EQ(same.Find(k1.c_str()), &v);
    EXPECT_EQ(same.GetSize(), 1);
}

TEST(UiRect, SizesAndUnion) {
    CUiRect r(10, 20, 30, 60);
    EXPECT_EQ(r.GetWidth(), 20);
    EXPECT_EQ(r.GetHeight(), 40);
    r.Union(CUiRect(0, 30, 20, 100));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 30);
    EXPECT_EQ(r.bottom, 100);
    CUiRect empty;
    empty.Union(CUiRect(5, 5, 6, 6));  // no test for empty: (0,0) stays a corner
    EXPECT_EQ(empty.left, 0);
    EXPECT_EQ(empty.right, 6);
    CPoint p;
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    static_assert(sizeof(CUiRect) == sizeof(RECT) && sizeof(CPoint) == sizeof(POINT), "Win32 layouts");
}

}  // namespace
