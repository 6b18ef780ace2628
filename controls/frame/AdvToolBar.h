// The frameless form and the caption bar that replaces the system title bar:
// a gradient strip with the caption text and three small glow buttons, which
// moves the window when dragged and opens its system menu on a right click.
#pragma once

#include "controls/frame/AdvToolBarStylers.h"
#include "controls/paint/AdvGlowButton.h"
#include "framework/Forms.h"

#include <functional>
#include <memory>
#include <string>

// The caption buttons, as flags of a set. Scoped: the task dialog's common
// buttons use the same names.
namespace TCaptionButton {
enum : unsigned { cbClose = 1, cbMinimize = 2, cbMaximize = 4 };
}
using TCaptionButtons = unsigned;

// The sizing zone of a point of a frameless window of the given size (window
// coordinates), or `answer` where no zone lies.
LRESULT FrameHitTest(int x, int y, int width, int height, LRESULT answer);
// Where a maximised frameless window goes: on the work area of its monitor,
// with the 3-pixel region inset (before Vista) just outside it.
void MaximizedPlacement(const MONITORINFO& monitor, bool vistaOrLater, MINMAXINFO& info);

// A form without system caption and border that keeps its system menu; before
// Vista it has a rounded outline through a window region. It is of fixed size
// (border style single) unless its border style is made sizable; then sizing
// zones near its edges stand in for the missing frame.
class TAdvToolBarForm : public TForm {
  public:
    explicit TAdvToolBarForm(TComponent* owner);
    // Child controls are aligned inside a 1/1/2/2 inset before Vista.
    RECT ClientRect() const override;
    bool Sizable() const { return BorderStyle() == TFormBorderStyle::bsSizeable; }

  protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintWindow(TCanvas& canvas) override;

  private:
    void SizeChanged(WPARAM sizeType);
};

// The caption part of the pager. Every change of a value tells the pager.
class TAdvPageCaption {
  public:
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value) { Change(FCaption, value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { Change(FVisible, value); }
    int Height() const { return FHeight; }
    void SetHeight(int value) { Change(FHeight, value); }
    int Indent() const { return FIndent; }
    void SetIndent(int value) { Change(FIndent, value); }
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int value) { Change(FMinWidth, value); }
    std::function<void()> OnChange;

  private:
    template <class T> void Change(T& field, const T& value) {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange();
    }
    std::string FCaption;
    bool FVisible = true;
    int FHeight = 27;
    int FIndent = 100;
    int FMinWidth = 100;
};

// The caption strip at the top of a frameless form. Only its caption part is
// built: this program has no pages, groups or quick access toolbar.
class TAdvToolBarPager : public TCustomControl, public IToolBarStylerClient {
  public:
    explicit TAdvToolBarPager(TComponent* owner);
    ~TAdvToolBarPager() override;

    // A pager stands on a form or panel, never inside another pager.
    void SetParent(TWinControl* parent) override;

    TAdvPageCaption& Caption() { return FCaption; }
    TCaptionButtons CaptionButtons() const { return FCaptionButtons; }
    void SetCaptionButtons(TCaptionButtons value);
    bool CanMove() const { return FCanMove; }
    void SetCanMove(bool value) { FCanMove = value; }
    TAntiAlias AntiAlias() const { return FAntiAlias; }
    void SetAntiAlias(TAntiAlias value);
    // Without a styler of its own the pager uses an internal one.
    TAdvToolBarOfficeStyler* ToolBarStyler() const { return FToolBarStyler; }
    void SetToolBarStyler(TAdvToolBarOfficeStyler* value);
    TAdvToolBarOfficeStyler& CurrentStyler() const;

    // Replace the default action of a caption button; the sender is the button.
    TNotifyEvent OnCloseButtonClick;
    TNotifyEvent OnMinButtonClick;
    TNotifyEvent OnMaxButtonClick;

    // The strip: the client rectangle cut to the caption height, or empty.
    RECT CaptionRect() const;
    // Where the caption text is centred: left of the caption buttons.
    RECT TextRect() const;
    TAdvGlowButton* CloseButton() const { return FCloseButton; }
    TAdvGlowButton* MaxButton() const { return FMaxButton; }
    TAdvGlowButton* MinButton() const { return FMinButton; }
    const TImageList* CaptionGlyphs() const { return FCaptionGlyphs; }

    void StylerChanged(int code) override;
    void FormMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The caption strip keeps filling the pager's height as stored, and the
    // caption buttons grow with it.
    void ChangeScale(int m, int d) override;

  protected:
    void PaintWindow(TCanvas& canvas) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void BoundsChanged() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    void UpdateCaptionButtons(bool redrawGlyphs);
    TAdvGlowButton* MakeCaptionButton(void (TAdvToolBarPager::*action)());
    void DrawGlyphs();
    void FreeCaptionButtons();
    void CloseButtonClick();
    void MinButtonClick();
    void MaxButtonClick();
    void ToggleMaximized();
    void ShowSystemMenu(int x, int y);
    void PaintBackGround(TCanvas& canvas);
    void PaintCaption(TCanvas& canvas);
    void PaintCaptionText(TCanvas& canvas, const RECT& text);
    void PaintCorners(TCanvas& canvas);
    int FormWindowState() const;

    TAdvPageCaption FCaption;
    TCaptionButtons FCaptionButtons = 0;
    bool FCanMove = false;
    TAntiAlias FAntiAlias = TAntiAlias::aaClearType;
    TAdvToolBarOfficeStyler* FInternalStyler;
    TAdvToolBarOfficeStyler* FToolBarStyler = nullptr;
    TAdvGlowButton* FCloseButton = nullptr;
    TAdvGlowButton* FMaxButton = nullptr;
    TAdvGlowButton* FMinButton = nullptr;
    TImageList* FCaptionGlyphs = nullptr;
    int FLastWindowState = SW_SHOWNORMAL; // the form's state when last seen
    // The caption buttons' lengths are given at the stored resolution; these
    // turn them into the screen's (ChangeScale).
    int FScaleM = 1, FScaleD = 1;
    int Scaled(int pixels) const { return MulDiv(pixels, FScaleM, FScaleD); }
};
