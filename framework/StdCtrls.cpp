#include "framework/StdCtrls.h"

#include "framework/Text.h"
#include "framework/Errors.h"
#include "framework/Forms.h"

#include <utility>

char AcceleratorOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return caption[i + 1];
        ++i;
    }
    return 0;
}

std::string WithoutAccelChar(const std::string& caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        // The character an ampersand marks, or the second of "&&".
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return shown;
}

// ---- TButtonControl

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
}

void TButtonControl::Click() {
    TWinControl::Click();
    if (ModalResult != mrNone)
        if (TCustomForm* form = Form())
            form->SetModalResult(ModalResult);
}

bool TButtonControl::DialogChar(char ch) {
    const char accel = AcceleratorOf(Caption());
    if (!accel || !SameTextChar(accel, ch))
        return false;
    SetFocus();
    Click();
    return true;
}

bool TButtonControl::HandleCommand(WORD code) {
    if (code != BN_CLICKED)
        return false;
    Click();
    return true;
}

HBRUSH TButtonControl::HandleCtlColor(HDC dc) {
    // Check boxes and radio buttons show the parent's surface.
    SetBkMode(dc, TRANSPARENT);
    return TWinControl::HandleCtlColor(dc);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {}

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = "BUTTON";
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | (TabStop() ? WS_TABSTOP : 0) |
                   (Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {}

void TCheckBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = "BUTTON";
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_AUTOCHECKBOX;
}

bool TCheckBox::Checked() const {
    // The user may have changed it in the window.
    return HandleAllocated() ? SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED : FChecked;
}

void TCheckBox::SetChecked(bool checked) {
    FChecked = checked;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::HandleCreated() {
    SetChecked(FChecked);
}

void TRadioButton::CreateParams(TCreateParams& params) {
    TCheckBox::CreateParams(params);
    params.Style = (params.Style & ~static_cast<DWORD>(BS_AUTOCHECKBOX)) | BS_AUTORADIOBUTTON;
}

// ---- TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = "EDIT";
    params.Style =
        WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL | (FReadOnly ? ES_READONLY : 0);
    params.ExStyle = WS_EX_CLIENTEDGE;
}

std::string TEdit::Text() const {
    if (!HandleAllocated())
        return Caption();
    const int length = GetWindowTextLengthA(Handle());
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(Handle(), text.data(), length + 1)));
    return text;
}

void TEdit::SetText(const std::string& text) {
    SetCaption(text);
    if (HandleAllocated() && Text() != text)
        SetWindowTextA(Handle(), text.c_str());
}

void TEdit::SetReadOnly(bool readOnly) {
    FReadOnly = readOnly;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETREADONLY, readOnly, 0);
}

bool TEdit::HandleCommand(WORD code) {
    if (code != EN_CHANGE)
        return false;
    if (OnChange)
        OnChange(this);
    return true;
}

// ---- TListBox

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
}

void TListBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = "LISTBOX";
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                   LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    params.ExStyle = WS_EX_CLIENTEDGE;
}

void TListBox::CheckIndex(int index) const {
    CheckListIndex(index, Count());
}

const std::string& TListBox::Strings(int index) const {
    CheckIndex(index);
    return FItems[static_cast<std::size_t>(index)]->Text;
}

void* TListBox::Objects(int index) const {
    CheckIndex(index);
    return FItems[static_cast<std::size_t>(index)]->Object;
}

int TListBox::AddItem(const std::string& text, void* object) {
    InsertItem(Count(), text, object);
    return Count() - 1;
}

void TListBox::InsertItem(int index, const std::string& text, void* object) {
    if (index < 0 || index > Count())
        throw EListError("List index out of bounds");
    FItems.insert(FItems.begin() + index, std::make_unique<TItem>(TItem{text, object, -1}));
    InsertIntoWindow(index);
}

void TListBox::InsertIntoWindow(int index) {
    // Without a window yet, the items go in when it is made.
    if (!HandleAllocated())
        return;
    // The system list asks for the height (WM_MEASUREITEM) while inserting.
    // It keeps the text, which screen readers read, and the object as item data.
    const TItem& item = *FItems[static_cast<std::size_t>(index)];
    Perform(LB_INSERTSTRING, static_cast<WPARAM>(index),
            reinterpret_cast<LPARAM>(item.Text.c_str()));
    Perform(LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.Object));
}

void TListBox::HandleCreated() {
    for (int i = 0; i < Count(); ++i)
        InsertIntoWindow(i);
}

void TListBox::SetString(int index, const std::string& text) {
    CheckIndex(index);
    FItems[static_cast<std::size_t>(index)]->Text = text;
    if (!HandleAllocated())
        return;
    if (DeferWindowTexts()) {
        // Taking the item out and in again would move every item after it.
        FItems[static_cast<std::size_t>(index)]->PendingHeight = MeasureItem(index);
        FWindowTextsStale = true;
        return;
    }
    // The system list cannot replace a text: the item goes out and in again.
    const int selected = ItemIndex(), top = TopIndex();
    SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
    Perform(LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    InsertIntoWindow(index);
    SetItemIndex(selected);
    SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
}

void TListBox::RefreshWindowTexts() {
    if (!std::exchange(FWindowTextsStale, false))
        return;
    if (!HandleAllocated()) {
        // A window made later measures every item itself.
        for (const auto& item : FItems)
            item->PendingHeight = -1;
        return;
    }
    // Filled anew from the end, which moves no item: one pass over the list.
    const int selected = ItemIndex(), top = TopIndex();
    FKeptHeights.resize(FItems.size());
    for (int i = 0; i < Count(); ++i) {
        const int pending = std::exchange(FItems[static_cast<std::size_t>(i)]->PendingHeight, -1);
        FKeptHeights[static_cast<std::size_t>(i)] = pending >= 0 ? pending : ItemHeights(i);
    }
    // However the refill ends, later insertions are measured again.
    struct TForgetHeights {
        std::vector<int>& Heights;
        ~TForgetHeights() { Heights.clear(); }
    } forget{FKeptHeights};
    Perform(LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < Count(); ++i)
        InsertIntoWindow(i);
    SetItemIndex(selected);
    SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
}

void TListBox::Delete(int index) {
    CheckIndex(index);
    // The items go first, so that a derived list that reacts to the message
    // already sees the new count.
    FItems.erase(FItems.begin() + index);
    // A window made later gets only the items that are left.
    if (HandleAllocated())
        Perform(LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TListBox::Clear() {
    FItems.clear();
    if (HandleAllocated())
        Perform(LB_RESETCONTENT, 0, 0);
}

int TListBox::ItemIndex() const {
    return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
    SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TListBox::TopIndex() const {
    return static_cast<int>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0));
}

RECT TListBox::ItemRect(int index) const {
    RECT r = MakeRect(0, 0, 0, 0);
    SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&r));
    return r;
}

void TListBox::ChangeScale(int m, int d) {
    TWinControl::ChangeScale(m, d);
    SetItemHeight(MulDiv(ItemHeight(), m, d));
}

int TListBox::ItemHeights(int index) const {
    return static_cast<int>(
        SendMessageA(Handle(), LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0));
}

void TListBox::SetItemHeights(int index, int height) {
    // A height set now replaces one that waits for RefreshWindowTexts.
    if (index >= 0 && index < Count())
        FItems[static_cast<std::size_t>(index)]->PendingHeight = -1;
    SendMessageA(Handle(), LB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(height, 0));
}

int TListBox::ItemAtPos(int x, int y) const {
    const LRESULT r = SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    const int index = LOWORD(r);
    return HIWORD(r) == 0 && index < Count() ? index : -1;
}

bool TListBox::HandleMeasureItem(MEASUREITEMSTRUCT* item) {
    const int index = static_cast<int>(item->itemID);
    if (index >= 0 && static_cast<std::size_t>(index) < FKeptHeights.size())
        item->itemHeight = static_cast<UINT>(FKeptHeights[static_cast<std::size_t>(index)]);
    else
        item->itemHeight =
            static_cast<UINT>(index >= 0 && index < Count() ? MeasureItem(index) : ItemHeight());
    return true;
}

int TListBox::MeasureItem(int) {
    return ItemHeight();
}

bool TListBox::HandleDrawItem(DRAWITEMSTRUCT* item) {
    const int index = static_cast<int>(item->itemID);
    TCanvas canvas(item->hDC);
    canvas.Font = Font;
    if (index < 0 || index >= Count()) {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(item->rcItem);
        return true;
    }
    DrawItem(canvas, index, item->rcItem, (item->itemState & ODS_SELECTED) != 0,
             (item->itemState & ODS_FOCUS) != 0);
    return true;
}

void TListBox::DrawItem(TCanvas& canvas, int index, const RECT& rect, bool selected, bool focused) {
    canvas.Brush.SetColor(selected ? clHighlight : Color());
    canvas.Font.SetColor(selected ? clHighlightText : Font.Color());
    canvas.FillRect(rect);
    RECT text = rect;
    text.left += 2;
    canvas.DrawText(Strings(index), text,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (focused)
        canvas.DrawFocusRect(rect);
}

bool TListBox::HandleCommand(WORD code) {
    if (code != LBN_SELCHANGE)
        return false;
    Click();
    return true;
}

// ---- TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {}

void TProgressBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = PROGRESS_CLASSA;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | (FMarquee ? PBS_MARQUEE : 0);
}

void TProgressBar::SetRange(int min, int max) {
    FMin = min;
    FMax = max;
    SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min), max);
    SetPosition(FPosition);
}

void TProgressBar::SetPosition(int position) {
    FPosition = position;
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TProgressBar::HandleCreated() {
    SetRange(FMin, FMax);
    if (FMarquee)
        SetMarquee(true);
}

void TProgressBar::SetMarquee(bool marquee) {
    FMarquee = marquee;
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    SetWindowLongA(Handle(), GWL_STYLE, marquee ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    SendMessageA(Handle(), PBM_SETMARQUEE, marquee, 50);
}

// ---- TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {}

UINT TLabel::DrawFlags() const {
    return DT_SINGLELINE | DT_LEFT | DT_TOP | (ShowAccelChar ? 0 : DT_NOPREFIX);
}

SIZE TLabel::TextSize() {
    TBitmap measure(1, 1);
    measure.Canvas().Font = Font;
    RECT r = MakeRect(0, 0, 0, 0);
    measure.Canvas().DrawText(Caption().empty() ? " " : Caption(), r, DrawFlags() | DT_CALCRECT);
    SIZE size{r.right - r.left, r.bottom - r.top};
    return size;
}

void TLabel::AdjustSize() {
    if (!AutoSize)
        return;
    const SIZE size = TextSize();
    SetBounds(Left(), Top(), size.cx, size.cy);
}

void TLabel::ChangeScale(int m, int d) {
    TGraphicControl::ChangeScale(m, d);
    AdjustSize();
}

void TLabel::TextChanged() {
    AdjustSize();
}

void TLabel::FontChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (Transparent)
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
    else {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(r);
    }
    canvas.Font = Font;
    // The accelerator is underlined only while the form shows such cues.
    const bool hidden = ShowAccelChar && !ShowsAccelCues();
    const std::string text = hidden ? WithoutAccelChar(Caption()) : Caption();
    const UINT flags = DrawFlags() | (hidden ? DT_NOPREFIX : 0);
    if (EnabledChain()) {
        canvas.DrawText(text, r, flags);
        return;
    }
    // Disabled: embossed, a highlight one pixel down and right under the shadow.
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    RECT lit = r;
    OffsetRect(&lit, 1, 1);
    canvas.Font.SetColor(clBtnHighlight);
    canvas.DrawText(text, lit, flags);
    canvas.Font.SetColor(clBtnShadow);
    canvas.DrawText(text, r, flags);
}

void TLabel::SetFocusControl(TWinControl* control) {
    SetReference(FFocusControl, control);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

bool TLabel::DialogChar(char ch) {
    const char accel = ShowAccelChar ? AcceleratorOf(Caption()) : 0;
    if (!accel || !SameTextChar(accel, ch) || !FFocusControl || !FFocusControl->CanFocus())
        return false;
    FFocusControl->SetFocus();
    return true;
}

// ---- TCustomPanel

void DrawBevel(TCanvas& canvas, RECT& r, TBevelCut cut, int width) {
    if (cut == TBevelCut::bvNone)
        return;
    const bool raised = cut == TBevelCut::bvRaised;
    const TColor topLeft = raised ? clBtnHighlight : clBtnShadow;
    const TColor bottomRight = raised ? clBtnShadow : clBtnHighlight;
    for (int i = 0; i < width && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
        canvas.Pen.SetColor(topLeft);
        canvas.MoveTo(r.left, r.bottom - 1);
        canvas.LineTo(r.left, r.top);
        canvas.LineTo(r.right - 1, r.top);
        canvas.Pen.SetColor(bottomRight);
        canvas.LineTo(r.right - 1, r.bottom - 1);
        canvas.LineTo(r.left - 1, r.bottom - 1);
        InflateRect(&r, -1, -1);
    }
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    if (!HandleAllocated())
        return;
    const LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
    SetWindowLongPtrA(Handle(), GWL_STYLE,
                      value == TBorderStyle::bsSingle ? style | WS_BORDER : style & ~WS_BORDER);
    RefreshFrame();
}

void TCustomPanel::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    if (FBorderStyle == TBorderStyle::bsSingle)
        params.Style |= WS_BORDER;
}

void TCustomPanel::PaintWindow(TCanvas& canvas) {
    RECT r = ClientRect();
    canvas.Brush.SetColor(Color());
    canvas.FillRect(r);
    DrawBevel(canvas, r, FBevelOuter, FBevelWidth);
    InflateRect(&r, -FBorderWidth, -FBorderWidth);
    DrawBevel(canvas, r, FBevelInner, FBevelWidth);
    if (ShowCaption && !Caption().empty()) {
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.Font = Font;
        canvas.DrawText(Caption(), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    }
    PaintControls(canvas);
}
