// The edit with a button at its right end: a small holder window inside the
// edit's client area that carries a painted push button.
#pragma once

#include "controls/edits/AdvEdit.h"

#include <functional>
#include <memory>
#include <string>

// A windowless push button: themed through uxtheme where a theme is active,
// the classic raised look otherwise, with a glyph and a caption.
class TAdvSpeedButton : public TGraphicControl {
  public:
    explicit TAdvSpeedButton(TComponent* owner);
    ~TAdvSpeedButton() override;
    // The picture, from a bitmap resource; its bottom-left colour is transparent.
    void LoadGlyph(HINSTANCE instance, const char* name);
    bool HasGlyph() const;
    SIZE GlyphSize() const;
    // Where the glyph stands, with the button up or held down.
    POINT GlyphPlace(bool down) const;
    // Pressed with the left button and the mouse still over it.
    bool Down() const { return FDown; }
    // The release of any button pressed on it, wherever the pointer is then.
    std::function<void(TMouseButton)> OnMouseUp;
    void Paint(TCanvas& canvas) override;

  protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void CaptureLost() override;

  private:
    // The themed push button; false when no theme is active.
    bool PaintThemed(TCanvas& canvas) const;
    // A focus rectangle while the holder has the focus and cues show.
    void PaintFocus(TCanvas& canvas);
    std::unique_ptr<TImageList> FGlyph;
    bool FDown = false;
};

// The holder window of the button. Its width is always ButtonWidth. As a tab
// stop it shows the focus, and Enter or Space presses the button.
class TEditButton : public TCustomControl {
  public:
    explicit TEditButton(TComponent* owner);
    TAdvSpeedButton* SpeedButton() const { return FSpeedButton; }
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int width);
    void SetBounds(int left, int top, int width, int height) override;
    // Takes the focus after a click when it can; the edit the button belongs to.
    TWinControl* FocusTarget = nullptr;
    TNotifyEvent OnButtonClick;
    // What a click of the button does: fires OnButtonClick.
    void Click() override;

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void BoundsChanged() override;
    void KeyPress(char& key) override;
    void DoEnter() override;
    void DoExit() override;

  private:
    void ButtonMouseUp(TMouseButton button);
    TAdvSpeedButton* FSpeedButton;
    int FButtonWidth = 16;
};

class TAdvEditBtn : public TAdvEdit {
  public:
    explicit TAdvEditBtn(TComponent* owner);
    TEditButton* Button() const { return FButton; }
    int ButtonWidth() const { return FButton->ButtonWidth(); }
    void SetButtonWidth(int width);
    void LoadGlyph(HINSTANCE instance, const char* name);
    void SetButtonCaption(const std::string& caption);
    // Fired by the button and by F4 without Control or Alt.
    TNotifyEvent OnClickBtn;
    // What the button does.
    virtual void ButtonClick();

  protected:
    RECT TextRect() const override;
    void HandleCreated() override;
    void Loaded() override;
    void BoundsChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void KeyDown(WORD& key, TShiftState shift) override;

  private:
    // The edit's lowest height for its font; the button fills the rest.
    int MinHeight();
    void LayoutButton();
    TEditButton* FButton;
};
