#include "core/effects/EffectSpooler.h"

#include <d3d9.h>
#include <mmsystem.h>

#include <algorithm>

namespace UiLib {

namespace {

typedef IDirect3D9*(WINAPI* Direct3DCreate9Proc)(UINT sdkVersion);

const DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(kVertexFormat == 0x144, "vertex format");

template <class T>
void Release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// Releases a COM pointer when it goes out of scope.
template <class T>
struct Scoped {
    T* p = nullptr;
    ~Scoped() { Release(p); }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

}  // namespace

CEffectSpooler::~CEffectSpooler() { CleanUp(); }

CEffectSpooler& CEffectSpooler::Instance() {
    static CEffectSpooler spooler;
    return spooler;
}

const tagEffectJob* CEffectSpooler::JobAt(int index) const {
    return index >= 0 && index < JobCount() ? m_jobs[static_cast<size_t>(index)] : nullptr;
}

void CEffectSpooler::AddJob(const tagEffectJob& job) {
    tagEffectJob* copy = new tagEffectJob(job);
    m_jobs.push_back(copy);
    if (!m_bPrepared) return;
    // A job of another window cannot be drawn over this snapshot; a job that
    // cannot be set up is kept out of the frames.
    if (copy->hWnd && copy->hWnd != m_hWnd) {
        copy->iSkip = 1;
        return;
    }
    if (!SetupJob(*copy)) copy->iSkip = 1;
    copy->dwStart += ::timeGetTime();
}

bool CEffectSpooler::Init(HWND hWnd) {
    if (m_bInitialised) return true;
    m_hWnd = hWnd;
    RECT rc = {};
    if (!::IsWindow(hWnd) || !::GetWindowRect(hWnd, &rc) || ::IsRectEmpty(&rc)) return false;
    HWND top = hWnd;
    while (HWND parent = ::GetParent(top)) top = parent;

    // Loaded once and kept: unloading Direct3D between animations gains nothing.
    if (!m_hD3D9) m_hD3D9 = ::LoadLibraryW(L"D3D9.DLL");
    if (!m_hD3D9) return false;
    auto create = reinterpret_cast<Direct3DCreate9Proc>(
        reinterpret_cast<void*>(::GetProcAddress(m_hD3D9, "Direct3DCreate9")));
    if (!create) return false;
    Release(m_pD3D);
    m_pD3D = create(D3D_SDK_VERSION);
    if (!m_pD3D) return false;

    D3DDISPLAYMODE mode = {};
    if (FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return false;
    m_displayFormat = mode.Format;
    if (FAILED(m_pD3D->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, mode.Format, TRUE)))
        return false;

    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferFormat = mode.Format;
    pp.BackBufferCount = 1;
    // A copying swap keeps the last frame in the back buffer, where it can be read back.
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = hWnd;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (FAILED(m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, top, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                    &m_pDevice)))
        return false;

    D3DCAPS9 caps = {};
    if (FAILED(m_pDevice->GetDeviceCaps(&caps)) || caps.MaxTextureWidth < 128 ||
        (caps.Caps3 & D3DCAPS3_COPY_TO_VIDMEM) == 0)
        return false;

    RECT client = {};
    ::GetClientRect(hWnd, &client);
    D3DVIEWPORT9 viewport = {0, 0, static_cast<DWORD>(client.right), static_cast<DWORD>(client.bottom), 0.0f, 1.0f};
    m_pDevice->SetViewport(&viewport);
    m_pDevice->SetRenderState(D3DRS_COLORVERTEX, TRUE);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    m_pDevice->SetVertexShader(nullptr);
    m_bInitialised = true;
    return true;
}

bool CEffectSpooler::PrepareAnimation(HWND hWnd) {
    if (!m_bInitialised) return false;
    Release(m_pSnapshot);
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    if (FAILED(m_pDevice->CreateOffscreenPlainSurface(client.right, client.bottom,
                                                      static_cast<D3DFORMAT>(m_displayFormat), D3DPOOL_SYSTEMMEM,
                                                      &m_pSnapshot, nullptr)))
        return false;
    HDC dc = nullptr;
    if (FAILED(m_pSnapshot->GetDC(&dc))) return false;
    ::SendMessageW(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                   PRF_CHECKVISIBLE | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    m_pSnapshot->ReleaseDC(dc);

    // Only this window's jobs can play over its snapshot.
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if ((*it)->hWnd && (*it)->hWnd != hWnd) {
            delete *it;
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
    for (tagEffectJob* job : m_jobs)
        if (job->iSkip == 0 && !SetupJob(*job)) return false;
    const DWORD now = ::timeGetTime();
    for (tagEffectJob* job : m_jobs) job->dwStart += now;
    m_bPrepared = true;
    return true;
}

bool CEffectSpooler::ConvertKeyColor(tagEffectJob& job) {
    if (job.dwKey == CLR_INVALID) return true;
    HDC dc = nullptr;
    if (FAILED(m_pSnapshot->GetDC(&dc))) return false;
    COLORREF saved = ::GetPixel(dc, 0, 0);
    ::SetPixel(dc, 0, 0, job.dwKey & 0x00FFFFFF);
    m_pSnapshot->ReleaseDC(dc);
    D3DLOCKED_RECT locked = {};
    if (FAILED(m_pSnapshot->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
    DWORD pixel = *static_cast<const DWORD*>(locked.pBits);
    m_pSnapshot->UnlockRect();
    job.dwKey = (pixel & 0x00FFFFFF) | 0xFF000000;
    if (SUCCEEDED(m_pSnapshot->GetDC(&dc))) {
        ::SetPixel(dc, 0, 0, saved);
        m_pSnapshot->ReleaseDC(dc);
    }
    return true;
}

bool CEffectSpooler::MakeTile(const EffectTile& tile, int tileSize, DWORD key) {
    const D3DFORMAT display = static_cast<D3DFORMAT>(m_displayFormat);
    Scoped<IDirect3DTexture9> plain, target;
    Scoped<IDirect3DSurface9> plainSurface, targetSurface;
    if (FAILED(m_pDevice->CreateTexture(tileSize, tileSize, 1, 0, display, D3DPOOL_DEFAULT, &plain, nullptr)) ||
        FAILED(plain->GetSurfaceLevel(0, &plainSurface)))
        return false;
    POINT origin = {0, 0};
    if (FAILED(m_pDevice->UpdateSurface(m_pSnapshot, &tile.rect, plainSurface.p, &origin))) return false;
    if (FAILED(m_pDevice->CreateTexture(tileSize, tileSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                        D3DPOOL_DEFAULT, &target, nullptr)) ||
        FAILED(target->GetSurfaceLevel(0, &targetSurface)) ||
        FAILED(m_pDevice->StretchRect(plainSurface.p, nullptr, targetSurface.p, nullptr, D3DTEXF_NONE)))
        return false;
    if (key != CLR_INVALID) {
        // The filling colour becomes transparent, so what lies below the control shows through.
        Scoped<IDirect3DSurface9> memory;
        if (FAILED(m_pDevice->CreateOffscreenPlainSurface(tileSize, tileSize, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                          &memory, nullptr)) ||
            FAILED(m_pDevice->GetRenderTargetData(targetSurface.p, memory.p)))
            return false;
        D3DLOCKED_RECT locked = {};
        if (FAILED(memory->LockRect(&locked, nullptr, 0))) return false;
        for (int y = 0; y < tileSize; ++y) {
            DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < tileSize; ++x)
                if (row[x] == key) row[x] = 0;
        }
        memory->UnlockRect();
        if (FAILED(m_pDevice->UpdateSurface(memory.p, nullptr, targetSurface.p, nullptr))) return false;
    }
    IDirect3DVertexBuffer9* buffer = nullptr;
    if (FAILED(m_pDevice->CreateVertexBuffer(4 * sizeof(EffectVertex), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                             kVertexFormat, D3DPOOL_DEFAULT, &buffer, nullptr)))
        return false;
    TileBaseVertices(tile, m_baseVertices[m_nTiles]);
    m_vertexBuffers[m_nTiles] = buffer;
    m_textures[m_nTiles] = target.p;
    target.p = nullptr;  // kept
    ++m_nTiles;
    return true;
}

void CEffectSpooler::FillBackground(const tagEffectJob& job) {
    HDC dc = nullptr;
    if (FAILED(m_pSnapshot->GetDC(&dc))) return;
    HBRUSH brush = ::CreateSolidBrush(job.clrBack & 0x00FFFFFF);
    ::FillRect(dc, &job.rcFrom, brush);
    ::DeleteObject(brush);
    m_pSnapshot->ReleaseDC(dc);
}

bool CEffectSpooler::SetupJob(tagEffectJob& job) {
    if (!m_bInitialised || !m_pSnapshot) return false;
    const RECT& rc = job.rcFrom;
    const int tileSize = EffectTileSize(rc.right - rc.left);
    const std::vector<EffectTile> tiles = CutIntoTiles(rc, tileSize);
    // The tile arrays are shared by every job: a job that does not fit is left out, not written past the end.
    if (tiles.empty() || m_nTiles + static_cast<int>(tiles.size()) > kMaxTiles) {
        job.iSkip = 1;
        return true;
    }
    if (!ConvertKeyColor(job)) return false;
    job.iFirstTile = m_nTiles;
    for (const EffectTile& tile : tiles)
        if (!MakeTile(tile, tileSize, job.dwKey)) return false;
    job.iEndTile = m_nTiles;
    if (job.clrBack != CLR_INVALID) FillBackground(job);
    return true;
}

bool CEffectSpooler::Render() {
    if (!m_bPrepared || !m_bInitialised) return false;
    {
        // The frame starts as the still window.
        Scoped<IDirect3DSurface9> target;
        if (FAILED(m_pDevice->GetRenderTarget(0, &target))) return false;
        m_pDevice->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        if (FAILED(m_pDevice->UpdateSurface(m_pSnapshot, nullptr, target.p, nullptr))) return false;
    }
    if (FAILED(m_pDevice->BeginScene())) return false;
    const DWORD now = ::timeGetTime();
    bool running = false;
    for (tagEffectJob* job : m_jobs) {
        if (static_cast<LONG>(now - job->dwStart) < 0) {
            running = true;  // not begun yet
            continue;
        }
        const DWORD end = job->dwStart + job->dwDuration;
        const bool over = static_cast<LONG>(now - end) >= 0;
        if (job->iSkip == 0) RenderJob(*job, over ? end : now);
        if (!over) running = true;
    }
    m_pDevice->EndScene();
    m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    if (!running) CleanUp();
    return true;
}

bool CEffectSpooler::RenderJob(tagEffectJob& job, DWORD time) {
    const EffectPose pose = EffectPoseAt(job, time);
    for (int tile = job.iFirstTile; tile < job.iEndTile && tile < m_nTiles; ++tile) {
        void* data = nullptr;
        if (FAILED(m_vertexBuffers[tile]->Lock(0, 0, &data, D3DLOCK_DISCARD))) return false;
        TransformVertices(m_baseVertices[tile], job, pose, static_cast<EffectVertex*>(data));
        m_vertexBuffers[tile]->Unlock();
        m_pDevice->SetStreamSource(0, m_vertexBuffers[tile], 0, sizeof(EffectVertex));
        m_pDevice->SetFVF(kVertexFormat);
        m_pDevice->SetTexture(0, m_textures[tile]);
        m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    }
    return true;
}

void CEffectSpooler::CleanUp() {
    for (tagEffectJob* job : m_jobs) delete job;
    m_jobs.clear();
    for (int i = 0; i < m_nTiles; ++i) {
        Release(m_vertexBuffers[i]);
        Release(m_textures[i]);
    }
    m_nTiles = 0;
    Release(m_pSnapshot);
    if (m_pDevice) m_pDevice->SetTexture(0, nullptr);
    Release(m_pDevice);
    Release(m_pD3D);
    m_bPrepared = false;
    m_bInitialised = false;
}

}  // namespace UiLib
