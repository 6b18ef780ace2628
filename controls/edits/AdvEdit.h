// The labelled edit: a one-line edit that carries its own caption label beside
// it, a disabled look of its own, focus colours, Escape to bring back the text
// of the last focus entry, and a validation hook for descendants.
#pragma once

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <functional>
#include <string>

// Where the caption label stands beside the edit.
enum TLabelPosition {
    lpLeftTop,
    lpLeftCenter,
    lpLeftBottom,
    lpTopLeft,
    lpBottomLeft,
    lpLeftTopLeft,
    lpLeftCenterLeft,
    lpLeftBottomLeft,
    lpTopCenter,
    lpBottomCenter,
    lpRightTop,
    lpRightCenter,
    lpRightBottom
};

// The top-left corner of a label of `label` size whose caption is `textWidth`
// wide, `margin` pixels away from an edit with the bounds `edit`.
POINT LabelPlace(TLabelPosition position, const RECT& edit, SIZE label, int textWidth, int margin);

using TValueValidateEvent =
    std::function<void(TComponent* sender, const std::string& value, bool& isValid)>;

class TAdvEdit : public TEdit {
  public:
    explicit TAdvEdit(TComponent* owner);
    ~TAdvEdit() override;
    // The label moves to the same parent.
    void SetParent(TWinControl* parent) override;

    // Writing the text clears the modified flag (not while loading or read-only).
    void SetText(const std::string& text);
    bool Modified() const;
    void SetModified(bool modified);
    void SelectAll();

    // The first assignment makes the label: on the edit's parent, focusing the
    // edit on its accelerator, freed with the edit.
    const std::string& LabelCaption() const { return FLabelCaption; }
    void SetLabelCaption(const std::string& caption);
    TLabelPosition LabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition position);
    int LabelMargin() const { return FLabelMargin; }
    void SetLabelMargin(int margin);
    bool LabelTransparent() const { return FLabelTransparent; }
    void SetLabelTransparent(bool transparent);
    bool LabelAlwaysEnabled() const { return FLabelAlwaysEnabled; }
    void SetLabelAlwaysEnabled(bool alwaysEnabled);
    // The label's font once the edit no longer follows its parent's font.
    TFont LabelFont;
    // Null until the first LabelCaption.
    TLabel* EditLabel() const { return FLabel; }

    // Every assignment is also the colour to restore, even one made while
    // disabled or focused, and even one of the colour shown at the time.
    void SetColor(TColor color) override;
    TColor DisabledColor() const { return FDisabledColor; }
    void SetDisabledColor(TColor color);
    // A silver one-pixel frame while disabled, with common controls 6.
    bool DisabledBorder() const { return FDisabledBorder; }
    void SetDisabledBorder(bool border);
    // Background and text colour while focused; clNone leaves them as they are.
    TColor FocusColor = clNone;
    TColor FocusFontColor = clWindowText;
    // Tabbing in selects all text; a click leaves the caret at the click.
    bool AutoSelect = true;
    // Escape brings back the text of the last focus entry.
    bool CanUndo = true;

    TValueValidateEvent OnValueValidate;
    // Runs DoValidate; a validation started from inside one answers true.
    bool ValidateText(const std::string& value);

  protected:
    virtual void DoValidate(const std::string& value, bool& isValid);
    // The rectangle the text is laid out in, in client coordinates.
    virtual RECT TextRect() const;
    void ApplyTextRect();

    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Loaded() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void BoundsChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;

    // Set just before a dialog opens from the edit: the first special-key
    // query afterwards is left alone.
    bool FIgnoreSpecialKey = false;

  private:
    void PlaceLabel();
    // Shows a background without making it the colour to restore.
    void SetBackground(TColor color);
    // The form's question whether the edit wants a dialog key; true to keep it.
    bool WantsSpecialKey(WPARAM key);
    void Paste();
    void PaintDisabledBorder();

    TLabel* FLabel = nullptr;
    std::string FLabelCaption;
    TLabelPosition FLabelPosition = lpLeftTop;
    int FLabelMargin = 4;
    bool FLabelTransparent = false;
    bool FLabelAlwaysEnabled = false;
    TColor FDisabledColor = clSilver;
    bool FDisabledBorder = true;
    TColor FNormalColor = clWindow;
    TColor FNormalFontColor = clWindowText;
    std::string FFocusText;
    bool FSettingBackground = false;
    bool FClickFocus = false;
    bool FValidating = false;
};
