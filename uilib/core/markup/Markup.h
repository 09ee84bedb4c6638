// CMarkup reads a skin's XML text into a flat array of elements, parsing in
// place (names, values and texts are cut out of the document buffer with
// terminators). CMarkupItem walks that array.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>

namespace UiLib {

class CMarkup;

class UILIB_API CMarkupItem {
    friend class CMarkup;

public:
    enum { MAX_ATTRIBUTES = 64, MAX_VALUE_BUFFER = 500 };

    CMarkupItem() = default;

    bool IsValid() const { return m_pOwner != nullptr; }
    CMarkupItem Parent();
    CMarkupItem Sibling();
    CMarkupItem Child();
    bool HasChildren() const;
    const wchar_t* Name() const;
    const wchar_t* Text() const;

    int AttributeCount();
    bool HasAttributes();
    bool HasAttribute(const wchar_t* name);
    const wchar_t* AttributeName(int index);
    const wchar_t* AttributeValue(int index);
    const wchar_t* AttributeValue(const wchar_t* name);
    // Copies at most 499 characters and a terminator into a 500-character buffer.
    bool AttributeValue(const wchar_t* name, wchar_t* value, SIZE_T capacity = MAX_VALUE_BUFFER);

private:
    CMarkupItem(CMarkup* owner, ULONG position) : m_pOwner(owner), m_iPos(position) {}
    void IndexAttributes();

    struct Attribute {
        ULONG iName;
        ULONG iValue;
    };

    CMarkup* m_pOwner = nullptr;
    ULONG m_iPos = 0;
    int m_nAttributes = -1;  // not indexed yet
    Attribute m_aAttributes[MAX_ATTRIBUTES];
};

class UILIB_API CMarkup {
    friend class CMarkupItem;

public:
    enum { MAX_FILE_SIZE = 4 * 1024 * 1024, MAX_DEPTH = 512 };

    explicit CMarkup(const wchar_t* xml = nullptr);
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    bool Load(const wchar_t* xml);
    bool LoadFromBytes(const BYTE* bytes, DWORD size);
    // From the resource folder, or from the skin archive when one is set.
    bool LoadFromFile(const wchar_t* name);
    void Release();
    bool IsValid() const { return m_pElements != nullptr; }

    void SetPreserveWhitespace(bool preserve = true) { m_bPreserveWhitespace = preserve; }
    void LastErrorMessage(wchar_t* message, SIZE_T capacity) const;
    void LastErrorLocation(wchar_t* location, SIZE_T capacity) const;

    CMarkupItem Root();

private:
    struct XMLELEMENT {
        ULONG iStart;
        ULONG iChild;
        ULONG iNext;
        ULONG iParent;
        ULONG iData;
    };
    enum class Outcome { Failed, EndOfText, ClosingTag };

    bool Parse();
    Outcome ParseContent(wchar_t*& p, ULONG parent, int depth, bool afterOpeningBracket);
    bool ParseAttributes(wchar_t*& p);
    void ParseData(wchar_t*& p, wchar_t*& dest, wchar_t end);
    XMLELEMENT* ReserveElement();
    bool Failed(const wchar_t* message, const wchar_t* location = nullptr);
    ULONG Offset(const wchar_t* p) const { return static_cast<ULONG>(p - m_pstrXML); }

    wchar_t* m_pstrXML = nullptr;
    XMLELEMENT* m_pElements = nullptr;
    ULONG m_nElements = 0;
    ULONG m_nReservedElements = 0;
    wchar_t m_szErrorMsg[100];
    wchar_t m_szErrorXML[50];
    bool m_bPreserveWhitespace = false;
};

}  // namespace UiLib
