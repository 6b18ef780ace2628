#include "controls/frame/AdvAppStyler.h"

#include "framework/Forms.h"

#include <algorithm>

TTelvarStyle ThemeStyle(int scheme) {
    static constexpr TTelvarStyle kStyles[] = {tsOffice2003Classic, tsOffice2003Blue,
                                               tsOffice2003Olive, tsOffice2003Silver};
    return kStyles[scheme];
}

// ---- TAdvFormStyler

TAdvFormStyler::TAdvFormStyler(TComponent* owner) : TComponent(owner) {
    FNotifier = MakeThemeNotifier(this, owner, [this] { AdaptToTheme(); });
}

TAdvFormStyler::~TAdvFormStyler() {
    SetAppStyle(nullptr);
    DestroyComponents();
}

void TAdvFormStyler::SetAutoThemeAdapt(bool value) {
    FAutoThemeAdapt = value;
    AdaptToTheme();
}

void TAdvFormStyler::SetStyle(TTelvarStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    if (value != tsCustom)
        ApplyStyle();
    if (OnChange)
        OnChange(this);
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
    SetAutoThemeAdapt(source.FAutoThemeAdapt);
    SetStyle(source.FStyle);
}

void TAdvFormStyler::Loaded() {
    TComponent::Loaded();
    if (FAppStyle) {
        SetStyle(FAppStyle->Style());
    } else {
        // Once more over everything that was read after the style.
        const TTelvarStyle loaded = FStyle;
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
            styled->SetComponentStyle(FStyle);
    }
}

void TAdvFormStyler::AdaptToTheme() {
    if (FAutoThemeAdapt)
        SetStyle(ThemeStyle(CurrentThemeScheme()));
}

// ---- TAdvAppStyler

TAdvAppStyler::TAdvAppStyler(TComponent* owner) : TComponent(owner) {
    if (Application && Application->MainForm())
        FNotifier = MakeThemeNotifier(this, Application->MainForm(), [this] { AdaptToTheme(); });
}

TAdvAppStyler::~TAdvAppStyler() {
    for (TAdvFormStyler* styler : std::vector<TAdvFormStyler*>(FFormStylers))
        styler->SetAppStyle(nullptr);
    DestroyComponents();
}

void TAdvAppStyler::SetAutoThemeAdapt(bool value) {
    FAutoThemeAdapt = value;
    AdaptToTheme();
}

void TAdvAppStyler::SetStyle(TTelvarStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    if (!Loading())
        for (TAdvFormStyler* styler : std::vector<TAdvFormStyler*>(FFormStylers))
            styler->SetStyle(value);
    if (OnChange)
        OnChange(this);
}

void TAdvAppStyler::Assign(const TAdvAppStyler& source) {
    SetStyle(source.FStyle);
    SetAutoThemeAdapt(source.FAutoThemeAdapt);
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

void TAdvAppStyler::AdaptToTheme() {
    if (FAutoThemeAdapt)
        SetStyle(ThemeStyle(CurrentThemeScheme()));
}
