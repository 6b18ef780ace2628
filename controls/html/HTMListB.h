// The markup list box; the renderer it draws with is in HtmlRender.h.
#pragma once

#include "controls/AdvStyleIF.h"
#include "controls/html/HtmlRender.h"
#include "controls/html/PictureContainer.h"
#include "controls/html/ShellLink.h"
#include "controls/paint/AdvGradient.h"
#include "framework/Graphics.h"
#include "framework/StdCtrls.h"
#include "framework/Errors.h"
#include "framework/Timer.h"

#include <functional>
#include <string>

class EHTMListBoxError : public EListError {
  public:
    using EListError::EListError;
};

// A list box whose items are markup, each measured and drawn by the renderer.
// The system list holds the texts, so that screen readers can read them, and
// each item's object as its item data.
class THTMListBox : public TListBox, public IComponentStyle {
  public:
    explicit THTMListBox(TComponent* owner);
    ~THTMListBox() override;

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    bool AutoItemHeight() const { return FAutoItemHeight; }
    void SetAutoItemHeight(bool value) { Remeasure(FAutoItemHeight, value); }
    // Height of every item while AutoItemHeight is off.
    void SetItemHeight(int value) override;
    bool Multiline() const { return FMultiline; }
    void SetMultiline(bool value) { Remeasure(FMultiline, value); }
    bool Ellipsis() const { return FEllipsis; }
    void SetEllipsis(bool value) { Change(FEllipsis, value); }
    int ShadowOffset() const { return FShadowOffset; }
    void SetShadowOffset(int value) { Change(FShadowOffset, value); }
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor value) { Change(FShadowColor, value); }
    bool ShowSelection() const { return FShowSelection; }
    void SetShowSelection(bool value) { Change(FShowSelection, value); }
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool value) { Change(FShowFocus, value); }
    TGradientStyle& SelectionColors() { return FSelectionColors; }
    TColor SelectionFontColor() const { return FSelectionFontColor; }
    void SetSelectionFontColor(TColor value) { Change(FSelectionFontColor, value); }
    TColor URLColor() const { return FURLColor; }
    void SetURLColor(TColor value) { Change(FURLColor, value); }
    // Setting it sorts the items once; items added later are not sorted.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    bool SortWithHTML() const { return FSortWithHTML; }
    void SetSortWithHTML(bool value) { FSortWithHTML = value; }
    int LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(int value) { Remeasure(FLineSpacing, value); }
    TPictureContainer* PictureContainer() const { return FPictureContainer; }
    void SetPictureContainer(TPictureContainer* value);
    bool EnableBlink() const { return FEnableBlink; }
    void SetEnableBlink(bool value);
    bool AnchorHint = false;
    bool ItemHint = false;
    bool HTMLHint = false;
    bool IncrLookup = false;
    bool ScrollHorizontal() const { return FScrollHorizontal; }
    void SetScrollHorizontal(bool value);
    static std::string Version() { return "1.9.1.3"; }

    std::function<void(TComponent*, int index, const std::string& anchor)> OnAnchorClick;
    std::function<void(TComponent*, int index, const std::string& anchor)> OnAnchorEnter;
    std::function<void(TComponent*, int index, const std::string& anchor)> OnAnchorExit;
    std::function<void(TComponent*, int index, std::string& anchor)> OnAnchorHint;
    // Opens web and mail links; replaceable so that nothing is really opened.
    TShellOpener ShellOpen = OpenShellLink;

    // Drawing and the horizontal extent wait for the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    // Inside a batch the window is repainted once, when it ends.
    void Invalidate() override;
    // The item text without markup; EHTMListBoxError for a bad index.
    std::string GetItemPlainText(int index) const;
    // The href of the anchor at a client point and the item it is in, or
    // an empty href and -1.
    std::pair<std::string, int> AnchorAtPoint(int x, int y);
    // Measures every item again (2 pixels lower than at insertion).
    void UpdateItemHeights();
    void UpdateHorizontalExtent(int width = 0);
    void SetComponentStyle(TTelvarStyle style) override;

    // One tick of the blink timer; the timer calls it every 100 ms.
    void BlinkTick();
    // Whether blinking text shows in the next paint.
    bool BlinkVisible() const { return FBlinkVisible; }
    const std::string& LookupText() const { return FLookupText; }

  protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool DeferWindowTexts() const override { return FUpdateCount > 0; }
    int MeasureItem(int index) override;
    void DrawItem(TCanvas& canvas, int index, const RECT& rect, bool selected,
                  bool focused) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void Resize() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    // For the settings that change how items measure.
    template <class T> void Remeasure(T& field, const T& value) {
        if (field == value)
            return;
        field = value;
        UpdateItemHeights();
    }
    void SetRedraw(bool redraw);
    // Measures every item in the rectangle of MeasureRect(margin) and makes
    // it `lower` pixels lower than measured.
    void RemeasureItems(int margin, int lower);
    THtmlRenderOptions RenderOptions() const;
    // The measuring rectangle from `left`, with the width rule: 4096 wide
    // when scrolling horizontally, else the client width less a vertical
    // scroll bar that is expected but not shown yet, or less `margin`.
    RECT MeasureRect(int margin) const;
    THtmlRenderResult MeasureText(const std::string& text, const RECT& r);
    int LimitHeight(int height) const;
    void WidenTo(int extentX);
    int WidestItem();
    void Lookup(WORD key);
    // Inside a batch, moves the top item near `index` when it lies far from it.
    void FollowInBatch(int index);
    // The first item in [from, to) whose plain text starts with `prefix`,
    // compared in upper case; -1 if none.
    int FindPrefix(const std::string& prefix, int from, int to) const;
    void UpdateHint(int item, int anchorItem, const std::string& href);
    POINT HintPosition(POINT cursor) const override;
    int ClientWidth() const;
    int ClientHeight() const;
    bool VerticalBarShown() const;

    TImageList* FImages = nullptr;
    bool FAutoItemHeight = true;
    bool FMultiline = false;
    bool FEllipsis = false;
    int FShadowOffset = 1;
    TColor FShadowColor = clGray;
    bool FShowSelection = true;
    bool FShowFocus = true;
    TGradientStyle FSelectionColors;
    TColor FSelectionFontColor = clHighlightText;
    TColor FURLColor = clBlue;
    bool FSorted = false;
    bool FSortWithHTML = false;
    int FLineSpacing = 0;
    TPictureContainer* FPictureContainer = nullptr;
    bool FEnableBlink = false;
    bool FScrollHorizontal = false;

    int FUpdateCount = 0;
    int FMaxItemWidth = 0;
    std::string FLookupText;
    std::string FHoverAnchor;
    int FHoverItem = -1;
    // What the hint shows: an anchor's href, or item FHintItem (-1: nothing).
    bool FHintIsAnchor = false;
    int FHintItem = -1;
    TCursor FSavedCursor = TCursor::crDefault;
    int FMouseX = -1, FMouseY = -1;
    SIZE FClientSize{};
    SIZE FSize{}; // of the whole window, scroll bars included
    bool FSettingRedraw = false;
    int FBatchTopIndex = 0; // top item when the batch began
    TTimer* FBlinkTimer = nullptr;
    int FTimerTicks = 0;
    bool FBlinkPhase = false;
    bool FBlinkVisible = true;
    THTMLPictureCache FPictureCache;
};
