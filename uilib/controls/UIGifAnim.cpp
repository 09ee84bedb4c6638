#include "controls/UIGifAnim.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRenderInternal.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace UiLib {

namespace {

namespace Flat = Gdiplus::DllExports;

// GDI+'s frame dimension of animated pictures.
const GUID kFrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

Gdiplus::GpImage* AsImage(void* image) { return static_cast<Gdiplus::GpImage*>(image); }

// The per-frame delays of an image's frame-delay property; empty when it has none.
std::vector<UINT> ReadFrameDelays(Gdiplus::GpImage* image) {
    std::vector<UINT> delays;
    UINT size = 0;
    if (Flat::GdipGetPropertyItemSize(image, PropertyTagFrameDelay, &size) != Gdiplus::Ok ||
        size < sizeof(Gdiplus::PropertyItem))
        return delays;
    std::vector<BYTE> block(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(block.data());
    if (Flat::GdipGetPropertyItem(image, PropertyTagFrameDelay, size, item) != Gdiplus::Ok || !item->value)
        return delays;
    // Never read beyond the block, whatever the item claims.
    const BYTE* value = static_cast<const BYTE*>(item->value);
    const BYTE* end = block.data() + block.size();
    if (value < block.data() || value > end) return delays;
    size_t available = std::min<size_t>(item->length, static_cast<size_t>(end - value));
    delays.resize(available / sizeof(UINT));
    if (!delays.empty()) std::memcpy(delays.data(), value, delays.size() * sizeof(UINT));
    return delays;
}

}  // namespace

CGifAnimUI::CGifAnimUI() = default;

CGifAnimUI::~CGifAnimUI() {
    if (m_pManager) m_pManager->KillTimer(this, GIF_TIMER_ID);
    DeleteGif();
}

const wchar_t* CGifAnimUI::GetClass() const { return L"GifAnimUI"; }

LPVOID CGifAnimUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"GifAnim") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CGifAnimUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (visible)
        PlayGif();
    else
        StopGif();
}

void CGifAnimUI::DoInit() { InitGifImage(); }

void CGifAnimUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == GIF_TIMER_ID) OnTimer();
}

void CGifAnimUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"bkimage") == 0)
        SetBkImage(value);
    else if (std::wcscmp(name, L"autoplay") == 0)
        SetAutoPlay(ParseBoolValue(value));
    else if (std::wcscmp(name, L"autosize") == 0)
        SetAutoSize(ParseBoolValue(value));
    else
        CControlUI::SetAttribute(name, value);
}

void CGifAnimUI::SetBkImage(const wchar_t* name) {
    if (!name || m_sImageName == name) return;
    m_sImageName = name;
    StopGif();
    DeleteGif();
    Invalidate();
}

bool CGifAnimUI::IsAnimated() const { return m_pGifImage && m_nFrameCount > 1 && !m_frameDelays.empty(); }

UINT CGifAnimUI::FrameDelay(UINT frame) const {
    UINT delay = frame < m_frameDelays.size() ? m_frameDelays[frame] : 0;
    return delay == 0 ? 100 : delay * 10;
}

void CGifAnimUI::PlayGif() {
    if (m_bPlaying || !IsAnimated() || !m_pManager) return;  // a still picture needs no timer
    m_pManager->SetTimer(this, GIF_TIMER_ID, FrameDelay(m_nFramePosition));
    m_bPlaying = true;
}

void CGifAnimUI::StopGif() {
    if (!m_bPlaying) return;
    if (m_pManager) m_pManager->KillTimer(this, GIF_TIMER_ID);
    m_nFramePosition = 0;
    Invalidate();
    m_bPlaying = false;
}

void CGifAnimUI::OnTimer() {
    if (!m_pManager) return;
    m_pManager->KillTimer(this, GIF_TIMER_ID);
    Invalidate();
    if (!IsAnimated()) {
        m_bPlaying = false;
        return;
    }
    m_nFramePosition = (m_nFramePosition + 1) % m_nFrameCount;
    m_pManager->SetTimer(this, GIF_TIMER_ID, FrameDelay(m_nFramePosition));
}

void CGifAnimUI::DeleteGif() {
    if (m_pGifImage) Flat::GdipDisposeImage(AsImage(m_pGifImage));
    m_pGifImage = nullptr;
    if (m_pStream) m_pStream->Release();
    m_pStream = nullptr;
    m_frameDelays.clear();
    m_nFramePosition = 0;
    m_nFrameCount = 0;
}

void CGifAnimUI::InitGifImage() {
    if (m_pGifImage || m_sImageName.IsEmpty() || !LoadGifFromFile(m_sImageName)) return;
    Gdiplus::GpImage* image = AsImage(m_pGifImage);

    UINT dimensions = 0;
    m_nFrameCount = 0;
    if (Flat::GdipImageGetFrameDimensionsCount(image, &dimensions) == Gdiplus::Ok && dimensions > 0) {
        std::vector<GUID> ids(dimensions);
        if (Flat::GdipImageGetFrameDimensionsList(image, ids.data(), dimensions) == Gdiplus::Ok)
            Flat::GdipImageGetFrameCount(image, &ids[0], &m_nFrameCount);
    }
    m_frameDelays = ReadFrameDelays(image);
    m_nFramePosition = 0;

    if (m_bAutoSize) {
        UINT width = 0, height = 0;
        Flat::GdipGetImageWidth(image, &width);
        Flat::GdipGetImageHeight(image, &height);
        SetFixedWidth(static_cast<int>(width));
        SetFixedHeight(static_cast<int>(height));
    }
    if (m_bAutoPlay) PlayGif();
}

bool CGifAnimUI::LoadGifFromFile(const wchar_t* name) {
    std::vector<BYTE> bytes;
    return ReadImageBytes(name, nullptr, bytes) && LoadGifFromMemory(bytes);
}

bool CGifAnimUI::LoadGifFromMemory(const std::vector<BYTE>& bytes) {
    if (bytes.empty()) return false;
    HGLOBAL global = ::GlobalAlloc(GMEM_FIXED, bytes.size());
    if (!global) return false;
    std::memcpy(global, bytes.data(), bytes.size());
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(global, TRUE, &stream))) {
        ::GlobalFree(global);
        return false;
    }
    Gdiplus::GpImage* image = nullptr;
    if (Flat::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok || !image) {
        stream->Release();
        return false;
    }
    m_pGifImage = image;
    m_pStream = stream;
    return true;
}

void CGifAnimUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    if (!m_pGifImage) InitGifImage();
    DrawFrame(hDC);
}

void CGifAnimUI::DrawFrame(HDC hDC) {
    if (!hDC || !m_pGifImage) return;
    Gdiplus::GpImage* image = AsImage(m_pGifImage);
    // The frame is chosen before drawing, so each paint shows the current one.
    if (m_nFrameCount > 1) Flat::GdipImageSelectActiveFrame(image, &kFrameDimensionTime, m_nFramePosition);
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Flat::GdipCreateFromHDC(hDC, &graphics) != Gdiplus::Ok) return;
    Flat::GdipDrawImageRectI(graphics, image, m_rcItem.left, m_rcItem.top, m_rcItem.right - m_rcItem.left,
                             m_rcItem.bottom - m_rcItem.top);
    Flat::GdipDeleteGraphics(graphics);
}

}  // namespace UiLib
