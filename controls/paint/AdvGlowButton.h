// The glow button: a self-painted push or toggle button in the Office 2007
// look whose colours fade between their looks instead of switching.
#pragma once

#include "controls/AdvStyleIF.h"
#include "controls/paint/AdvGradient.h"
#include "framework/Controls.h"

#include <functional>
#include <string>

// Period of one fade step, shared by every glowing button.
inline constexpr unsigned GlowFadeInterval = 30;

// The colours of one look of the face.
struct TGlowFace {
    TColor Color, ColorTo, Mirror, MirrorTo, Border;
    TGDIPGradient Gradient, GradientMirror;
};

// Stored values of an appearance; writing one does not repaint.
struct TGlowAppearanceValues {
    TColor BorderColor = 0xC0C0C0;
    TColor BorderColorHot = 0xFF0000;
    TColor BorderColorDown = 0x800000;
    TColor BorderColorChecked = 0xFF0000;
    TColor BorderColorDisabled = 0x808080;
    TColor Color = 0xFFFFFF, ColorTo = 0xFFFFFF;
    TColor ColorMirror = 0xC0C0C0, ColorMirrorTo = 0xFFFFFF;
    TColor ColorHot = 0xF5F0E1, ColorHotTo = 0xF9D2B2;
    TColor ColorMirrorHot = 0xF5C8AD, ColorMirrorHotTo = 0xFFF8F4;
    // Pressed, checked and disabled colours are derived in the constructor.
    TColor ColorDown = 0, ColorDownTo = 0, ColorMirrorDown = 0, ColorMirrorDownTo = 0;
    TColor ColorChecked = 0, ColorCheckedTo = 0, ColorMirrorChecked = 0, ColorMirrorCheckedTo = 0;
    TColor ColorDisabled = 0, ColorDisabledTo = 0, ColorMirrorDisabled = 0,
           ColorMirrorDisabledTo = 0;
    TGDIPGradient Gradient = ggVertical, GradientMirror = ggVertical;
    TGDIPGradient GradientHot = ggRadial, GradientMirrorHot = ggRadial;
    TGDIPGradient GradientDown = ggRadial, GradientMirrorDown = ggRadial;
    TGDIPGradient GradientChecked = ggRadial, GradientMirrorChecked = ggVertical;
    TGDIPGradient GradientDisabled = ggRadial, GradientMirrorDisabled = ggRadial;
    bool operator==(const TGlowAppearanceValues&) const = default;
};

class TGlowButtonAppearance : public TGlowAppearanceValues {
  public:
    // Pressed and checked start as the hot colours with red and green at 90 %,
    // disabled as the normal colours at 95 %.
    TGlowButtonAppearance();
    TGlowButtonAppearance(const TGlowButtonAppearance&) = delete;
    TGlowButtonAppearance& operator=(const TGlowButtonAppearance&) = delete;

    // Copies every value; the owner hears of it through SystemFont only.
    void Assign(const TGlowButtonAppearance& source);

    // Caption in the system's UI font ("Segoe UI" or "Tahoma") when the
    // button's font is its own.
    bool SystemFont() const { return FSystemFont; }
    void SetSystemFont(bool value);
    std::function<void()> OnChange;

    TGlowFace Normal() const;
    TGlowFace Hot() const;
    TGlowFace Down() const;
    TGlowFace Checked() const;
    TGlowFace Disabled() const;

  private:
    bool FSystemFont = true;
};

// The glow colours of a style: normal colours, border and the hot, pressed
// and checked sets, all gradients vertical. The disabled colours stay as they
// are, and tsCustom changes nothing.
void SetGlowAppearanceStyle(TGlowAppearanceValues& appearance, TTelvarStyle style);
// The Office 2007 Luna glow colours of the main window and the Luna scheme.
void SetOffice2007LunaAppearance(TGlowButtonAppearance& appearance);

enum class TAntiAlias { aaNone, aaClearType, aaAntiAlias };
enum class TGlowBorderStyle { bsNone, bsSingle };
enum class TGlowButtonStyle { bsButton, bsCheck };
enum class TFocusType { ftBorder, ftHot, ftHotBorder, ftNone };

class TAdvCustomGlowButton : public TCustomControl, public IComponentStyle {
  public:
    explicit TAdvCustomGlowButton(TComponent* owner);

    // Takes the colours of a style; tsCustom only repaints.
    void SetComponentStyle(TTelvarStyle style) override;

    TGlowButtonAppearance& Appearance() { return FAppearance; }
    void SetAppearance(const TGlowButtonAppearance& value);

    TAntiAlias AntiAlias() const { return FAntiAlias; }
    void SetAntiAlias(TAntiAlias value) { Change(FAntiAlias, value); }
    TGlowBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TGlowBorderStyle value) { Change(FBorderStyle, value); }
    bool Rounded() const { return FRounded; }
    void SetRounded(bool value) { Change(FRounded, value); }
    TFocusType FocusType() const { return FFocusType; }
    void SetFocusType(TFocusType value) { Change(FFocusType, value); }
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool value) { Change(FShowCaption, value); }
    bool ShowDisabled() const { return FShowDisabled; }
    void SetShowDisabled(bool value) { Change(FShowDisabled, value); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value) { Change(FWordWrap, value); }
    gdip::StringTrimming Trimming() const { return FTrimming; }
    void SetTrimming(gdip::StringTrimming value) { Change(FTrimming, value); }
    // Draws the parent where the face is not painted; only stored, the next
    // paint shows it.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { FTransparent = value; }

    TGlowButtonStyle Style() const { return FStyle; }
    void SetStyle(TGlowButtonStyle value) { Change(FStyle, value); }
    // Sticks only for toggles and group buttons; a group button going down
    // releases the others of its group on the same parent.
    bool Down() const { return FDown; }
    void SetDown(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value) { Change(FGroupIndex, value); }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value) { FAllowAllUp = value; }

    bool Default = false;
    bool Cancel = false;
    int ModalResult = 0;

    // While held, click first after InitRepeatPause and then every RepeatPause ms.
    bool RepeatClick = false;
    unsigned InitRepeatPause = 400;
    unsigned RepeatPause = 100;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // After the face is drawn; state 0 normal, 1 mouse inside, 2 pressed.
    std::function<void(TComponent*, TCanvas&, int state, const RECT&)> OnDrawButton;

    // Sets the form's modal result, then fires OnClick.
    void Click() override;
    bool IsDefaultButton() const override;
    bool IsCancelButton() const override;
    // Whether the click that runs now came from a key rather than the mouse.
    bool KeyClicking() const { return FPress == TPress::psKey; }
    void DialogKeyClick() override;
    bool DialogChar(char ch) override;

    // One step of the running fade; the fade timer calls it every
    // GlowFadeInterval ms while a hover or press fade is in progress.
    void FadeTick();
    bool Fading() const { return FFade.Running; }
    // The colours the next paint uses.
    TGlowFace CurrentFace() const;

  protected:
    void PaintWindow(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoEnter() override;
    void DoExit() override;
    void TimerTick(UINT_PTR id) override;
    void CaptureLost() override;
    void Loaded() override;
    // A tick of the click-repeat timer.
    virtual void DoRepeatClick();

  private:
    enum TFadeKind { fkHot, fkPress, fkFinished };
    // The look a paint derives from the press, Down and Enabled.
    enum TButtonState { stUp = 0, stDisabled = 1, stDown = 2, stExclusive = 4 };
    // Where a press stands. Hover is the framework's MouseInControl.
    enum class TPress {
        psNone,
        psMouse,        // the left button went down here and is held over the button
        psMouseOutside, // held, but dragged out; coming back presses again
        psKey,          // Enter or Space is held
        psReleasing,    // let go; the pressed look fades out
    };

    bool IsToggle() const { return FStyle == TGlowButtonStyle::bsCheck; }
    bool IsGrouped() const { return FGroupIndex != 0; }
    int EffectiveState() const;
    // The pressed look is on.
    bool Pressed() const;
    // A mouse press began here and has not been released.
    bool Tracking() const;
    // Has the focus, and the form shows focus cues.
    bool FocusShown() const;
    // The caption to draw: with its accelerator marked while the form shows
    // underlines, else as it reads (drawn without prefix processing).
    std::string ShownCaption() const;
    bool HotFocus() const;
    bool Active() const;
    void RepaintNow();
    void EnsureFadeTimer();
    void StopFadeTimer();
    void ReleaseGroup();
    TFont CaptionFont() const;
    void DrawCaption(TGPGraphics& graphics, const TFont& font, const TGPFontFamily& family,
                     const RECT& r);
    void DrawCaptionGdi(TCanvas& canvas, const TFont& font, const RECT& r);
    void PaintParent(HDC dc);
    void ShowParentInCorners(TCanvas& canvas);

    TGlowButtonAppearance FAppearance;
    TAntiAlias FAntiAlias = TAntiAlias::aaClearType;
    TGlowBorderStyle FBorderStyle = TGlowBorderStyle::bsSingle;
    bool FRounded = true;
    TFocusType FFocusType = TFocusType::ftBorder;
    bool FShowCaption = true;
    bool FShowDisabled = true;
    bool FWordWrap = true;
    gdip::StringTrimming FTrimming = gdip::StringTrimmingNone;
    bool FTransparent = false;
    TGlowButtonStyle FStyle = TGlowButtonStyle::bsButton;
    bool FDown = false;
    bool FDownWhenLoaded = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;

    TPress FPress = TPress::psNone;
    // The running fade: which one, where each blend stands, and its direction.
    struct TFade {
        bool Running = false; // the fade timer runs
        TFadeKind Kind = fkFinished;
        int HotStep = 0, DownStep = 0;
        int Delta = 20;
    } FFade;
};

class TAdvGlowButton : public TAdvCustomGlowButton {
  public:
    using TAdvCustomGlowButton::TAdvCustomGlowButton;
};
