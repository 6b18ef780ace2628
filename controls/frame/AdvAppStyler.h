// The form styler pushes one style onto every component of its form that
// takes styles; the application styler holds the style for all form stylers
// linked to it. Both can follow the Windows XP colour theme.
#pragma once

#include "controls/frame/AdvStyleIF.h"
#include "controls/frame/AdvToolBarStylers.h"
#include "framework/Controls.h"

#include <functional>
#include <vector>

class TAdvAppStyler;

// Asked for each component before it takes a style; clearing `allow` skips it.
using TApplyStyleEvent =
    std::function<void(TComponent* sender, TComponent* component, bool& allow)>;

class TAdvFormStyler : public TComponent {
  public:
    explicit TAdvFormStyler(TComponent* owner);
    ~TAdvFormStyler() override;

    bool AutoThemeAdapt() const { return FAutoThemeAdapt; }
    void SetAutoThemeAdapt(bool value);
    TTelvarStyle Style() const { return FStyle; }
    // A new style is applied to the owner's components at once (tsCustom
    // styles nothing), then OnChange fires; the same style does nothing.
    void SetStyle(TTelvarStyle value);
    // Outside loading a linked application styler's style is taken over.
    TAdvAppStyler* AppStyle() const { return FAppStyle; }
    void SetAppStyle(TAdvAppStyler* value);
    void Assign(const TAdvFormStyler& source);

    TApplyStyleEvent OnApplyStyle;
    TNotifyEvent OnChange;
    TThemeNotifierWindow* ThemeNotifier() const { return FNotifier; }

  protected:
    void Loaded() override;

  private:
    void ApplyStyle();
    void AdaptToTheme();
    bool FAutoThemeAdapt = false;
    TTelvarStyle FStyle = tsOffice2003Blue;
    TAdvAppStyler* FAppStyle = nullptr;
    TThemeNotifierWindow* FNotifier = nullptr;
};

class TAdvAppStyler : public TComponent {
  public:
    explicit TAdvAppStyler(TComponent* owner);
    // Unlinks every form styler first; they keep their last style.
    ~TAdvAppStyler() override;

    bool AutoThemeAdapt() const { return FAutoThemeAdapt; }
    void SetAutoThemeAdapt(bool value);
    TTelvarStyle Style() const { return FStyle; }
    // A new style goes to every linked form styler in the order they were
    // linked (not while loading), then OnChange fires.
    void SetStyle(TTelvarStyle value);
    void Assign(const TAdvAppStyler& source);

    const std::vector<TAdvFormStyler*>& FormStylers() const { return FFormStylers; }
    TNotifyEvent OnChange;
    // On the application's main form; null when there was none at creation.
    TThemeNotifierWindow* ThemeNotifier() const { return FNotifier; }

  protected:
    void Loaded() override;

  private:
    friend class TAdvFormStyler;
    void Register(TAdvFormStyler* styler);
    void Unregister(TAdvFormStyler* styler);
    void AdaptToTheme();
    bool FAutoThemeAdapt = false;
    TTelvarStyle FStyle = tsOffice2003Blue;
    std::vector<TAdvFormStyler*> FFormStylers;
    TThemeNotifierWindow* FNotifier = nullptr;
};

// The style of a Windows XP colour theme scheme (CurrentThemeScheme).
TTelvarStyle ThemeStyle(int scheme);
