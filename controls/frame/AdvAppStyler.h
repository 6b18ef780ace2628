// The form styler pushes one style onto every component of its form that
// takes styles; the application styler holds the style for all form stylers
// linked to it. Both can follow the Windows XP colour theme.
#pragma once

#include "controls/AdvStyleIF.h"
#include "controls/frame/AdvToolBarStylers.h"
#include "framework/Controls.h"

#include <functional>
#include <vector>

class TAdvAppStyler;

// Asked for each component before it takes a style; clearing `allow` skips it.
using TApplyStyleEvent =
    std::function<void(TComponent* sender, TComponent* component, bool& allow)>;

// What both stylers share: a style, the theme it can follow and a change event.
class TCustomStyler : public TComponent {
  public:
    bool AutoThemeAdapt() const { return FTheme.On(); }
    // Follows the Windows XP colour theme from now on, and on theme changes.
    void SetAutoThemeAdapt(bool value);
    TTelvarStyle Style() const { return FStyle; }
    virtual void SetStyle(TTelvarStyle value) = 0;
    TNotifyEvent OnChange;
    // The window that hears of theme changes; null without one to stand on.
    TThemeNotifierWindow* ThemeNotifier() const { return FTheme.Notifier(); }

  protected:
    explicit TCustomStyler(TComponent* owner);
    // Stores a new style; false when it is the current one.
    bool StoreStyle(TTelvarStyle value);
    void Changed();
    // Makes the notifier on the first windowed control from `from` up.
    void MakeNotifier(TComponent* from) { FTheme.Listen(this, from); }
    void AdaptToTheme() { FTheme.Adapt(); }

  private:
    TTelvarStyle FStyle = tsOffice2003Blue;
    TThemeFollower FTheme;
};

class TAdvFormStyler : public TCustomStyler {
  public:
    explicit TAdvFormStyler(TComponent* owner);
    ~TAdvFormStyler() override;

    // A new style is applied to the owner's components at once (tsCustom
    // styles nothing), then OnChange fires; the same style does nothing.
    void SetStyle(TTelvarStyle value) override;
    // Outside loading a linked application styler's style is taken over.
    TAdvAppStyler* AppStyle() const { return FAppStyle; }
    void SetAppStyle(TAdvAppStyler* value);
    void Assign(const TAdvFormStyler& source);

    TApplyStyleEvent OnApplyStyle;

  protected:
    void Loaded() override;

  private:
    void ApplyStyle();
    TAdvAppStyler* FAppStyle = nullptr;
};

class TAdvAppStyler : public TCustomStyler {
  public:
    // Its notifier stands on the application's main form, if there is one yet.
    explicit TAdvAppStyler(TComponent* owner);
    // Unlinks every form styler first; they keep their last style.
    ~TAdvAppStyler() override;

    // A new style goes to every linked form styler in the order they were
    // linked (not while loading), then OnChange fires.
    void SetStyle(TTelvarStyle value) override;
    void Assign(const TAdvAppStyler& source);
    const std::vector<TAdvFormStyler*>& FormStylers() const { return FFormStylers; }

  protected:
    void Loaded() override;

  private:
    friend class TAdvFormStyler;
    void Register(TAdvFormStyler* styler);
    void Unregister(TAdvFormStyler* styler);
    std::vector<TAdvFormStyler*> FFormStylers;
};

// The style of a Windows XP colour theme scheme (CurrentThemeScheme).
TTelvarStyle ThemeStyle(int scheme);
