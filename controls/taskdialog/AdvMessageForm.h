// The emulated task dialog's window: it shows the dialog's parts and reports
// what the user does through its face (TaskDialogEmulated.h). Building and
// events live in AdvMessageForm.cpp; measuring, placing and the text blocks
// in AdvMessageFormLayout.cpp.
#pragma once

#include "controls/taskdialog/TaskDialogButton.h"
#include "controls/taskdialog/TaskDialogEmulated.h"

#include <string>
#include <vector>

// A picture on the emulated window: its main icon, and the hidden marker of
// a footer icon.
class TDialogImage : public TGraphicControl {
  public:
    using TGraphicControl::TGraphicControl;
    TBitmap Picture;
    void Paint(TCanvas& canvas) override;
};

// The emulated task dialog window.
class TAdvMessageForm : public TForm {
  public:
    TAdvMessageForm(TComponent* owner, TTaskDialogFace& face);
    ~TAdvMessageForm() override;

    void BuildDialog();
    void UpdateDialog();
    void ArrangeControls();
    void SetExpanded(bool value);
    void ToggleExpanded();
    bool Expanded() const { return FExpanded; }

    // Layout units from the font's average character size.
    int HorzMargin() const { return FHorzMargin; }
    int VertMargin() const { return FVertMargin; }
    int HorzSpacing() const { return FHorzSpacing; }
    int VertSpacing() const { return FVertSpacing; }
    int BandTop() const { return FBandTop; }
    int TextLeft() const { return FTextLeft; }
    RECT ContentRect() const;
    RECT ExpandedRect() const;
    RECT FooterRect() const;
    // The footer's text: beside its icon when it has one.
    RECT FooterTextRect() const;
    const std::string& HoverLink() const { return FHoverLink; }

    TLabel* InstructionLabel() const { return FInstructionLabel; }
    TDialogImage* IconImage() const { return FIconImage; }
    const std::vector<TWinControl*>& CommonButtonList() const { return FCommonButtonList; }
    const std::vector<TWinControl*>& CustomButtonList() const { return FCustomButtonList; }
    const std::vector<TRadioButton*>& RadioList() const { return FRadioList; }
    TTaskDialogButton* ExpandButton() const { return FExpandButton; }
    TCheckBox* VerifyCheckBox() const { return FVerifyCheckBox; }
    TProgressBar* ProgressBar() const { return FProgressBar; }
    TTimer* Timer() const { return FTimer; }

    // The text Ctrl+C puts on the clipboard.
    std::string ClipboardText() const;
    // One tick of the 100 ms timer.
    using TForm::TimerTick;
    void TimerTick();
    const TAdvTaskDialog& Dialog() const { return FDialog; }

    // The width of a common button: its caption's with room beside it.
    int CommonButtonWidth(TCommonButton button);

  protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintWindow(TCanvas& canvas) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    bool CloseQuery() override;

  private:
    // Sizes of the pictures, and the room the footer's icon takes before its text.
    static constexpr int kIconSize = 32;
    static constexpr int kFooterIconSize = 16;
    static constexpr int kFooterIconSpace = 20;

    // The steps of BuildDialog, one per part of the dialog. The parts below
    // the instruction start at `top`; ArrangeControls places them for good.
    // The buttons step gives the default common button, if any.
    TWinControl* BuildButtons();
    TWinControl* AddCommonButton(std::size_t row, bool isDefault, bool isCancel, int width);
    void BuildCustomButtons();
    void BuildCommandLinks();
    // Gives the top of the parts below the instruction.
    int BuildIconAndInstruction();
    void BuildProgress(int top);
    void BuildRadioButtons(int top);
    void BuildExpander();
    void BuildVerification(int top);
    void BuildFooter(int top);
    void PlaceAndOrderControls(TWinControl* defaultCommon);

    // The layout units from the average character size of the font.
    void ComputeUnits();
    SIZE MeasureText(const std::string& text, int width = 1000,
                     UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    // Content or extra information drawn as plain text, at `width`.
    SIZE MeasureTextBlock(const std::string& text, int width);
    SIZE MeasureMarkup(const std::string& text, const RECT& rect);
    SIZE MeasureCommandLink(const std::string& caption, const TFont& heading, const TFont& text);
    SIZE MeasureInstruction();
    // Places the instruction label at `top` beside the icon, sized to its text.
    void PlaceInstruction(int top);
    // The steps of ArrangeControls, top to bottom, mirroring the building
    // steps: each places its part from `y` and gives the `y` below it.
    int PlaceInstructionAndContent();
    int PlaceProgress(int y);
    int PlaceRadioButtons(int y);
    int PlaceExpandedText(int y);
    int PlaceCommandLinks(int y);
    // The band: push buttons, expander and verification box. Gives the
    // bottom of what it placed and where the footer starts.
    struct TBandPlacement {
        int Bottom;
        int Next;
    };
    TBandPlacement PlaceBand(int y);
    // Gives the height the footer takes below the band.
    int PlaceFooter(int y);
    bool ExpandedTextShown() const;
    // The client width the texts and controls need. An update leaves out the
    // verification width and the extra information and is not held to the screen.
    int RequiredClientWidth(bool update);
    void SetClientWidth(int width);
    // The progress bar spans the client width less the margins.
    void StretchProgressBar();
    void CopyToClipboard();
    void DrawTextBlock(TCanvas& canvas, const std::string& text, const RECT& r, bool markup);
    std::string LinkAt(int x, int y);
    bool HasIcon() const;
    int ContentLeft() const;
    void ButtonClick(TComponent* sender);
    void RadioClick(TComponent* sender);
    void VerifyClick(TComponent* sender);

    TTaskDialogFace& FFace;
    const TAdvTaskDialog& FDialog;
    TLabel* FInstructionLabel = nullptr;
    TDialogImage* FIconImage = nullptr;
    TDialogImage* FFooterImage = nullptr;
    std::vector<TWinControl*> FCommonButtonList;
    std::vector<TWinControl*> FCustomButtonList;
    std::vector<TRadioButton*> FRadioList;
    TTaskDialogButton* FExpandButton = nullptr;
    bool FExpanded = true;
    TCheckBox* FVerifyCheckBox = nullptr;
    TProgressBar* FProgressBar = nullptr;
    TTimer* FTimer = nullptr;
    int FHorzMargin = 0, FVertMargin = 0, FHorzSpacing = 0, FVertSpacing = 0;
    int FButtonHeight = 0, FButtonSpacing = 0;
    int FContentHeight = 0;
    int FExpandedHeight = 0, FExpandedTop = 0;
    int FFooterHeight = 0;
    int FBandTop = 0;
    int FTextLeft = 0;
    int FMinWidth = 350;
    int FIconId = 0;
    int FCommandLinkWidth = 0;
    std::string FHoverLink;
};
