// The process-wide player of control effects: it captures a window once,
// cuts each queued control into textured tiles and draws them with
// Direct3D 9 frame by frame until every effect has run out. Direct3D is
// loaded at run time; without it no effect plays and the window paints as
// usual.
#pragma once
#include "core/base/UiLibApi.h"
#include "core/effects/EffectJob.h"

#include <windows.h>

#include <vector>

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DSurface9;
struct IDirect3DTexture9;
struct IDirect3DVertexBuffer9;

namespace UiLib {

class UILIB_API CEffectSpooler {
public:
    static const int kMaxTiles = 80;

    CEffectSpooler() = default;
    CEffectSpooler(const CEffectSpooler&) = delete;
    CEffectSpooler& operator=(const CEffectSpooler&) = delete;
    ~CEffectSpooler();

    // The one instance every window shares.
    static CEffectSpooler& Instance();

    // Takes a copy of the job. While an animation runs the job joins it at
    // once (set up now, starting now); otherwise it waits for preparation.
    void AddJob(const tagEffectJob& job);
    int JobCount() const { return static_cast<int>(m_jobs.size()); }
    const tagEffectJob* JobAt(int index) const;

    bool Init(HWND hWnd);
    bool IsJobScheduled() const { return !m_jobs.empty() && !m_bPrepared; }
    bool IsPrepared() const { return m_bPrepared; }
    bool IsInitialised() const { return m_bInitialised; }
    HWND GetWindow() const { return m_hWnd; }
    bool PrepareAnimation(HWND hWnd);
    bool Render();
    void CleanUp();
    int TileCount() const { return m_nTiles; }
    // The device while an animation runs (its frames can be read back), else null.
    IDirect3DDevice9* GetDevice() const { return m_pDevice; }

    bool SetupJob(tagEffectJob& job);
    bool RenderJob(tagEffectJob& job, DWORD time);

private:
    bool ConvertKeyColor(tagEffectJob& job);
    bool MakeTile(const EffectTile& tile, int tileSize, DWORD key);
    void FillBackground(const tagEffectJob& job);

    HWND m_hWnd = nullptr;
    bool m_bPrepared = false;
    bool m_bInitialised = false;
    std::vector<tagEffectJob*> m_jobs;
    HMODULE m_hD3D9 = nullptr;
    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    int m_displayFormat = 0;
    IDirect3DSurface9* m_pSnapshot = nullptr;
    int m_nTiles = 0;
    IDirect3DVertexBuffer9* m_vertexBuffers[kMaxTiles] = {};
    IDirect3DTexture9* m_textures[kMaxTiles] = {};
    EffectVertex m_baseVertices[kMaxTiles][4] = {};
};

}  // namespace UiLib
