// The standard controls: system buttons, edit, owner-drawn list box,
// progress bar, and the windowless label and the plain panel.
#pragma once

#include "framework/Controls.h"

#include <memory>
#include <string>
#include <vector>

// A system button (push button, check box or radio button).
class TButtonControl : public TWinControl {
  public:
    explicit TButtonControl(TComponent* owner);
    void Click() override;
    bool DialogChar(char ch) override;
    int ModalResult = mrNone;

  protected:
    bool HandleCommand(WORD code) override;
    HBRUSH HandleCtlColor(HDC dc) override;
};

class TButton : public TButtonControl {
  public:
    explicit TButton(TComponent* owner);
    bool Default = false;
    bool Cancel = false;
    bool IsDefaultButton() const override { return Default; }
    bool IsCancelButton() const override { return Cancel; }

  protected:
    void CreateParams(TCreateParams& params) override;
};

class TCheckBox : public TButtonControl {
  public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const;
    void SetChecked(bool checked);

  protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;

  private:
    bool FChecked = false;
};

class TRadioButton : public TCheckBox {
  public:
    using TCheckBox::TCheckBox;

  protected:
    void CreateParams(TCreateParams& params) override;
};

class TEdit : public TWinControl {
  public:
    explicit TEdit(TComponent* owner);
    std::string Text() const;
    void SetText(const std::string& text);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly);
    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleCommand(WORD code) override;

  private:
    bool FReadOnly = false;
};

// An owner-drawn list box with variable item heights; every item is a text
// with an object that it does not own. The system control holds the texts too,
// so that screen readers and automation tools can read them, with each
// object as its item data.
class TListBox : public TWinControl {
  public:
    explicit TListBox(TComponent* owner);

    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& Strings(int index) const;
    void* Objects(int index) const;
    int AddItem(const std::string& text, void* object);
    void InsertItem(int index, const std::string& text, void* object);
    // Replaces a text; the item keeps its object, and the selection and the
    // top item stay.
    void SetString(int index, const std::string& text);
    void Delete(int index);
    void Clear();

    int ItemIndex() const;
    void SetItemIndex(int index);
    int TopIndex() const;
    RECT ItemRect(int index) const;
    int ItemHeights(int index) const;
    void SetItemHeights(int index, int height);
    // The item at a client point, or -1.
    int ItemAtPos(int x, int y) const;
    // The height an item gets unless MeasureItem says otherwise.
    int ItemHeight() const { return FItemHeight; }
    virtual void SetItemHeight(int value) { FItemHeight = value; }
    void ChangeScale(int m, int d) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleMeasureItem(MEASUREITEMSTRUCT* item) override;
    bool HandleDrawItem(DRAWITEMSTRUCT* item) override;
    bool HandleCommand(WORD code) override;
    void HandleCreated() override;
    // The height an item gets when it is added.
    virtual int MeasureItem(int index);
    virtual void DrawItem(TCanvas& canvas, int index, const RECT& rect, bool selected,
                          bool focused);
    void CheckIndex(int index) const;
    // True inside a batch whose end repaints the list: a replaced text then
    // changes in place (items are drawn from our own copy), and its height
    // and the system list's copy of it wait for RefreshWindowTexts.
    virtual bool DeferWindowTexts() const { return false; }
    // Gives the system list the texts replaced since the last call and their
    // heights; the other items keep theirs, and the selection and the top
    // item stay.
    void RefreshWindowTexts();

  private:
    // Puts the item at `index` into the system list, which then measures it.
    void InsertIntoWindow(int index);
    struct TItem {
        std::string Text;
        void* Object;
        // The height of a replaced text that waits for RefreshWindowTexts, or -1.
        int PendingHeight = -1;
    };
    std::vector<std::unique_ptr<TItem>> FItems;
    int FItemHeight = 16;
    bool FWindowTextsStale = false;
    // The heights WM_MEASUREITEM answers with while RefreshWindowTexts runs.
    std::vector<int> FKeptHeights;
};

class TProgressBar : public TWinControl {
  public:
    explicit TProgressBar(TComponent* owner);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    void SetRange(int min, int max);
    void SetMax(int max) { SetRange(FMin, max); }
    void SetPosition(int position);
    // An endless bar whose block keeps running.
    void SetMarquee(bool marquee);

  protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;

  private:
    int FMin = 0, FMax = 100, FPosition = 0;
    bool FMarquee = false;
};

class TLabel : public TGraphicControl {
  public:
    explicit TLabel(TComponent* owner);
    bool Transparent = true;
    bool ShowAccelChar = true;
    bool AutoSize = true;
    // Where an accelerator (Alt + the underlined letter) sends the focus; a
    // freed control is forgotten.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);
    void Paint(TCanvas& canvas) override;
    bool DialogChar(char ch) override;
    // Width and height of the caption in the label's font.
    SIZE TextSize();
    // A label that sizes itself keeps its text's size: the font is already
    // the screen's.
    void ChangeScale(int m, int d) override;

  protected:
    void TextChanged() override;
    void FontChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    void AdjustSize();
    UINT DrawFlags() const;
    TWinControl* FFocusControl = nullptr;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TBorderStyle { bsNone, bsSingle };

// A 3-D frame of `width` lines just inside `r`, which it shrinks by as much:
// light at top and left for raised, at bottom and right for lowered.
void DrawBevel(TCanvas& canvas, RECT& r, TBevelCut cut, int width);

// A coloured surface for other controls: outer bevel, border width, inner
// bevel and an optional caption; a single border style gives the window a
// system border.
class TCustomPanel : public TCustomControl {
  public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value) { Change(FBevelInner, value); }
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value) { Change(FBevelOuter, value); }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value) { Change(FBevelWidth, value); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value) { Change(FBorderWidth, value); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool ShowCaption = true;

  protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(TCanvas& canvas) override;

  private:
    TBevelCut FBevelInner = TBevelCut::bvNone;
    TBevelCut FBevelOuter = TBevelCut::bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = TBorderStyle::bsNone;
};

class TPanel : public TCustomPanel {
  public:
    using TCustomPanel::TCustomPanel;
};

// Accelerator letter of a caption ("&Datei" gives 'D'), or 0.
char AcceleratorOf(const std::string& caption);
// A caption as it shows with its underline hidden, to be drawn without prefix
// processing: every lone "&" dropped, "&&" as one.
std::string WithoutAccelChar(const std::string& caption);
