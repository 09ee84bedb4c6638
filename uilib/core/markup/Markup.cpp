#include "core/markup/Markup.h"

#include "core/markup/SkinZip.h"
#include "core/markup/UiResources.h"
#include "core/base/UiString.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace UiLib {

namespace {

bool IsIdentifierChar(wchar_t c) { return iswalnum(c) || c == L'_' || c == L':'; }

// Whitespace is every character up to code 32, except the end of the text.
void SkipWhitespace(wchar_t*& p) {
    while (*p > 0 && *p <= 32) ++p;
}

void SkipIdentifier(wchar_t*& p) {
    while (*p && IsIdentifierChar(*p)) ++p;
}

void CopyCut(wchar_t* out, SIZE_T capacity, const wchar_t* text) {
    if (!out || capacity == 0) return;
    size_t n = wcslen(text);
    if (n > capacity - 1) n = capacity - 1;
    wmemcpy(out, text, n);
    out[n] = L'\0';
}

struct Entity {
    const wchar_t* text;
    size_t length;
    wchar_t value;
};
const Entity kEntities[] = {
    {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''},
};

}  // namespace

// ---- CMarkupItem ----

CMarkupItem CMarkupItem::Parent() {
    if (!m_pOwner) return CMarkupItem();
    ULONG parent = m_pOwner->m_pElements[m_iPos].iParent;
    return parent == 0 ? CMarkupItem() : CMarkupItem(m_pOwner, parent);
}

CMarkupItem CMarkupItem::Sibling() {
    if (!m_pOwner) return CMarkupItem();
    ULONG next = m_pOwner->m_pElements[m_iPos].iNext;
    return next == 0 ? CMarkupItem() : CMarkupItem(m_pOwner, next);
}

CMarkupItem CMarkupItem::Child() {
    if (!m_pOwner) return CMarkupItem();
    ULONG child = m_pOwner->m_pElements[m_iPos].iChild;
    return child == 0 ? CMarkupItem() : CMarkupItem(m_pOwner, child);
}

bool CMarkupItem::HasChildren() const { return m_pOwner && m_pOwner->m_pElements[m_iPos].iChild != 0; }

const wchar_t* CMarkupItem::Name() const {
    return m_pOwner ? m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iStart : L"";
}

const wchar_t* CMarkupItem::Text() const {
    return m_pOwner ? m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iData : L"";
}

// Walks the element's start tag once the parser has cut it up: each name and
// value is terminated in place and only blanks lie between them.
void CMarkupItem::IndexAttributes() {
    m_nAttributes = 0;
    if (!m_pOwner) return;
    const CMarkup::XMLELEMENT& e = m_pOwner->m_pElements[m_iPos];
    wchar_t* xml = m_pOwner->m_pstrXML;
    const wchar_t* end = xml + e.iData;
    const wchar_t* p = xml + e.iStart;
    p += wcslen(p) + 1;
    while (m_nAttributes < MAX_ATTRIBUTES) {
        while (p < end && *p > 0 && *p <= 32) ++p;
        if (p >= end || !IsIdentifierChar(*p)) return;
        ULONG name = static_cast<ULONG>(p - xml);
        p += wcslen(p) + 1;
        while (p < end && *p > 0 && *p <= 32) ++p;
        if (p >= end || *p != L'"') return;
        ++p;
        m_aAttributes[m_nAttributes].iName = name;
        m_aAttributes[m_nAttributes].iValue = static_cast<ULONG>(p - xml);
        ++m_nAttributes;
        p += wcslen(p) + 1;
    }
}

int CMarkupItem::AttributeCount() {
    if (m_nAttributes < 0) IndexAttributes();
    return m_nAttributes;
}

bool CMarkupItem::HasAttributes() { return AttributeCount() > 0; }

const wchar_t* CMarkupItem::AttributeName(int index) {
    if (index < 0 || index >= AttributeCount()) return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[index].iName;
}

const wchar_t* CMarkupItem::AttributeValue(int index) {
    if (index < 0 || index >= AttributeCount()) return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[index].iValue;
}

const wchar_t* CMarkupItem::AttributeValue(const wchar_t* name) {
    if (!name) return L"";
    for (int i = 0; i < AttributeCount(); ++i)
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, name) == 0) return AttributeValue(i);
    return L"";
}

bool CMarkupItem::AttributeValue(const wchar_t* name, wchar_t* value, SIZE_T capacity) {
    if (!name) return false;
    for (int i = 0; i < AttributeCount(); ++i) {
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, name) != 0) continue;
        CopyCut(value, capacity, AttributeValue(i));
        return true;
    }
    return false;
}

bool CMarkupItem::HasAttribute(const wchar_t* name) {
    if (!name) return false;
    for (int i = 0; i < AttributeCount(); ++i)
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, name) == 0) return true;
    return false;
}

// ---- CMarkup ----

CMarkup::CMarkup(const wchar_t* xml) {
    m_szErrorMsg[0] = m_szErrorXML[0] = L'\0';
    if (xml) Load(xml);
}

CMarkup::~CMarkup() { Release(); }

void CMarkup::Release() {
    free(m_pstrXML);
    free(m_pElements);
    m_pstrXML = nullptr;
    m_pElements = nullptr;
    m_nElements = m_nReservedElements = 0;
}

void CMarkup::LastErrorMessage(wchar_t* message, SIZE_T capacity) const { CopyCut(message, capacity, m_szErrorMsg); }

void CMarkup::LastErrorLocation(wchar_t* location, SIZE_T capacity) const { CopyCut(location, capacity, m_szErrorXML); }

CMarkupItem CMarkup::Root() { return m_nElements > 1 ? CMarkupItem(this, 1) : CMarkupItem(); }

bool CMarkup::Failed(const wchar_t* message, const wchar_t* location) {
    CopyCut(m_szErrorMsg, 100, message);
    CopyCut(m_szErrorXML, 50, location ? location : L"");
    return false;
}

bool CMarkup::Load(const wchar_t* xml) {
    Release();
    if (!xml) xml = L"";
    size_t length = wcslen(xml);
    m_pstrXML = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
    if (!m_pstrXML) return Failed(L"Out of memory");
    wmemcpy(m_pstrXML, xml, length + 1);
    return Parse();
}

bool CMarkup::LoadFromBytes(const BYTE* bytes, DWORD size) {
    Release();
    if (!bytes) size = 0;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        size -= 3;
    }
    int chars = size ? MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size), nullptr, 0) : 0;
    if (size && chars <= 0) return Failed(L"Could not convert file to text");
    m_pstrXML = static_cast<wchar_t*>(malloc((static_cast<size_t>(chars) + 1) * sizeof(wchar_t)));
    if (!m_pstrXML) return Failed(L"Out of memory");
    if (chars) MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size), m_pstrXML, chars);
    m_pstrXML[chars] = L'\0';
    return Parse();
}

bool CMarkup::LoadFromFile(const wchar_t* name) {
    Release();
    CUiString path = CUiString(UiResources::ResourcePath()) + name;
    std::vector<BYTE> bytes;
    if (*UiResources::ResourceZipName()) {
        HZIP zip = UiResources::IsZipKeptOpen() ? UiResources::KeptZip() : nullptr;
        bool ownZip = !UiResources::IsZipKeptOpen();
        if (ownZip) {
            CUiString zipFile = CUiString(UiResources::ResourcePath()) + UiResources::ResourceZipName();
            zip = OpenZipArchive(ZIP_FILENAME, zipFile.GetData(), 0);
        }
        if (!zip) return Failed(L"Error opening zip file");
        struct Closer {
            HZIP zip;
            bool own;
            ~Closer() { if (own) CloseZipArchive(zip); }
        } closer{zip, ownZip};
        ZIPENTRY entry;
        int index = -1;
        if (FindZipEntry(zip, name, &index, &entry) != ZR_OK || index < 0) return Failed(L"Could not find ziped file");
        if (entry.unc_size == 0) return Failed(L"File is empty");
        if (entry.unc_size > MAX_FILE_SIZE) return Failed(L"File too large");
        bytes.resize(entry.unc_size);
        DWORD rc = ExtractZipEntry(zip, index, bytes.data(), entry.unc_size, ZIP_MEMORY);
        if (rc != ZR_OK && rc != ZR_MORE) return Failed(L"Could not unzip file");
    } else {
        HANDLE file = CreateFileW(path.GetData(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Failed(L"Error opening file");
        LARGE_INTEGER size{};
        bool sized = GetFileSizeEx(file, &size) != 0;
        if (sized && size.QuadPart == 0) {
            CloseHandle(file);
            return Failed(L"File is empty");
        }
        if (!sized || size.QuadPart > MAX_FILE_SIZE) {
            CloseHandle(file);
            return Failed(L"File too large");
        }
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        if (!ok || read != bytes.size()) return Failed(L"Could not read file");
    }
    return LoadFromBytes(bytes.data(), static_cast<DWORD>(bytes.size()));
}

CMarkup::XMLELEMENT* CMarkup::ReserveElement() {
    if (m_nElements == m_nReservedElements) {
        ULONG grown = m_nReservedElements + m_nReservedElements / 2 + 500;
        if (grown < m_nReservedElements) return nullptr;
        void* block = realloc(m_pElements, static_cast<size_t>(grown) * sizeof(XMLELEMENT));
        if (!block) return nullptr;
        m_pElements = static_cast<XMLELEMENT*>(block);
        m_nReservedElements = grown;
    }
    XMLELEMENT* e = &m_pElements[m_nElements++];
    memset(e, 0, sizeof *e);
    return e;
}

bool CMarkup::Parse() {
    m_szErrorMsg[0] = m_szErrorXML[0] = L'\0';
    if (!ReserveElement()) return Failed(L"Out of memory");  // element 0: the placeholder parent
    wchar_t* p = m_pstrXML;
    Outcome outcome = ParseContent(p, 0, 0, false);
    if (outcome == Outcome::ClosingTag) Failed(L"Unmatched closing tag", p);
    if (outcome != Outcome::EndOfText) {
        // A failed parse leaves no half-built tree behind.
        free(m_pElements);
        m_pElements = nullptr;
        m_nElements = m_nReservedElements = 0;
        return false;
    }
    return true;
}

// Decodes text up to `end` or the end of the text, writing behind `p` at `dest`.
void CMarkup::ParseData(wchar_t*& p, wchar_t*& dest, wchar_t end) {
    while (*p && *p != end) {
        if (*p == L'&') {
            const Entity* hit = nullptr;
            for (const Entity& entity : kEntities)
                if (wcsncmp(p, entity.text, entity.length) == 0) hit = &entity;
            if (hit) {
                *dest++ = hit->value;
                p += hit->length;
                continue;
            }
        }
        if (*p == L' ') {
            *dest++ = *p++;
            if (!m_bPreserveWhitespace) SkipWhitespace(p);
            continue;
        }
        *dest++ = *p++;
    }
}

bool CMarkup::ParseAttributes(wchar_t*& p) {
    for (;;) {
        SkipWhitespace(p);
        if (*p == L'\0' || *p == L'>' || *p == L'/') return true;
        wchar_t* name = p;
        SkipIdentifier(p);
        wchar_t* nameEnd = p;
        SkipWhitespace(p);
        if (p == name || *p != L'=') return Failed(L"Error while parsing attributes", p);
        *p++ = L' ';  // only blanks may stand between a name and its value
        SkipWhitespace(p);
        if (*p != L'"') return Failed(L"Expected attribute value", p);
        ++p;
        *nameEnd = L'\0';
        wchar_t* dest = p;
        ParseData(p, dest, L'"');
        if (*p == L'\0') return Failed(L"Error while parsing attribute string", p);
        // Terminate the value and blank the gap up to and over the closing quote.
        *dest = L'\0';
        for (wchar_t* gap = dest + 1; gap <= p; ++gap) *gap = L' ';
        ++p;
    }
}

CMarkup::Outcome CMarkup::ParseContent(wchar_t*& p, ULONG parent, int depth, bool afterOpeningBracket) {
    if (depth > MAX_DEPTH) {
        Failed(L"Elements nested too deeply", p);
        return Outcome::Failed;
    }
    // At the end of the text the document is complete while only the root,
    // or an element right below it, is still open.
    auto endOfText = [&]() {
        if (parent <= 1) return Outcome::EndOfText;
        Failed(L"Expected end-tag start", p);
        return Outcome::Failed;
    };
    ULONG previous = 0;
    for (;;) {
        if (!afterOpeningBracket) {
            SkipWhitespace(p);
            if (*p == L'\0') return endOfText();
            if (*p != L'<') {
                Failed(L"Expected start tag", p);
                return Outcome::Failed;
            }
            ++p;
        }
        afterOpeningBracket = false;
        if (*p == L'/') return Outcome::ClosingTag;
        if (*p == L'!' || *p == L'?') {
            bool comment = *p == L'!';
            wchar_t* close = wcsstr(p, comment ? L"->" : L"?>");
            if (!close) {
                Failed(comment ? L"Unterminated comment or declaration" : L"Unterminated processing instruction", p);
                return Outcome::Failed;
            }
            p = close + 2;
            continue;
        }

        if (!ReserveElement()) {
            Failed(L"Out of memory", p);
            return Outcome::Failed;
        }
        ULONG pos = m_nElements - 1;
        m_pElements[pos].iStart = Offset(p);
        m_pElements[pos].iParent = parent;
        if (previous) m_pElements[previous].iNext = pos;
        else m_pElements[parent].iChild = pos;
        previous = pos;

        wchar_t* name = p;
        SkipIdentifier(p);
        if (p == name) {
            Failed(L"Error parsing element name", p);
            return Outcome::Failed;
        }
        wchar_t* nameEnd = p;
        if (!ParseAttributes(p)) return Outcome::Failed;

        if (p[0] == L'/' && p[1] == L'>') {
            m_pElements[pos].iData = Offset(p);
            *nameEnd = L'\0';
            *p = L'\0';  // an empty element has empty text
            p += 2;
            continue;
        }
        if (*p != L'>') {
            Failed(L"Expected start-tag closing", p);
            return Outcome::Failed;
        }
        ++p;
        *nameEnd = L'\0';
        m_pElements[pos].iData = Offset(p);
        wchar_t* dest = p;
        ParseData(p, dest, L'<');
        if (*p == L'\0') {
            *dest = L'\0';
            return endOfText();
        }
        ++p;  // past "<"; only now may the text's terminator cover it
        *dest = L'\0';
        if (*p != L'/') {
            Outcome inner = ParseContent(p, pos, depth + 1, true);
            if (inner != Outcome::ClosingTag) return inner;
        }
        ++p;  // past "/"
        SkipWhitespace(p);
        size_t nameLength = wcslen(name);
        if (wcsncmp(p, name, nameLength) != 0) {
            Failed(L"Unmatched closing tag", p);
            return Outcome::Failed;
        }
        p += nameLength;
        SkipWhitespace(p);
        if (*p != L'>') {
            Failed(L"Unmatched closing tag", p);
            return Outcome::Failed;
        }
        ++p;
    }
}

}  // namespace UiLib
