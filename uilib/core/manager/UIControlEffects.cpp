// Control effects of CControlUI: reading effect texts into effect records
// and handing a record to the window's effect spooler as a job.
#include "core/manager/UIControl.h"

#include "core/effects/EffectJob.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace UiLib {

namespace {

bool IsBlank(wchar_t ch) { return ch >= 1 && ch <= 32; }

// key='value' pairs, one blank apart; a missing "=", an opening or a closing
// quote, or another separator than a blank ends the text.
std::vector<std::pair<std::wstring, std::wstring>> ReadPairs(const wchar_t* text) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    const wchar_t* p = text ? text : L"";
    while (*p) {
        while (IsBlank(*p)) ++p;
        const wchar_t* key = p;
        while (*p && *p != L'=' && !IsBlank(*p)) ++p;
        std::wstring name(key, p);
        while (IsBlank(*p)) ++p;
        if (*p != L'=') break;
        ++p;
        while (IsBlank(*p)) ++p;
        if (*p != L'\'') break;
        const wchar_t* value = ++p;
        while (*p && *p != L'\'') ++p;
        if (*p != L'\'') break;
        pairs.emplace_back(name, std::wstring(value, p));
        ++p;
        if (!*p) break;
        if (!IsBlank(*p)) break;
        ++p;
    }
    return pairs;
}

int Number(const std::wstring& text) { return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10)); }
DWORD Colour(const std::wstring& text) { return ParseColorValue(text.c_str()); }

void ReadExplicitKeys(const std::vector<std::pair<std::wstring, std::wstring>>& pairs, TEffectAge& record) {
    for (const auto& pair : pairs) {
        const std::wstring& key = pair.first;
        if (key == L"zoom") record.m_iZoom = Number(pair.second);
        else if (key == L"offsetx") record.m_iOffectX = Number(pair.second);
        else if (key == L"offsety") record.m_iOffectY = Number(pair.second);
        else if (key == L"alpha") record.m_iAlpha = Number(pair.second);
        else if (key == L"needtimer") record.m_iNeedTimer = Number(pair.second);
        else if (key == L"rotation") record.m_fRotation = static_cast<float>(std::wcstod(pair.second.c_str(), nullptr));
        else if (key == L"fillingbk") record.m_dFillingBK = Colour(pair.second);
    }
}

void ApplyAnim(const std::wstring& anim, TEffectAge& r) {
    auto slide = [&r]() {
        r.m_iAlpha = 255;
        r.m_fRotation = 0.0f;
        r.m_iZoom = 0;
    };
    if (anim == L"zoom+") {
        r.m_iZoom = r.m_iZoom == 0 ? 1 : std::abs(r.m_iZoom);
        r.m_iAlpha = 255;
        r.m_fRotation = 0.0f;
    } else if (anim == L"zoom-") {
        r.m_iZoom = r.m_iZoom == 0 ? -1 : -std::abs(r.m_iZoom);
        r.m_iAlpha = -255;
        r.m_fRotation = 0.0f;
    } else if (anim == L"left2right" || anim == L"right2left") {
        r.m_iOffectX = anim == L"left2right" ? -std::abs(r.m_iOffectX) : std::abs(r.m_iOffectX);
        slide();
        r.m_iOffectY = 0;
    } else if (anim == L"top2bottom" || anim == L"bottom2top") {
        r.m_iOffectY = anim == L"top2bottom" ? -std::abs(r.m_iOffectY) : std::abs(r.m_iOffectY);
        slide();
        r.m_iOffectX = 0;
    }
}

void ApplyOffset(const std::wstring& anim, int offset, TEffectAge& r) {
    if (anim == L"left2right" || anim == L"right2left") {
        r.m_iOffectX = anim == L"left2right" && offset > 0 ? -offset : offset;
        r.m_iOffectY = 0;
    } else if (anim == L"top2bottom" || anim == L"bottom2top") {
        r.m_iOffectY = anim == L"top2bottom" ? (offset > 0 ? -offset : offset) : std::abs(offset);
        r.m_iOffectX = 0;
    } else if (anim == L"zoom+" || anim == L"zoom-") {
        r.m_iOffectX = 0;
        r.m_iOffectY = 0;
    }
}

// Named effects: every "anim" in order, then the last "offset" read in the
// sense of the last "anim", wherever the two stand in the text.
void ReadNamedEffects(const std::vector<std::pair<std::wstring, std::wstring>>& pairs, TEffectAge& record) {
    std::wstring anim;
    bool hasOffset = false;
    int offset = 0;
    for (const auto& pair : pairs) {
        const std::wstring& key = pair.first;
        if (key == L"anim") {
            anim = pair.second;
            ApplyAnim(anim, record);
        } else if (key == L"offset") {
            hasOffset = true;
            offset = Number(pair.second);
        } else if (key == L"needtimer") {
            record.m_iNeedTimer = Number(pair.second);
        } else if (key == L"fillingbk") {
            record.m_dFillingBK = Colour(pair.second);
        }
    }
    if (hasOffset) ApplyOffset(anim, offset, record);
}

}  // namespace

void CControlUI::SetEffectsStyle(const wchar_t* effectStyle, TEffectAge* effect) {
    TEffectAge& record = effect ? *effect : m_tCurEffects;
    const wchar_t* text = effectStyle ? effectStyle : L"";
    m_sEffectStyle.Empty();
    if (m_pManager && effectStyle) {
        const wchar_t* style = m_pManager->GetEffectsStyle(effectStyle);
        if (style && *style) {
            m_sEffectStyle = style;
            text = style;
        }
    }
    const auto pairs = ReadPairs(text);
    ReadExplicitKeys(pairs, record);
    ReadNamedEffects(pairs, record);
    record.m_bEnableEffect = true;
}

void CControlUI::TriggerEffects(TEffectAge* effect) {
    const TEffectAge& record = effect ? *effect : m_tCurEffects;
    if (!m_pManager || !m_bAnimEffects || !record.m_bEnableEffect) return;
    const COLORREF filling =
        record.m_dFillingBK == CLR_INVALID ? CLR_INVALID : CRenderEngine::ToColorRef(record.m_dFillingBK);
    tagEffectJob job(static_cast<DWORD>(record.m_iNeedTimer < 0 ? 0 : record.m_iNeedTimer), filling, filling,
                     m_rcItem, record.m_iOffectX, record.m_iOffectY, record.m_iZoom, record.m_iAlpha,
                     record.m_fRotation);
    m_pManager->AddAnimationJob(job);
}

}  // namespace UiLib
