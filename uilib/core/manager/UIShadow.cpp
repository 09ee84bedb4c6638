#include "core/manager/UIShadow.h"

#include "core/effects/ShadowBitmap.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace UiLib {

namespace {

const wchar_t kShadowClass[] = L"TarvelShadowWnd";
const int kLowestSetting = -20;
const int kHighestOffsetY = 20;

// The frames that carry a shadow. A record outlives its shadow when another
// subclass was put on top of ours: the frame then still reaches its own
// procedure through it.
struct FrameRecord {
    CShadowUI* shadow;
    WNDPROC original;
};

std::map<HWND, FrameRecord>& Frames() {
    static std::map<HWND, FrameRecord> frames;
    return frames;
}

signed char ToSigned8(int value) { return static_cast<signed char>(std::max(-128, std::min(value, 127))); }
BYTE ToByte(unsigned int value) { return static_cast<BYTE>(std::min(value, 255u)); }

}  // namespace

CShadowUI::~CShadowUI() { Detach(); }

bool CShadowUI::Initialize(HINSTANCE hInstance) {
    static bool registered = false;
    if (registered) return false;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kShadowClass;
    registered = ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

void CShadowUI::Create(CPaintManagerUI* pPaintManager) {
    if (!m_bIsShowShadow || !pPaintManager) return;
    HWND frame = pPaintManager->GetPaintWindow();
    // A dead frame has nothing to follow; a frame that has its shadow gets no second one.
    if (!::IsWindow(frame) || m_hWnd || Frames().count(frame)) return;
    HINSTANCE instance = CPaintManagerUI::GetInstance();
    Initialize(instance);

    const LONG style = ::GetWindowLongW(frame, GWL_STYLE);
    HWND shadow = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClass, nullptr,
                                    WS_POPUP | WS_BORDER | WS_SYSMENU | (style & WS_DLGFRAME), CW_USEDEFAULT, 0, 0,
                                    0, frame, nullptr, instance, nullptr);
    if (!shadow) return;
    m_pManager = pPaintManager;
    m_hWnd = shadow;
    m_hParent = frame;

    if (!(style & WS_VISIBLE)) {
        m_Status = kEnabled;
    } else if (style & (WS_MAXIMIZE | WS_MINIMIZE)) {
        m_Status = kEnabled | kParentVisible;
    } else {
        m_Status = kEnabled | kShown | kParentVisible;
        ::ShowWindow(m_hWnd, SW_SHOWNA);
        Update(frame);
    }
    WNDPROC original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc)));
    Frames()[frame] = FrameRecord{this, original};
}

void CShadowUI::Detach() {
    if (m_hParent) {
        auto it = Frames().find(m_hParent);
        if (it != Frames().end() && it->second.shadow == this) {
            const bool ours = ::IsWindow(m_hParent) &&
                              ::GetWindowLongPtrW(m_hParent, GWLP_WNDPROC) ==
                                  reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc);
            if (ours) {
                ::SetWindowLongPtrW(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.original));
                Frames().erase(it);
            } else if (::IsWindow(m_hParent)) {
                it->second.shadow = nullptr;  // another subclass sits above ours: keep forwarding
            } else {
                Frames().erase(it);
            }
        }
        m_hParent = nullptr;
    }
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    m_Status = 0;
}

LRESULT CALLBACK CShadowUI::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = Frames().find(hwnd);
    if (it == Frames().end()) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    const FrameRecord record = it->second;
    if (msg == WM_NCDESTROY) {
        Frames().erase(it);
        if (record.shadow) {
            record.shadow->m_hParent = nullptr;
            record.shadow->m_Status = 0;
        }
    } else if (record.shadow) {
        record.shadow->OnParentMessage(hwnd, msg, wParam, lParam);
    }
    return ::CallWindowProcW(record.original, hwnd, msg, wParam, lParam);
}

void CShadowUI::OnParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DESTROY:
        if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        break;
    case WM_MOVE:
        if (m_Status & kShown) {
            RECT frame = {};
            ::GetWindowRect(hwnd, &frame);
            POINT origin = ShadowOrigin(frame);
            ::SetWindowPos(m_hWnd, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
        break;
    case WM_SIZE:
        if (m_Status & kEnabled) {
            if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
                ::ShowWindow(m_hWnd, SW_HIDE);
                m_Status &= ~kShown;
            } else if (m_Status & kParentVisible) {
                // A larger frame is drawn at the next paint, when its new region is set.
                if (LOWORD(lParam) > LOWORD(m_WndSize) || HIWORD(lParam) > HIWORD(m_WndSize))
                    m_bUpdate = true;
                else
                    Update(hwnd);
                ::ShowWindow(m_hWnd, SW_SHOWNA);
                m_Status |= kShown;
            }
        }
        m_WndSize = lParam;
        break;
    case WM_PAINT:
        if (m_bUpdate) {
            Update(hwnd);
            m_bUpdate = false;
        }
        break;
    case WM_SHOWWINDOW:
        if (m_Status & kEnabled) {
            if (wParam) {
                if (!(m_Status & kParentVisible)) {
                    m_bUpdate = true;
                    ::ShowWindow(m_hWnd, SW_SHOWNA);
                    m_Status |= kShown | kParentVisible;
                }
            } else {
                ::ShowWindow(m_hWnd, SW_HIDE);
                m_Status &= ~(kShown | kParentVisible);
            }
        }
        break;
    case WM_EXITSIZEMOVE:
        if (m_Status & kShown) Update(hwnd);
        break;
    default:
        break;
    }
}

POINT CShadowUI::ShadowOrigin(const RECT& frame) const {
    if (m_bIsImageMode) return POINT{frame.left - m_rcShadowCorner.left, frame.top - m_rcShadowCorner.top};
    return POINT{frame.left + m_nxOffset - m_nSize, frame.top + m_nyOffset - m_nSize};
}

void CShadowUI::Update(HWND hParent) {
    if (!m_hWnd || !::IsWindow(hParent)) return;
    RECT frame = {};
    ::GetWindowRect(hParent, &frame);
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    SIZE size = {};
    if (m_bIsImageMode) {
        if (m_sShadowImage.IsEmpty()) return;
        size = SIZE{frameWidth + m_rcShadowCorner.left + m_rcShadowCorner.right,
                    frameHeight + m_rcShadowCorner.top + m_rcShadowCorner.bottom};
    } else {
        size = ShadowBitmapSize(frameWidth, frameHeight, m_nSize);
    }
    if (size.cx <= 0 || size.cy <= 0) return;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // rows top-down, as the generator lays them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return;
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, bitmap);

    const RECT whole = {0, 0, size.cx, size.cy};
    if (m_bIsImageMode) {
        TImageInfo* image = m_pManager ? m_pManager->GetImageEx(m_sShadowImage) : nullptr;
        if (image)
            CRenderEngine::DrawImage(memory, image->hBitmap, whole, whole, RECT{0, 0, image->nX, image->nY},
                                     m_rcShadowCorner, true, 255);
    } else {
        ShadowSettings settings;
        settings.size = m_nSize;
        settings.sharpness = m_nSharpness;
        settings.darkness = m_nDarkness;
        settings.offsetX = m_nxOffset;
        settings.offsetY = m_nyOffset;
        settings.color = m_Color;
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        const bool hasRegion = region && ::GetWindowRgn(hParent, region) != ERROR;
        std::vector<ShadowRowSpan> rows = hasRegion ? FrameRowsFromRegion(region, frameWidth, frameHeight)
                                                    : FrameRowsOfRectangle(frameWidth, frameHeight);
        if (region) ::DeleteObject(region);
        std::vector<DWORD> pixels = BuildShadowPixels(frameWidth, frameHeight, rows, settings);
        std::memcpy(bits, pixels.data(), pixels.size() * sizeof(DWORD));
    }

    POINT origin = ShadowOrigin(frame);
    ::SetWindowPos(m_hWnd, nullptr, origin.x, origin.y, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hWnd, nullptr, &origin, &size, memory, &source, 0, &blend, ULW_ALPHA);

    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
}

bool CShadowUI::SetSize(int size) {
    if (size < kLowestSetting) return false;
    m_nSize = ToSigned8(size);
    if (m_hWnd && (m_Status & kShown)) Update(m_hParent);
    return true;
}

bool CShadowUI::SetSharpness(unsigned int sharpness) {
    m_nSharpness = ToByte(sharpness);
    if (m_hWnd && (m_Status & kShown)) Update(m_hParent);
    return true;
}

bool CShadowUI::SetDarkness(unsigned int darkness) {
    m_nDarkness = ToByte(darkness);
    if (m_hWnd && (m_Status & kShown)) Update(m_hParent);
    return true;
}

bool CShadowUI::SetPosition(int x, int y) {
    if (x < kLowestSetting || y < kLowestSetting || y > kHighestOffsetY) return false;
    m_nxOffset = ToSigned8(x);
    m_nyOffset = static_cast<signed char>(y);
    if (m_hWnd && (m_Status & kShown)) Update(m_hParent);
    return true;
}

bool CShadowUI::SetColor(COLORREF color) {
    m_Color = color;
    if (m_hWnd && (m_Status & kShown)) Update(m_hParent);
    return true;
}

bool CShadowUI::SetImage(const wchar_t* image) {
    if (!image) return false;
    m_bIsImageMode = true;
    m_sShadowImage = image;
    if (m_hWnd && (m_Status & kShown)) Update(m_hParent);
    return true;
}

bool CShadowUI::SetShadowCorner(RECT corner) {
    if (corner.left < 0 || corner.top < 0 || corner.right < 0 || corner.bottom < 0) return false;
    m_rcShadowCorner = corner;
    if (m_hWnd && (m_Status & kShown)) Update(m_hParent);
    return true;
}

bool CShadowUI::CopyShadow(CShadowUI* other) {
    if (!other) return false;
    if (other->m_bIsImageMode) {
        if (!other->m_sShadowImage.IsEmpty()) SetImage(other->m_sShadowImage);
        SetShadowCorner(other->m_rcShadowCorner);
    } else {
        if (other->m_nSize >= -20 && other->m_nSize <= 20) SetSize(other->m_nSize);
        if (other->m_nSharpness <= 20) SetSharpness(other->m_nSharpness);
        SetDarkness(other->m_nDarkness);
        SetColor(other->m_Color);
        if (other->m_nxOffset >= -20 && other->m_nxOffset <= 20 && other->m_nyOffset >= -20 &&
            other->m_nyOffset <= 20)
            SetPosition(other->m_nxOffset, other->m_nyOffset);
    }
    return true;
}

}  // namespace UiLib
