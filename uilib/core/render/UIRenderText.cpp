// The text side of the render engine: plain text through GDI or GDI+, and the
// library's tagged rich text (colours, fonts, links, images, paragraphs,
// selection) laid out line by line in one walk over the text.
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"
#include "core/render/UIRenderInternal.h"
#include "win32/ScopedGdi.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include <objidl.h>
#include <gdiplus.h>

namespace UiLib {

namespace {

// The GDI+ layout that matches Win32 DrawText's alignment, wrapping,
// clipping and ellipsis flags.
void ApplyDrawTextStyle(Gdiplus::StringFormat& format, UINT style) {
    if (style & DT_END_ELLIPSIS) format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    INT flags = 0;
    if (style & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
    if (style & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
    format.SetFormatFlags(flags);
    format.SetAlignment((style & DT_CENTER)  ? Gdiplus::StringAlignmentCenter
                        : (style & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                             : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment((style & DT_VCENTER)  ? Gdiplus::StringAlignmentCenter
                            : (style & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                                  : Gdiplus::StringAlignmentNear);
}

// Anti-aliased text for windows whose background is transparent (GDI text
// would leave alpha 0 behind) or that asked for GDI+ text. The brush's alpha
// is always 0xFE so the text stays visible whatever alpha the colour carries.
void DrawTextGdiplus(HDC hDC, HFONT hFont, RECT& rc, const wchar_t* text, DWORD color, UINT style) {
    Gdiplus::Graphics graphics(hDC);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::Font font(hDC, hFont);
    // A rectangle turned inside out lays out as an unbounded one instead of failing.
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                          static_cast<Gdiplus::REAL>(std::max<LONG>(rc.right - rc.left, 0)),
                          static_cast<Gdiplus::REAL>(std::max<LONG>(rc.bottom - rc.top, 0)));
    Gdiplus::SolidBrush brush(
        Gdiplus::Color(0xFE, static_cast<BYTE>(color >> 16), static_cast<BYTE>(color >> 8), static_cast<BYTE>(color)));
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    ApplyDrawTextStyle(format, style);
    if (style & DT_CALCRECT) {
        Gdiplus::RectF bounds;
        graphics.MeasureString(text, -1, &font, layout, &format, &bounds);
        rc.right = static_cast<LONG>(rc.left + bounds.Width + 1);
        rc.bottom = static_cast<LONG>(rc.top + bounds.Height + 1);
    } else {
        graphics.DrawString(text, -1, &font, layout, &format, &brush);
    }
}

}  // namespace

void CRenderEngine::DrawTextW(HDC hDC, CPaintManagerUI* manager, RECT& rc, const wchar_t* text, DWORD color,
                              int font, UINT style) {
    if (!hDC || !manager || !text) return;
    if (manager->IsBackgroundTransparent() || manager->IsUseGdiplusText()) {
        DrawTextGdiplus(hDC, manager->GetFontInfo(font)->hFont, rc, text, color, style);
        return;
    }
    SetBkMode(hDC, TRANSPARENT);
    SetTextColor(hDC, ToColorRef(color));
    // A font already selected (the paint selects the default one) is used as
    // it is: a selection costs a trip through the display driver.
    HFONT wanted = manager->GetFontInfo(font)->hFont;
    SelectGuard select(hDC, ::GetCurrentObject(hDC, OBJ_FONT) == wanted ? nullptr : wanted);
    ::DrawTextW(hDC, text, -1, &rc, style | DT_NOPREFIX);
}

namespace {

int FontHeight(const TFontInfo* font) { return font->tm.tmHeight + font->tm.tmExternalLeading; }

bool IsOpener(wchar_t ch) { return ch == L'<' || ch == L'{'; }
bool IsCloser(wchar_t ch) { return ch == L'>' || ch == L'}'; }
bool IsAsciiLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }

// The three-character escapes for the tag openers and closers; 0 when the
// text does not start with one.
wchar_t EscapedChar(const wchar_t* p) {
    if (p[0] == L'<' && p[1] == L'{' && p[2] == L'>') return L'{';
    if (p[0] == L'<' && p[1] == L'}' && p[2] == L'>') return L'}';
    if (p[0] == L'{' && p[1] == L'<' && p[2] == L'}') return L'<';
    if (p[0] == L'{' && p[1] == L'>' && p[2] == L'}') return L'>';
    return 0;
}

bool IsClosingTag(const wchar_t* p, wchar_t letter) {
    return IsOpener(p[0]) && p[1] == L'/' && p[2] == letter && IsCloser(p[3]);
}

// Everything the layout changes while it walks: kept per line start so the
// drawing pass can replay the line the measuring pass sized. The stacks grow
// as deep as the text nests.
struct RichState {
    const wchar_t* p = nullptr;
    std::vector<TFontInfo*> fonts;
    std::vector<DWORD> colours;
    std::vector<int> spacings;
    bool raw = false;
    bool selected = false;
    int linkIndex = 0;
    POINT linkStart = {0, 0};
};

class RichTextLayout {
public:
    RichTextLayout(HDC dc, CPaintManagerUI* manager, const RECT& rc, DWORD colour, RECT* linkRects,
                   CUiString* linkTexts, int linkCapacity, UINT style)
        : dc_(dc), pm_(manager), rc_(rc), colour_(colour), linkRects_(linkRects), linkTexts_(linkTexts),
          linkCapacity_(linkRects && linkTexts ? linkCapacity : 0), style_(style) {}

    void SetHoverLink(const CUiString& text) { hoverLink_ = text; }

    // Lays out the text from the rectangle's top; draws unless measuring.
    // Returns the bottom of the last line and the widest x reached.
    void Run(const wchar_t* text, bool draw, int topOffset, LONG& bottom, LONG& widest) {
        RichState st;
        st.p = text;
        int y = rc_.top + topOffset;
        int lines = 0;
        widest = rc_.left;
        while (*st.p) {
            if (draw && y >= rc_.bottom) break;
            RichState lineStart = st;
            int height = 0, width = 0;
            LayoutLine(st, y, 0, 0, false, height, width);
            if (draw) {
                st = lineStart;
                int shift = 0;
                if (style_ & DT_CENTER)
                    shift = std::max(0, static_cast<int>(rc_.right - rc_.left) - width) / 2;
                else if (style_ & DT_RIGHT)
                    shift = std::max(0, static_cast<int>(rc_.right - rc_.left) - width);
                int drawnWidth = 0;
                LayoutLine(st, y, height, shift, true, height, drawnWidth);
            }
            widest = std::max<LONG>(widest, rc_.left + width);
            y += height;
            ++lines;
            if ((style_ & DT_SINGLELINE) || st.p == lineStart.p) break;
        }
        if (lines == 0) y += FontHeight(CurrentFont(st));
        bottom = std::max<LONG>(y, lowestImage_);
    }

    int LinksFound() const { return std::min(linksFound_, linkCapacity_); }

private:
    TFontInfo* CurrentFont(const RichState& st) {
        return st.fonts.empty() ? pm_->GetDefaultFontInfo() : st.fonts.back();
    }
    DWORD CurrentColour(const RichState& st) const { return st.colours.empty() ? colour_ : st.colours.back(); }
    int CurrentSpacing(const RichState& st) const { return st.spacings.empty() ? 0 : st.spacings.back(); }

    TFontInfo* FindOrAddFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
        HFONT font = pm_->FindFont(face, size, bold, underline, italic);
        if (!font) font = pm_->AddFont(face, size, bold, underline, italic);
        return font ? pm_->GetFontInfo(font) : pm_->GetDefaultFontInfo();
    }

    // The current font with one more of bold, underline, italic.
    void PushDerivedFont(RichState& st, bool bold, bool underline, bool italic) {
        TFontInfo* f = CurrentFont(st);
        st.fonts.push_back(FindOrAddFont(f->sFontName, f->iSize, f->bBold || bold, f->bUnderline || underline,
                                         f->bItalic || italic));
    }

    // Pops a font; leaving italic moves x on by half the overhang of a blank.
    void PopFont(RichState& st, int& x) {
        if (st.fonts.empty()) return;
        TFontInfo* closed = st.fonts.back();
        st.fonts.pop_back();
        if (closed->bItalic && !CurrentFont(st)->bItalic) {
            SelectGuard select(dc_, closed->hFont);
            ABC abc = {};
            if (GetCharABCWidthsW(dc_, L' ', L' ', &abc)) x += std::abs(abc.abcC) / 2;
        }
    }

    void PushFontFromArgument(RichState& st, const std::wstring& arg) {
        if (!arg.empty() && arg[0] >= L'0' && arg[0] <= L'9') {
            st.fonts.push_back(pm_->GetFontInfo(_wtoi(arg.c_str())));
            return;
        }
        size_t faceEnd = arg.find(L' ');
        std::wstring face = arg.substr(0, faceEnd);
        int size = 10;
        std::wstring rest;
        if (faceEnd != std::wstring::npos) {
            const wchar_t* p = arg.c_str() + faceEnd;
            wchar_t* end = nullptr;
            long value = wcstol(p, &end, 10);
            if (end != p) size = static_cast<int>(value);
            rest = end;
            for (wchar_t& ch : rest) ch = static_cast<wchar_t>(towlower(ch));
        }
        auto has = [&rest](const wchar_t* word) { return rest.find(word) != std::wstring::npos; };
        st.fonts.push_back(FindOrAddFont(face.c_str(), size, has(L"bold"), has(L"underline"), has(L"italic")));
    }

    // One line from st.p; on return st.p is past the line. lineHeight is the
    // height the measuring pass found (drawing) or is grown here (measuring).
    void LayoutLine(RichState& st, int y, int knownHeight, int shift, bool draw, int& lineHeight, int& width) {
        int x = rc_.left;
        if (!draw) lineHeight = FontHeight(CurrentFont(st)) + CurrentSpacing(st);
        const int bottom = y + (draw ? knownHeight : 0);
        bool empty = true;
        auto grow = [&](int h) {
            if (!draw) lineHeight = std::max(lineHeight, h);
        };
        while (*st.p) {
            const wchar_t* p = st.p;
            if (*p == L'\n') {
                st.p++;
                break;
            }
            if (x >= rc_.right && !empty) break;
            if (st.raw && IsClosingTag(p, L'r')) {
                st.raw = false;
                st.p += 4;
                continue;
            }
            if (!st.raw && IsOpener(*p)) {
                wchar_t escaped = EscapedChar(p);
                if (escaped) {
                    grow(FontHeight(CurrentFont(st)) + CurrentSpacing(st));
                    if (!DrawRun(st, &escaped, 1, x, bottom, draw, empty, shift)) break;
                    st.p += 3;
                    continue;
                }
                if (p[1] == L'/' && p[2] >= L'a' && p[2] <= L'z' && IsCloser(p[3])) {
                    // A closing paragraph ends a non-empty line first and is read again on the next.
                    if (p[2] == L'p' && !empty && !(style_ & DT_SINGLELINE)) break;
                    st.p += 4;
                    CloseTag(st, p[2], x, y, draw, lineHeight);
                    continue;
                }
                if (p[1] >= L'a' && p[1] <= L'z' && (p[2] == L' ' || IsCloser(p[2]))) {
                    TagResult result = OpenTag(st, x, y, bottom, draw, empty, grow, lineHeight);
                    if (result == TagResult::EndLine) break;
                    continue;
                }
            }
            // A run: one blank alone, or text up to a blank, an opener or a line feed.
            const wchar_t* end = p + 1;
            if (*p != L' ') {
                while (*end && *end != L'\n' && *end != L' ') {
                    if (st.raw ? IsClosingTag(end, L'r') : IsOpener(*end)) break;
                    ++end;
                }
            }
            grow(FontHeight(CurrentFont(st)) + CurrentSpacing(st));
            if (!DrawRun(st, p, static_cast<int>(end - p), x, bottom, draw, empty, shift)) break;
        }
        width = x - rc_.left;
    }

    // Draws (or only measures) as much of a run as fits; false when the line
    // ends because the run did not fit whole.
    bool DrawRun(RichState& st, const wchar_t* run, int count, int& x, int bottom, bool draw, bool& empty,
                 int shift) {
        TFontInfo* font = CurrentFont(st);
        SelectGuard select(dc_, font->hFont);
        int available = std::max(0, static_cast<int>(rc_.right) - x);
        int fit = 0;
        SIZE size = {0, 0};
        GetTextExtentExPointW(dc_, run, count, available, &fit, nullptr, &size);
        bool whole = fit >= count;
        int take = whole ? count : fit;
        bool ellipsis = false;
        if (!whole) {
            if (style_ & DT_WORDBREAK) {
                int cut = -1;
                for (int i = 0; i < take; ++i)
                    if (!IsAsciiLetter(run[i])) cut = i + 1;
                take = cut > 0 ? cut : (empty ? take : 0);
            }
            if (take == 0 && empty) take = 1;  // an empty line shows at least one character
            if ((style_ & DT_END_ELLIPSIS) && take > 0) {
                take -= std::min(take, 2);
                ellipsis = true;
            }
        }
        if (take > 0 || ellipsis) {
            std::wstring text(run, static_cast<size_t>(take));
            if (ellipsis) text += L"...";
            SIZE drawn = {0, 0};
            GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &drawn);
            if (draw) {
                SetTextColor(dc_, CRenderEngine::ToColorRef(CurrentColour(st)));
                if (st.selected) {
                    SetBkMode(dc_, OPAQUE);
                    SetBkColor(dc_, CRenderEngine::ToColorRef(pm_->GetDefaultSelectedBkColor()));
                } else {
                    SetBkMode(dc_, TRANSPARENT);
                }
                TextOutW(dc_, x + shift, bottom - FontHeight(font), text.c_str(), static_cast<int>(text.size()));
            }
            x += drawn.cx;
            empty = false;
        }
        if (take > 0 && run == st.p) st.p += take;
        return whole;
    }

    enum class TagResult { Continue, EndLine };

    template <typename Grow>
    TagResult OpenTag(RichState& st, int& x, int y, int bottom, bool draw, bool& empty, Grow grow, int& lineHeight) {
        const bool single = (style_ & DT_SINGLELINE) != 0;
        const wchar_t letter = st.p[1];
        const wchar_t* argStart = st.p + 2;
        while (*argStart == L' ') ++argStart;
        const wchar_t* argEnd = argStart;
        while (*argEnd && !IsCloser(*argEnd)) ++argEnd;
        std::wstring arg(argStart, argEnd);
        const wchar_t* after = *argEnd ? argEnd + 1 : argEnd;
        switch (letter) {
            case L'a': {
                if (!draw && st.linkIndex < linkCapacity_) linkTexts_[st.linkIndex] = arg.c_str();
                bool hovered = !hoverLink_.IsEmpty() && hoverLink_ == arg.c_str();
                st.colours.push_back(hovered ? pm_->GetDefaultLinkHoverFontColor() : pm_->GetDefaultLinkFontColor());
                PushDerivedFont(st, false, true, false);
                st.linkStart = POINT{x, y};
                break;
            }
            case L'b':
                PushDerivedFont(st, true, false, false);
                break;
            case L'u':
                PushDerivedFont(st, false, true, false);
                break;
            case L'c': {
                const wchar_t* digits = arg.c_str() + (!arg.empty() && arg[0] == L'#' ? 1 : 0);
                st.colours.push_back(0xFF000000 | static_cast<DWORD>(wcstoul(digits, nullptr, 16)));
                break;
            }
            case L'f':
                PushFontFromArgument(st, arg);
                break;
            case L'i': {
                if (arg.empty()) {
                    PushDerivedFont(st, false, false, true);
                    break;
                }
                if (!DrawInlineImage(arg, x, y, bottom, draw, empty, grow)) return TagResult::EndLine;
                break;
            }
            case L'n':
                if (!single) {
                    st.p = after;
                    return TagResult::EndLine;
                }
                break;
            case L'p':
                if (!empty && !single) return TagResult::EndLine;  // read again on the new line
                st.spacings.push_back(_wtoi(arg.c_str()));
                grow(FontHeight(CurrentFont(st)) + CurrentSpacing(st));
                break;
            case L'r':
                st.raw = true;
                break;
            case L's':
                st.selected = !st.selected;
                break;
            case L'x':
                x += _wtoi(arg.c_str());
                break;
            case L'y':
                if (!draw) lineHeight = _wtoi(arg.c_str());
                break;
            default:
                break;
        }
        st.p = after;
        return TagResult::Continue;
    }

    void CloseTag(RichState& st, wchar_t letter, int& x, int y, bool draw, int& lineHeight) {
        switch (letter) {
            case L'a':
                if (!draw && st.linkIndex < linkCapacity_)
                    linkRects_[st.linkIndex] =
                        RECT{st.linkStart.x, st.linkStart.y, x, y + FontHeight(CurrentFont(st))};
                st.linkIndex++;
                linksFound_ = std::max(linksFound_, st.linkIndex);
                if (!st.colours.empty()) st.colours.pop_back();
                PopFont(st, x);
                break;
            case L'c':
                if (!st.colours.empty()) st.colours.pop_back();
                break;
            case L'b':
            case L'u':
            case L'i':
            case L'f':
                PopFont(st, x);
                break;
            case L'p':
                if (!st.spacings.empty()) st.spacings.pop_back();
                if (!draw) lineHeight = FontHeight(CurrentFont(st)) + CurrentSpacing(st);
                break;
            case L'r':
                st.raw = false;
                break;
            case L's':
                st.selected = !st.selected;
                break;
            default:
                break;
        }
    }

    // The i tag with an image: "name [frames [index]]" or description pairs.
    template <typename Grow>
    bool DrawInlineImage(const std::wstring& arg, int& x, int y, int bottom, bool draw, bool& empty, Grow grow) {
        std::wstring name, type;
        int frames = 1, index = 0;
        if (!ReadImageNameAndType(arg.c_str(), name, type)) {
            size_t nameEnd = arg.find(L' ');
            name = arg.substr(0, nameEnd);
            if (nameEnd != std::wstring::npos) {
                const wchar_t* p = arg.c_str() + nameEnd;
                wchar_t* end = nullptr;
                frames = std::max(1, static_cast<int>(wcstol(p, &end, 10)));
                index = static_cast<int>(wcstol(end, nullptr, 10));
            }
        }
        if (index < 0 || index >= frames) index = 0;
        TImageInfo* image = pm_->GetImageEx(name.c_str(), type.empty() ? nullptr : type.c_str());
        if (!image || !image->hBitmap) return true;  // takes no room
        int frameWidth = image->nX / frames;
        if (x + frameWidth > rc_.right && !empty && !(style_ & DT_SINGLELINE)) return false;
        grow(image->nY);
        if (draw) {
            int lineHeight = bottom - y;
            int top = image->nY < lineHeight ? y + (lineHeight - image->nY) / 2 : bottom - image->nY;
            RECT dst = {x, top, x + frameWidth, top + image->nY};
            RECT src = {index * frameWidth, 0, (index + 1) * frameWidth, image->nY};
            RECT corners = {0, 0, 0, 0};
            CRenderEngine::DrawImage(dc_, image->hBitmap, dst, rc_, src, corners, image->alphaChannel, 255);
        }
        lowestImage_ = std::max<LONG>(lowestImage_, y + image->nY);
        x += frameWidth;
        empty = false;
        return true;
    }

    HDC dc_;
    CPaintManagerUI* pm_;
    RECT rc_;
    DWORD colour_;
    RECT* linkRects_;
    CUiString* linkTexts_;
    int linkCapacity_;
    UINT style_;
    CUiString hoverLink_;
    int linksFound_ = 0;
    LONG lowestImage_ = 0;
};

}  // namespace

void CRenderEngine::DrawRichText(HDC hDC, CPaintManagerUI* manager, RECT& rc, const wchar_t* text, DWORD color,
                                 RECT* linkRects, CUiString* linkTexts, int* linkCount, UINT style) {
    if (!hDC || !manager || !text || rc.right <= rc.left || rc.bottom <= rc.top) return;
    const int capacity = linkCount ? std::max(0, *linkCount) : 0;
    const bool measure = (style & DT_CALCRECT) != 0;
    SelectGuard selectFont(hDC, manager->GetDefaultFontInfo()->hFont);
    int oldMode = SetBkMode(hDC, TRANSPARENT);
    COLORREF oldText = GetTextColor(hDC);
    COLORREF oldBk = SetBkColor(hDC, ToColorRef(manager->GetDefaultSelectedBkColor()));

    RichTextLayout layout(hDC, manager, rc, color, linkRects, linkTexts, capacity, style);
    LONG bottom = 0, widest = 0;
    if (measure) {
        layout.Run(text, false, 0, bottom, widest);
        rc.bottom = bottom;
        rc.right = std::min(rc.right, widest);
    } else {
        int topOffset = 0;
        if (style & (DT_VCENTER | DT_BOTTOM)) {
            RECT probe = {0, 0, 9999, 100};
            RichTextLayout measurer(hDC, manager, probe, color, nullptr, nullptr, 0, style & ~(DT_CENTER | DT_RIGHT));
            LONG probeBottom = 0, probeWidest = 0;
            measurer.Run(text, false, 0, probeBottom, probeWidest);
            int free = (rc.bottom - rc.top) - probeBottom;
            topOffset = std::max(0, (style & DT_VCENTER) ? free / 2 : free);
        }
        if (linkRects && linkTexts && capacity > 0) {
            POINT mouse = manager->GetMousePos();
            for (int i = 0; i < capacity; ++i) {
                if (PtInRect(&linkRects[i], mouse)) {
                    layout.SetHoverLink(linkTexts[i]);
                    break;
                }
            }
        }
        CRenderClip clip;
        CRenderClip::GenerateClip(hDC, rc, clip);
        layout.Run(text, true, topOffset, bottom, widest);
    }
    if (linkCount) *linkCount = layout.LinksFound();

    SetBkColor(hDC, oldBk);
    SetTextColor(hDC, oldText);
    SetBkMode(hDC, oldMode);
}

}  // namespace UiLib
