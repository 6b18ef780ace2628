#include "controls/html/HTMListB.h"

#include "framework/Text.h"
#include "framework/Controls.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxItemHeight = 255;
constexpr int kHorizontalWidth = 4096;
constexpr int kGradientSteps = 128;
constexpr unsigned kBlinkInterval = 100;
// Blinking text changes every fifth tick of the blink timer.
constexpr int kTicksPerBlink = 5;
// How far a batch's items may lie below the list's top item before it follows them.
constexpr int kTopItemStep = 256;

// Two gradients split at the middle (left and right with `direction`, else
// top and bottom), or one over the whole rectangle without mirror colours.
void FillMirrorGradient(TCanvas& canvas, const RECT& r, const TGradientStyle& colors) {
    if (colors.ColorMirrorFrom() == clNone) {
        DrawGradient(canvas, colors.ColorFrom(), colors.ColorTo(), kGradientSteps, r,
                     !colors.Direction);
        return;
    }
    RECT first = r, second = r;
    if (colors.Direction)
        first.right = second.left = (r.left + r.right) / 2;
    else
        first.bottom = second.top = (r.top + r.bottom) / 2;
    DrawGradient(canvas, colors.ColorFrom(), colors.ColorTo(), kGradientSteps, first, false);
    DrawGradient(canvas, colors.ColorMirrorFrom(), colors.ColorMirrorTo(), kGradientSteps, second,
                 false);
}

} // namespace

THTMListBox::THTMListBox(TComponent* owner) : TListBox(owner), FBlinkTimer(new TTimer(this)) {
    FSelectionColors.OnChange = [this] { Invalidate(); };
    FBlinkTimer->SetEnabled(false);
    FBlinkTimer->SetInterval(kBlinkInterval);
    FBlinkTimer->SetOnTimer([this](TComponent*) { BlinkTick(); });
}

THTMListBox::~THTMListBox() {
    // The timer is owned and would otherwise outlive the members its tick uses.
    DestroyComponents();
}

void THTMListBox::CreateParams(TCreateParams& params) {
    TListBox::CreateParams(params);
    if (FScrollHorizontal)
        params.Style |= WS_HSCROLL;
}

void THTMListBox::HandleCreated() {
    // The size the window was made with, which it reports before it is ours.
    FSize = SIZE{Width(), Height()};
    FClientSize = SIZE{ClientWidth(), ClientHeight()};
    TListBox::HandleCreated();
}

int THTMListBox::ClientWidth() const {
    RECT r;
    if (HandleAllocated() && GetClientRect(Handle(), &r))
        return r.right;
    return Width();
}

bool THTMListBox::VerticalBarShown() const {
    return HandleAllocated() && (GetWindowLongPtrA(Handle(), GWL_STYLE) & WS_VSCROLL);
}

int THTMListBox::ClientHeight() const {
    RECT r;
    if (HandleAllocated() && GetClientRect(Handle(), &r))
        return r.bottom;
    return Height();
}

THtmlRenderOptions THTMListBox::RenderOptions() const {
    THtmlRenderOptions o;
    o.Images = FImages;
    o.URLColor = FURLColor;
    o.ShadowColor = FShadowColor;
    o.ShadowOffset = FShadowOffset;
    o.PictureCache = const_cast<THTMLPictureCache*>(&FPictureCache);
    o.PictureContainer = FPictureContainer;
    o.LineSpacing = FLineSpacing;
    o.WordWrap = !FEllipsis;
    // Items are names: every "&" in them is one.
    o.ShowAccelChar = false;
    o.ImageScale = 1.0;
    o.HoverColor = o.HoverFontColor = clNone;
    return o;
}

RECT THTMListBox::MeasureRect(int margin) const {
    RECT r = MakeRect(0, 0, ClientWidth(), Height());
    if (FScrollHorizontal)
        r.right = r.left + kHorizontalWidth;
    else if (Height() < Count() * ItemHeight() && !VerticalBarShown())
        r.right -= GetSystemMetrics(SM_CXVSCROLL); // a bar is to be expected
    else
        r.right -= margin; // a bar that shows is outside the client area already
    return r;
}

THtmlRenderResult THTMListBox::MeasureText(const std::string& text, const RECT& r) {
    THtmlRenderOptions o = RenderOptions();
    o.MeasureOnly = true;
    o.AnchorTestOnly = true;
    o.Selected = true;
    o.BlinkVisible = true;
    THtmlRenderResult result;
    RenderHtmlText(MeasureCanvas(), text, r, o, result);
    return result;
}

int THTMListBox::LimitHeight(int height) const {
    return std::min(std::min(height, ClientHeight()), kMaxItemHeight);
}

void THTMListBox::WidenTo(int extentX) {
    if (extentX + 6 > FMaxItemWidth) {
        FMaxItemWidth = extentX + 6;
        UpdateHorizontalExtent(FMaxItemWidth);
    }
}

int THTMListBox::MeasureItem(int index) {
    const THtmlRenderResult m = MeasureText(Strings(index), MeasureRect(2));
    if (FScrollHorizontal)
        WidenTo(m.ExtentX);
    return LimitHeight(m.ExtentY);
}

void THTMListBox::UpdateItemHeights() {
    RemeasureItems(4, 2);
}

void THTMListBox::RemeasureItems(int margin, int lower) {
    if (Loading() || !HandleAllocated() || Count() == 0)
        return;
    const RECT r = MeasureRect(margin);
    int widest = 0;
    // Each new height would otherwise update and repaint the list at once.
    const bool suspend = FUpdateCount == 0;
    if (suspend)
        SetRedraw(false);
    for (int i = 0; i < Count(); ++i) {
        if (!FAutoItemHeight) {
            SetItemHeights(i, ItemHeight());
            continue;
        }
        const THtmlRenderResult m = MeasureText(Strings(i), r);
        widest = std::max(widest, m.ExtentX);
        // A list item needs at least one pixel.
        SetItemHeights(i, std::max(LimitHeight(m.ExtentY) - lower, 1));
    }
    if (suspend)
        SetRedraw(true);
    if (FScrollHorizontal)
        WidenTo(widest);
}

int THTMListBox::WidestItem() {
    const RECT r = MakeRect(0, 0, kHorizontalWidth, Height());
    int widest = 0;
    for (int i = 0; i < Count(); ++i)
        widest = std::max(widest, MeasureText(Strings(i), r).ExtentX + 6);
    return widest;
}

void THTMListBox::UpdateHorizontalExtent(int width) {
    if (FUpdateCount > 0 || !HandleAllocated())
        return;
    const auto removeExtent = [this] {
        SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
        SendMessageA(Handle(), WM_HSCROLL, SB_LEFT, 0);
    };
    if (Count() == 0 || !FScrollHorizontal) {
        FMaxItemWidth = 0;
        removeExtent();
        return;
    }
    if (width == 0)
        width = FMaxItemWidth = WidestItem();
    const RECT first = ItemRect(0);
    if (width > first.right - first.left) {
        SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
    } else {
        removeExtent();
        ShowScrollBar(Handle(), SB_HORZ, FALSE);
    }
}

void THTMListBox::SetRedraw(bool redraw) {
    if (!HandleAllocated())
        return;
    FSettingRedraw = true;
    SendMessageA(Handle(), WM_SETREDRAW, redraw, 0);
    FSettingRedraw = false;
    if (redraw)
        Invalidate();
}

void THTMListBox::Invalidate() {
    // The end of the batch repaints everything.
    if (FUpdateCount == 0)
        TListBox::Invalidate();
}

void THTMListBox::BeginUpdate() {
    // A visible system list updates its scroll bar and repaints for every
    // insertion, which costs far more than measuring the item.
    if (FUpdateCount == 0 && HandleAllocated()) {
        FBatchTopIndex = TopIndex();
        SetRedraw(false);
    }
    ++FUpdateCount;
}

void THTMListBox::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    // Still inside the batch: the system list takes the replaced texts
    // without a repaint or a new extent for each.
    if (FUpdateCount == 1)
        RefreshWindowTexts();
    if (--FUpdateCount > 0)
        return;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(FBatchTopIndex), 0);
    SetRedraw(true);
    UpdateHorizontalExtent();
}

std::string THTMListBox::GetItemPlainText(int index) const {
    if (index < 0 || index >= Count())
        throw EHTMListBoxError("Item index out of range");
    return StripHtmlTags(Strings(index));
}

void THTMListBox::DrawItem(TCanvas& canvas, int index, const RECT& rect, bool selected,
                           bool focused) {
    if (index == Count() - 1 && rect.bottom < Height()) {
        // Nothing else paints the space below the last item.
        canvas.Brush.SetColor(Color());
        canvas.FillRect(MakeRect(rect.left, rect.bottom, rect.right, Height()));
    }
    const bool showSelected = selected && FShowSelection;
    const TGradientStyle& colors = FSelectionColors;
    TColor anchorColor = FURLColor;
    bool gradient = false;
    if (showSelected) {
        canvas.Brush.SetColor(colors.ColorFrom());
        canvas.Font.SetColor(FSelectionFontColor);
        canvas.Pen.SetColor(colors.ColorTo() == clNone ? colors.ColorFrom() : colors.BorderColor());
        anchorColor = FSelectionFontColor;
        gradient = colors.ColorTo() != clNone;
    } else {
        canvas.Brush.SetColor(Color());
        canvas.Pen.SetColor(Color());
        canvas.Font.SetColor(Font.Color());
    }
    if (gradient) {
        FillMirrorGradient(canvas, rect, colors);
        if (colors.BorderColor() != clNone) {
            canvas.Brush.SetColor(colors.BorderColor());
            canvas.FrameRect(rect);
        }
        canvas.Brush.SetColor(colors.ColorFrom());
    } else {
        canvas.Rectangle(rect);
    }
    if (focused && FShowFocus && FShowSelection)
        canvas.DrawFocusRect(rect);

    RECT text = rect;
    text.left += 2;
    if (FScrollHorizontal)
        text.right = text.left + kHorizontalWidth;
    text.bottom += 4;
    THtmlRenderOptions o = RenderOptions();
    o.Selected = showSelected;
    o.BlinkVisible = FBlinkVisible;
    o.URLColor = anchorColor;
    o.HitX = FMouseX + 2;
    o.HitY = FMouseY;
    THtmlRenderResult result;
    RenderHtmlText(canvas, Strings(index), text, o, result);
}

std::pair<std::string, int> THTMListBox::AnchorAtPoint(int x, int y) {
    const int index = ItemAtPos(x, y);
    if (index < 0)
        return {std::string(), -1};
    THtmlRenderOptions o = RenderOptions();
    o.AnchorTestOnly = true;
    o.Selected = true;
    o.LineSpacing = 0;
    o.HitX = x;
    o.HitY = y;
    // The item's rectangle does not move with the horizontal scrolling; its
    // text does.
    RECT r = ItemRect(index);
    if (FScrollHorizontal)
        OffsetRect(&r, -GetScrollPos(Handle(), SB_HORZ), 0);
    THtmlRenderResult result;
    if (!RenderHtmlText(MeasureCanvas(), Strings(index), r, o, result))
        return {std::string(), -1};
    return {result.AnchorHref, index};
}

void THTMListBox::MouseMove(TShiftState shift, int x, int y) {
    TListBox::MouseMove(shift, x, y);
    FMouseX = x;
    FMouseY = y;
    const int item = ItemAtPos(x, y);
    const auto [href, index] = AnchorAtPoint(x, y);
    if (!href.empty()) {
        if (href != FHoverAnchor && !FHoverAnchor.empty() && OnAnchorExit)
            OnAnchorExit(this, FHoverItem, FHoverAnchor);
        if (Cursor() != TCursor::crHandPoint) {
            FSavedCursor = Cursor();
            SetCursor(TCursor::crHandPoint);
        }
        if (href != FHoverAnchor && OnAnchorEnter)
            OnAnchorEnter(this, index, href);
        FHoverAnchor = href;
        FHoverItem = index;
    } else if (!FHoverAnchor.empty() && Cursor() == TCursor::crHandPoint) {
        SetCursor(FSavedCursor);
        const std::string old = std::exchange(FHoverAnchor, std::string());
        if (OnAnchorExit)
            OnAnchorExit(this, FHoverItem, old);
        FHoverItem = -1;
    }
    UpdateHint(item, index, href);
}

void THTMListBox::UpdateHint(int item, int anchorItem, const std::string& href) {
    if (!AnchorHint && !ItemHint)
        return;
    const bool anchor = AnchorHint && !href.empty();
    const int shown = anchor ? anchorItem : ItemHint ? item : -1;
    // Moving onto another item, or between an item and an anchor, ends the
    // tip; the next move shows the new one in its own place.
    if (shown != FHintItem || anchor != FHintIsAnchor) {
        FHintItem = shown;
        FHintIsAnchor = anchor;
        SetHint(std::string());
    }
    std::string hint;
    if (anchor) {
        hint = href;
        if (OnAnchorHint)
            OnAnchorHint(this, anchorItem, hint);
    } else if (shown >= 0) {
        hint = HTMLHint ? Strings(shown) : GetItemPlainText(shown);
    }
    SetHint(hint);
}

POINT THTMListBox::HintPosition(POINT cursor) const {
    // An anchor's href stands above and right of the mouse, an item's text
    // on the item's top-left corner.
    if (FHintIsAnchor)
        return {cursor.x + 10, cursor.y - 10};
    if (FHintItem >= 0 && FHintItem < Count()) {
        const RECT r = ItemRect(FHintItem);
        return ClientToScreen({r.left, r.top});
    }
    return TListBox::HintPosition(cursor);
}

void THTMListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const auto [href, index] = AnchorAtPoint(x, y);
    if (href.empty()) {
        TListBox::MouseDown(button, shift, x, y);
        return;
    }
    // An href from an item's text goes to the shell only as a web or mail
    // link; a file, a program or an unknown protocol is the owner's business.
    if (!OpenIfShellLink(href, ShellOpen) && OnAnchorClick)
        OnAnchorClick(this, index, href);
}

LRESULT THTMListBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETREDRAW:
        // Replacing a text switches the drawing off and on around it; inside
        // a batch the drawing stays off until the batch ends.
        if (FUpdateCount > 0 && !FSettingRedraw)
            return 0;
        return TListBox::WindowProc(msg, wParam, lParam);
    case WM_CHAR: {
        // Typed characters are looked up in the plain texts (KeyDown); the
        // system list would search the markup.
        char ch = static_cast<char>(wParam);
        KeyPress(ch);
        return 0;
    }
    case WM_KEYDOWN: {
        const LRESULT result = TListBox::WindowProc(msg, wParam, lParam);
        Lookup(static_cast<WORD>(wParam));
        return result;
    }
    case LB_INSERTSTRING: {
        FollowInBatch(static_cast<int>(wParam));
        const LRESULT result = TListBox::WindowProc(msg, wParam, lParam);
        // The list does not update its scroll bar while a batch holds its
        // painting. Shown as soon as the items overflow, as it would be
        // without the batch, it resizes the list while it holds few items,
        // rather than at the end, when every item would be measured again.
        if (FUpdateCount > 0 && Height() < Count() * ItemHeight() && !VerticalBarShown())
            ShowScrollBar(Handle(), SB_VERT, TRUE);
        return result;
    }
    case LB_SETITEMHEIGHT:
        FollowInBatch(static_cast<int>(wParam));
        return TListBox::WindowProc(msg, wParam, lParam);
    case LB_DELETESTRING:
        FollowInBatch(static_cast<int>(wParam));
        [[fallthrough]];
    case LB_RESETCONTENT: {
        const LRESULT result = TListBox::WindowProc(msg, wParam, lParam);
        if (FScrollHorizontal)
            UpdateHorizontalExtent();
        return result;
    }
    default:
        return TListBox::WindowProc(msg, wParam, lParam);
    }
}

void THTMListBox::FollowInBatch(int index) {
    // The system list finds the rectangle of an item it inserts, removes or
    // gives a new height by adding up the heights from its top item. Keeping
    // the top item near the items a batch works on keeps each change from
    // walking the whole list; the batch's end puts the top item back.
    if (FUpdateCount == 0)
        return;
    const int top = TopIndex();
    if (index < top || index - top >= kTopItemStep)
        SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

int THTMListBox::FindPrefix(const std::string& prefix, int from, int to) const {
    const std::string upper = UpperCase(prefix);
    for (int i = from; i < to; ++i)
        if (UpperCase(GetItemPlainText(i).substr(0, upper.size())) == upper)
            return i;
    return -1;
}

void THTMListBox::Lookup(WORD key) {
    if (key == VK_ESCAPE || (key >= VK_PRIOR && key <= VK_DOWN)) {
        FLookupText.clear();
        return;
    }
    const char typed = static_cast<char>(key);
    if (key == VK_BACK) {
        if (!FLookupText.empty())
            FLookupText.pop_back();
    } else if (!IncrLookup) {
        FLookupText = std::string(1, typed);
    } else if (key >= 32 && key <= 255) {
        FLookupText += typed;
    }
    const int selected = ItemIndex();
    // From the selected item (or the first) to the end, then what lies
    // before; without a selection and IncrLookup only from the first.
    const int start = selected >= 0 || IncrLookup ? std::max(selected, 0) : Count();
    int found = FindPrefix(FLookupText, start, Count());
    if (found < 0)
        found = FindPrefix(FLookupText, 0, start);
    if (found < 0 && IncrLookup) {
        FLookupText = std::string(1, typed);
        found = FindPrefix(FLookupText, 0, Count());
    }
    if (found >= 0)
        SetItemIndex(found);
}

void THTMListBox::DoEnter() {
    TListBox::DoEnter();
    FLookupText.clear();
}

void THTMListBox::Resize() {
    TListBox::Resize();
    // The system list reports a size after many insertions; only a real
    // change of the client area is worth measuring every item again.
    const SIZE client{ClientWidth(), ClientHeight()};
    if (client.cx == FClientSize.cx && client.cy == FClientSize.cy)
        return;
    FClientSize = client;
    const bool resized = Width() != FSize.cx || Height() != FSize.cy;
    FSize = SIZE{Width(), Height()};
    if (FScrollHorizontal)
        UpdateHorizontalExtent();
    else if (resized)
        UpdateItemHeights();
    else if (FAutoItemHeight)
        // Only the list's own scroll bar came or went: the items made so far
        // are measured as a new item is, so equal texts keep equal rows.
        RemeasureItems(2, 0);
}

void THTMListBox::Loaded() {
    TListBox::Loaded();
    FBlinkTimer->SetEnabled(FEnableBlink);
    UpdateItemHeights();
}

void THTMListBox::Notification(TComponent* component, TOperation operation) {
    TListBox::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FImages)
        FImages = nullptr;
    if (component == FPictureContainer)
        FPictureContainer = nullptr;
}

void THTMListBox::SetImages(TImageList* value) {
    if (value == FImages)
        return;
    SetReference(FImages, value);
    UpdateItemHeights();
}

void THTMListBox::SetPictureContainer(TPictureContainer* value) {
    if (value == FPictureContainer)
        return;
    SetReference(FPictureContainer, value);
    UpdateItemHeights();
}

void THTMListBox::SetItemHeight(int value) {
    if (value == ItemHeight())
        return;
    TListBox::SetItemHeight(value);
    if (!FAutoItemHeight)
        UpdateItemHeights();
}

void THTMListBox::SetScrollHorizontal(bool value) {
    if (value == FScrollHorizontal)
        return;
    FScrollHorizontal = value;
    if (HandleAllocated()) {
        // The system list reads its scroll bars from the style it was made
        // with, so it is made anew, in its place and with its view.
        const HWND before = GetWindow(Handle(), GW_HWNDPREV);
        const bool focused = GetFocus() == Handle();
        const int selected = ItemIndex(), top = TopIndex();
        DestroyHandle();
        CreateHandle();
        if (HandleAllocated()) {
            SetWindowPos(Handle(), before ? before : HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            SetItemIndex(selected);
            SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
            if (focused)
                ::SetFocus(Handle());
        }
    }
    UpdateHorizontalExtent();
}

void THTMListBox::SetEnableBlink(bool value) {
    if (value == FEnableBlink)
        return;
    FEnableBlink = value;
    if (!Loading())
        FBlinkTimer->SetEnabled(value);
    if (!value) {
        FBlinkPhase = false;
        FBlinkVisible = true;
        FTimerTicks = 0;
        Invalidate();
    }
}

void THTMListBox::BlinkTick() {
    if (Count() == 0)
        return;
    if (AnimatePictures(&FPictureCache, FPictureContainer))
        Invalidate();
    if (++FTimerTicks % kTicksPerBlink != 0)
        return;
    // Blinking items show the phase, then the phase turns for the next time.
    FBlinkVisible = FBlinkPhase;
    FBlinkPhase = !FBlinkPhase;
    if (!HandleAllocated())
        return;
    const int bottom = ClientHeight();
    for (int i = TopIndex(); i < Count(); ++i) {
        const RECT r = ItemRect(i);
        if (r.top >= bottom)
            break;
        if (FoldedCase(Strings(i)).find("<blink") != std::string::npos)
            InvalidateRect(Handle(), &r, FALSE);
    }
}

void THTMListBox::SetSorted(bool value) {
    FSorted = value;
    if (!value || Count() < 2)
        return;
    struct TEntry {
        std::string Text;
        void* Object;
        std::string Key;
    };
    std::vector<TEntry> entries;
    for (int i = 0; i < Count(); ++i)
        entries.push_back(
            {Strings(i), Objects(i), FSortWithHTML ? Strings(i) : StripHtmlTags(Strings(i))});
    const auto compare = [&entries](int a, int b) {
        const std::string& x = entries[static_cast<std::size_t>(a)].Key;
        const std::string& y = entries[static_cast<std::size_t>(b)].Key;
        return CompareStringA(LOCALE_USER_DEFAULT, 0, x.data(), static_cast<int>(x.size()),
                              y.data(), static_cast<int>(y.size())) -
               CSTR_EQUAL;
    };
    // Quicksort with the middle element of each range as pivot.
    const std::function<void(int, int)> sort = [&](int left, int right) {
        int i = left;
        do {
            i = left;
            int j = right, pivot = (left + right) / 2;
            do {
                while (compare(i, pivot) < 0)
                    ++i;
                while (compare(j, pivot) > 0)
                    --j;
                if (i <= j) {
                    if (i != j)
                        std::swap(entries[static_cast<std::size_t>(i)],
                                  entries[static_cast<std::size_t>(j)]);
                    if (pivot == i)
                        pivot = j;
                    else if (pivot == j)
                        pivot = i;
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (left < j)
                sort(left, j);
            left = i;
        } while (i < right);
    };
    sort(0, Count() - 1);
    BeginUpdate();
    Clear();
    for (const TEntry& e : entries)
        AddItem(e.Text, e.Object);
    EndUpdate();
}

void THTMListBox::SetComponentStyle(TTelvarStyle style) {
    struct TSelectionLook {
        TColor Border, From, To, MirrorFrom, MirrorTo, Font;
    };
    constexpr TSelectionLook office2003{clNone, 12775167, clNone, clNone, clNone, clBlack};
    constexpr TSelectionLook office2007{clSilver, 15465983, 11267071, 6936319, 9889023, clBlack};
    constexpr TSelectionLook system{clNone, clHighlight, clNone, clNone, clNone, clHighlightText};
    TSelectionLook look{};
    switch (style) {
    case tsOffice2003Blue:
    case tsOffice2003Silver:
    case tsOffice2003Olive:
    case tsOffice2003Classic:
        look = office2003;
        break;
    case tsOffice2007Luna:
    case tsOffice2007Obsidian:
    case tsOffice2007Silver:
        look = office2007;
        break;
    case tsWindowsXP:
    case tsWhidbey:
        look = system;
        break;
    case tsCustom:
        return;
    }
    TGradientStyle& c = FSelectionColors;
    c.SetBorderColor(look.Border);
    c.SetColorFrom(look.From);
    c.SetColorTo(look.To);
    c.SetColorMirrorFrom(look.MirrorFrom);
    c.SetColorMirrorTo(look.MirrorTo);
    SetSelectionFontColor(look.Font);
}
