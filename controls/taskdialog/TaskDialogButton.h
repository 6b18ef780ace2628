// The emulated task dialog's own button: its command links and its expand
// control, drawn from bitmap resources of the executable.
#pragma once

#include "framework/Controls.h"
#include "framework/Graphics.h"

#include <string>
#include <vector>

// A bitmap resource of the executable copied into `into`; false when missing.
bool LoadResourceBitmap(TBitmap& into, const char* name);

// A command link caption in lines: split at backslash-n and at carriage
// returns, dropping the character after either, blanks trimmed. The first
// line is the heading.
std::vector<std::string> CaptionLines(const std::string& caption);

// Command links and the expand control of the emulated window.
class TTaskDialogButton : public TCustomControl {
  public:
    explicit TTaskDialogButton(TComponent* owner);

    // Loads the three looks from bitmap resources of the executable.
    void LoadPictures(const char* normal, const char* hot, const char* down);
    TFont HeadingFont;
    TColor BorderColorHot = clNone;
    TColor BorderColorDown = clNone;
    int ModalResult = 0;
    bool FocusOnHover = false;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // The text whose accelerator clicks it when that is not the caption (the
    // expand control's caption stays empty; its text is painted beside it).
    std::string AccelCaption;

    // Sets the form's modal result, then fires OnClick.
    void Click() override;
    bool DialogChar(char ch) override;

  protected:
    void PaintWindow(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void CaptureLost() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    const TBitmap* CurrentPicture();
    TBitmap FPicture, FPictureHot, FPictureDown;
    bool FDown = false;
    bool FHot = false;
};
