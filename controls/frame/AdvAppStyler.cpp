#include "controls/frame/AdvAppStyler.h"

#include "framework/Forms.h"

#include <algorithm>

TTelvarStyle ThemeStyle(int scheme) {
    static constexpr TTelvarStyle kStyles[] = {tsOffice2003Classic, tsOffice2003Blue,
                                               tsOffice2003Olive, tsOffice2003Silver};
    return kStyles[scheme];
}

// ---- TCustomStyler

TCustomStyler::TCustomStyler(TComponent* owner)
    : TComponent(owner), FTheme([this](int scheme) { SetStyle(ThemeStyle(scheme)); }) {}

void TCustomStyler::SetAutoThemeAdapt(bool value) {
    FTheme.SetOn(value);
    FTheme.Adapt();
}

bool TCustomStyler::StoreStyle(TTelvarStyle value) {
    if (value == FStyle)
        return false;
    FStyle = value;
    return true;
}

void TCustomStyler::Changed() {
    if (OnChange)
        OnChange(this);
}

// ---- TAdvFormStyler

TAdvFormStyler::TAdvFormStyler(TComponent* owner) : TCustomStyler(owner) {
    MakeNotifier(owner);
}

TAdvFormStyler::~TAdvFormStyler() {
    SetAppStyle(nullptr);
    DestroyComponents();
}

void TAdvFormStyler::SetStyle(TTelvarStyle value) {
    if (!StoreStyle(value))
        return;
    if (value != tsCustom)
        ApplyStyle();
    Changed();
}

void TAdvFormStyler::SetAppStyle(TAdvAppStyler* value) {
    if (value == FAppStyle)
        return;
    if (FAppStyle)
        FAppStyle->Unregister(this);
    FAppStyle = value;
    if (!value)
        return;
    if (!Loading())
        SetStyle(value->Style());
    value->Register(this);
}

void TAdvFormStyler::Assign(const TAdvFormStyler& source) {
    SetAutoThemeAdapt(source.AutoThemeAdapt());
    SetStyle(source.Style());
}

void TAdvFormStyler::Loaded() {
    TComponent::Loaded();
    if (FAppStyle) {
        SetStyle(FAppStyle->Style());
    } else {
        // Once more over everything that was read after the style.
        const TTelvarStyle loaded = Style();
        SetStyle(tsCustom);
        SetStyle(loaded);
    }
    AdaptToTheme();
}

void TAdvFormStyler::ApplyStyle() {
    // The framework has no frames: the owner's own components, in the
    // order they were made.
    TComponent* owner = Owner();
    if (!dynamic_cast<TCustomForm*>(owner))
        return;
    for (TComponent* component : std::vector<TComponent*>(owner->Components())) {
        auto* styled = dynamic_cast<IComponentStyle*>(component);
        if (!styled)
            continue;
        bool allow = true;
        if (OnApplyStyle)
            OnApplyStyle(this, component, allow);
        if (allow)
            styled->SetComponentStyle(Style());
    }
}

// ---- TAdvAppStyler

TAdvAppStyler::TAdvAppStyler(TComponent* owner) : TCustomStyler(owner) {
    if (Application && Application->MainForm())
        MakeNotifier(Application->MainForm());
}

TAdvAppStyler::~TAdvAppStyler() {
    for (TAdvFormStyler* styler : std::vector<TAdvFormStyler*>(FFormStylers))
        styler->SetAppStyle(nullptr);
    DestroyComponents();
}

void TAdvAppStyler::SetStyle(TTelvarStyle value) {
    if (!StoreStyle(value))
        return;
    if (!Loading())
        for (TAdvFormStyler* styler : std::vector<TAdvFormStyler*>(FFormStylers))
            styler->SetStyle(value);
    Changed();
}

void TAdvAppStyler::Assign(const TAdvAppStyler& source) {
    SetStyle(source.Style());
    SetAutoThemeAdapt(source.AutoThemeAdapt());
}

void TAdvAppStyler::Loaded() {
    TComponent::Loaded();
    AdaptToTheme();
}

void TAdvAppStyler::Register(TAdvFormStyler* styler) {
    if (std::find(FFormStylers.begin(), FFormStylers.end(), styler) == FFormStylers.end())
        FFormStylers.push_back(styler);
}

void TAdvAppStyler::Unregister(TAdvFormStyler* styler) {
    FFormStylers.erase(std::remove(FFormStylers.begin(), FFormStylers.end(), styler),
                       FFormStylers.end());
}
