#include "controls/taskdialog/TaskDialog.h"

#include "controls/html/HTMListB.h"
#include "framework/CaseFold.h"
#include "framework/Errors.h"

#include <algorithm>
#include <stdexcept>

namespace {

TDialogFace gFaceOverride = TDialogFace::dfRule;
TLinkOpener gLinkOpener;

constexpr TColor kInstructionColor = RGB(0, 83, 196);
constexpr TColor kLinkBorderColor = RGB(108, 225, 255);
constexpr TColor kBandColor = RGB(240, 240, 240);
constexpr TColor kLineColor = RGB(223, 223, 223);
const char kHyphenLine[] = "---------------------------\r\n";

struct TCommonButtonInfo {
    TCommonButton Button;
    const char* Name;
    const char* Caption;
    int ModalResult;
};
constexpr TCommonButtonInfo kCommonButtons[] = {
    {cbOK, "OK", "OK", 1},
    {cbYes, "Yes", "&Ja", 6},
    {cbNo, "No", "&Nein", 7},
    {cbCancel, "Cancel", "Abbrechen", 2},
    {cbRetry, "Retry", "&Wiederholen", 4},
    {cbClose, "Abort", "&Abbrechen", 3},
};

int MainIconId(TTaskDialogIcon icon) {
    constexpr int ids[] = {32516, 32515, 32514, 32513, 32516, 0, 32513};
    return ids[icon];
}

int FooterIconId(TTaskDialogFooterIcon icon) {
    constexpr int ids[] = {0, 32515, 32514, 32513, 32516, 32517};
    return ids[icon];
}
constexpr int kShieldFooterId = 32517;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Backslash-n pairs become carriage returns, for the system's text drawing.
std::string PlainText(const std::string& text) {
    return ReplaceAll(text, "\\n", "\r");
}

// Backslash-n pairs and line feeds become line breaks of the markup.
std::string MarkupText(const std::string& text) {
    return ReplaceAll(ReplaceAll(text, "\\n", "<br>"), "\n", "<br>");
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A command link caption in lines: split at backslash-n and at carriage
// returns, dropping the character after either, blanks trimmed.
std::vector<std::string> CaptionLines(const std::string& caption) {
    const std::string text = Trim(caption);
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n';
        if (pair || text[i] == '\r') {
            lines.push_back(Trim(line));
            line.clear();
            ++i;
        } else
            line += text[i];
    }
    lines.push_back(Trim(line));
    return lines;
}

bool HasLineSeparator(const std::string& caption) {
    return caption.find("\\n") != std::string::npos || caption.find('\r') != std::string::npos;
}

// A bitmap resource of the executable copied into `into`; false when missing.
bool LoadResourceBitmap(TBitmap& into, const char* name) {
    TGdiObject<HBITMAP> loaded(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!loaded)
        return false;
    BITMAP info{};
    GetObjectA(loaded.Get(), sizeof(info), &info);
    into.SetSize(info.bmWidth, info.bmHeight);
    HDC dc = CreateCompatibleDC(into.Canvas().Handle());
    {
        TSelectScope select(dc, loaded.Get());
        BitBlt(into.Canvas().Handle(), 0, 0, info.bmWidth, info.bmHeight, dc, 0, 0, SRCCOPY);
    }
    DeleteDC(dc);
    return true;
}

// Draws a picture whose fuchsia pixels are transparent.
void DrawTransparent(TCanvas& canvas, const TBitmap& picture, int x, int y) {
    GdiTransparentBlt(canvas.Handle(), x, y, picture.Width(), picture.Height(),
                      const_cast<TBitmap&>(picture).Canvas().Handle(), 0, 0, picture.Width(),
                      picture.Height(), RGB(255, 0, 255));
}

// The instruction: a label whose caption wraps and shows "&" as it is.
class TInstructionLabel : public TLabel {
  public:
    using TLabel::TLabel;
    void Paint(TCanvas& canvas) override {
        RECT r = ClientRect();
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.Font = Font;
        canvas.DrawText(Caption(), r, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    }
};

// A radio button or check box whose access key acts as a click: the system
// selects or toggles it first, so the click event reads the new state.
template <class B> class TClickOnAccel : public B {
  public:
    using B::B;
    bool DialogChar(char ch) override {
        const char accel = AcceleratorOf(this->Caption());
        if (!accel || !SameTextChar(accel, ch))
            return false;
        this->SetFocus();
        SendMessageA(this->Handle(), BM_CLICK, 0, 0);
        return true;
    }
};

// Plain text blocks wrap at blanks and break a word that is wider than the
// line; measuring and drawing share these so the measure holds every line.
constexpr UINT kPlainBlockFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX;

// The dialog's markup takes the renderer's default options; measuring and
// hit-testing lay it out without drawing.
THtmlRenderOptions MeasureOptions() {
    THtmlRenderOptions options;
    options.AnchorTestOnly = true;
    options.Selected = true;
    return options;
}

} // namespace

// ---- Free functions

void SetDialogFaceOverride(TDialogFace face) {
    gFaceOverride = face;
}

bool EmulationRequired(DWORD systemMajor, std::optional<DWORD> comctlMajor,
                       TNonNativeDialog nonNative) {
    return systemMajor < 6 || (comctlMajor && *comctlMajor <= 5) || nonNative == nndAlways;
}

void SetLinkOpener(TLinkOpener opener) {
    gLinkOpener = std::move(opener);
}

void OpenDialogLink(const std::string& href) {
    if (!IsShellLink(href))
        return;
    if (gLinkOpener)
        gLinkOpener(href);
    else
        OpenShellLink(href);
}

// ---- TIconImage

void TIconImage::Reset() {
    if (FHandle)
        DestroyIcon(FHandle);
    FHandle = nullptr;
}

void TIconImage::Assign(HICON icon) {
    if (icon == FHandle)
        return;
    Reset();
    if (icon)
        FHandle = CopyIcon(icon);
}

// ---- TAdvTaskDialog

TAdvTaskDialog::TAdvTaskDialog(TComponent* owner) : TComponent(owner) {}

TAdvTaskDialog::~TAdvTaskDialog() = default;

void TAdvTaskDialog::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FDialogForm)
        FDialogForm = nullptr;
}

int TAdvTaskDialog::Execute() {
    bool emulated = NonNativeDialog == nndAlways;
    if (gFaceOverride == TDialogFace::dfEmulated)
        emulated = true;
    else if (gFaceOverride == TDialogFace::dfRule)
        emulated = EmulationRequired(LOBYTE(LOWORD(GetVersion())), CommonControlsMajorVersion(),
                                     NonNativeDialog);
    return emulated ? ExecuteEmulated() : ExecuteNative();
}

HWND TAdvTaskDialog::OwnerWindow() const {
    if (auto* ownerControl = dynamic_cast<TWinControl*>(Owner());
        ownerControl && !ApplicationIsParent)
        return ownerControl->Handle();
    if (Application && Application->MainForm())
        return Application->MainForm()->Handle();
    return nullptr;
}

int TAdvTaskDialog::ExecuteEmulated() {
    auto form = std::make_unique<TAdvMessageForm>(nullptr, *this);
    struct TClear {
        TAdvTaskDialog& Dialog;
        ~TClear() { Dialog.FDialogForm = nullptr; }
    } clear{*this};
    FDialogForm = form.get();
    form->BuildDialog();
    if (OnDialogCreated)
        OnDialogCreated(this);
    form->SetColor(clWhite);
    auto* ownerForm = dynamic_cast<TCustomForm*>(Owner());
    if (DialogPosition == dpOwnerFormCenter && ownerForm) {
        const RECT o = ownerForm->BoundsRect();
        form->SetBounds(o.left + (o.right - o.left - form->Width()) / 2,
                        o.top + (o.bottom - o.top - form->Height()) / 2, form->Width(),
                        form->Height());
    }
    return form->ShowModal();
}

void TAdvTaskDialog::HyperlinkClicked(const std::string& href) {
    if (OnDialogHyperlinkClick)
        OnDialogHyperlinkClick(this, href);
    else
        OpenDialogLink(href);
}

TWinControl* TAdvTaskDialog::CreateButton(TComponent* owner) {
    return new TButton(owner);
}

void TAdvTaskDialog::SetButtonText(TWinControl* button, const std::string& text) {
    TButtonOperations<TButton>::SetText(button, text);
}

void TAdvTaskDialog::SetButtonCancel(TWinControl* button, bool value) {
    TButtonOperations<TButton>::SetCancel(button, value);
}

void TAdvTaskDialog::SetButtonDefault(TWinControl* button, bool value) {
    TButtonOperations<TButton>::SetDefault(button, value);
}

void TAdvTaskDialog::SetButtonModalResult(TWinControl* button, int value) {
    TButtonOperations<TButton>::SetModalResult(button, value);
}

int TAdvTaskDialog::GetButtonModalResult(TWinControl* button) {
    return TButtonOperations<TButton>::ModalResult(button);
}

// ---- TDialogImage

void TDialogImage::Paint(TCanvas& canvas) {
    if (Picture.Handle())
        BitBlt(canvas.Handle(), 0, 0, Picture.Width(), Picture.Height(), Picture.Canvas().Handle(),
               0, 0, SRCCOPY);
}

// ---- TTaskDialogButton

TTaskDialogButton::TTaskDialogButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 22, 23);
}

void TTaskDialogButton::LoadPictures(const char* normal, const char* hot, const char* down) {
    LoadResourceBitmap(FPicture, normal);
    LoadResourceBitmap(FPictureHot, hot);
    LoadResourceBitmap(FPictureDown, down);
    Invalidate();
}

void TTaskDialogButton::Click() {
    if (TCustomForm* form = Form())
        form->SetModalResult(ModalResult);
    TCustomControl::Click();
}

bool TTaskDialogButton::DialogChar(char ch) {
    const char accel = AcceleratorOf(AccelCaption.empty() ? Caption() : AccelCaption);
    if (!accel || !SameTextChar(accel, ch))
        return false;
    Click();
    return true;
}

const TBitmap* TTaskDialogButton::CurrentPicture() {
    if (FDown && FPictureDown.Handle())
        return &FPictureDown;
    if (FHot && FPictureHot.Handle())
        return &FPictureHot;
    return FPicture.Handle() ? &FPicture : nullptr;
}

void TTaskDialogButton::PaintWindow(TCanvas& canvas) {
    const RECT client = ClientRect();
    canvas.Brush.SetColor(Parent() ? Parent()->Color() : Color());
    canvas.FillRect(client);

    TColor border = clNone;
    if (EnabledChain()) {
        if (FDown)
            border = BorderColorDown;
        else if (FHot)
            border = BorderColorHot;
    }
    if (Focused())
        border = BorderColorDown;

    int textLeft = 2;
    if (const TBitmap* picture = CurrentPicture()) {
        const int x = Caption().empty() ? (Width() - picture->Width()) / 2 : 4;
        DrawTransparent(canvas, *picture, x, (Height() - picture->Height()) / 2);
        textLeft = x + picture->Width() + 3;
    }
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    if (!Caption().empty()) {
        if (!HasLineSeparator(Caption())) {
            canvas.Font = HeadingFont;
            RECT r = MakeRect(textLeft, 0, client.right, client.bottom);
            canvas.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        } else {
            const std::vector<std::string> lines = CaptionLines(Caption());
            // Centred by the height the caption was measured with.
            int blockHeight = 0;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                canvas.Font = i == 0 ? HeadingFont : Font;
                blockHeight += canvas.TextHeight(lines[i]) + (i == 0 ? 10 : 2);
            }
            int y = (Height() - blockHeight) / 2 + 2;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                canvas.Font = i == 0 ? HeadingFont : Font;
                RECT line = MakeRect(textLeft, y, client.right, client.bottom);
                canvas.DrawText(lines[i], line, DT_SINGLELINE | DT_LEFT | DT_TOP);
                y += canvas.TextHeight("gh") + (i == 0 ? 4 : 2);
            }
        }
    }
    if (border != clNone) {
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.Pen.SetColor(border);
        canvas.RoundRect(0, 0, client.right, client.bottom, 2, 2);
    }
}

void TTaskDialogButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    FDown = true;
    Invalidate();
}

void TTaskDialogButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !FDown)
        return;
    FDown = false;
    Invalidate();
    if (PointInRect(ClientRect(), x, y))
        Click();
}

void TTaskDialogButton::CaptureLost() {
    TCustomControl::CaptureLost();
    FDown = false;
    Invalidate();
}

void TTaskDialogButton::MouseEnter() {
    TCustomControl::MouseEnter();
    FHot = true;
    if (FocusOnHover && CanFocus())
        SetFocus();
    Invalidate();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TTaskDialogButton::MouseLeave() {
    TCustomControl::MouseLeave();
    FHot = false;
    Invalidate();
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TTaskDialogButton::KeyDown(WORD& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == VK_SPACE || key == VK_RETURN) {
        key = 0;
        Click();
    }
}

void TTaskDialogButton::DoEnter() {
    TCustomControl::DoEnter();
    Invalidate();
}

void TTaskDialogButton::DoExit() {
    TCustomControl::DoExit();
    Invalidate();
}

LRESULT TTaskDialogButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Enter presses this button, not the form's default one.
    if (msg == WM_GETDLGCODE)
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    return TCustomControl::WindowProc(msg, wParam, lParam);
}

// ---- TAdvMessageForm

int TAdvMessageForm::CommonButtonWidths[6] = {};

TAdvMessageForm::TAdvMessageForm(TComponent* owner, TAdvTaskDialog& dialog)
    : TForm(owner), FDialog(dialog) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        const LOGFONTA& lf = metrics.lfMessageFont;
        Font.SetName(lf.lfFaceName);
        Font.SetHeight(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight);
        Font.SetCharset(lf.lfCharSet);
    }
    SetBorderStyle(FDialog.Options.Contains(doAllowMinimize) ? TFormBorderStyle::bsSingle
                                                             : TFormBorderStyle::bsDialog);
    KeyPreview = true;
    // The least width is in pixels at 96 pixels per inch; it grows with the
    // screen as the text does, so that text wraps at the same words.
    FMinWidth = MulDiv(FDialog.NonNativeMinFormWidth, ScreenPixelsPerInch(), 96);
}

TAdvMessageForm::~TAdvMessageForm() {
    // The controls' handlers refer to this form's members.
    DestroyComponents();
}

void TAdvMessageForm::CreateParams(TCreateParams& params) {
    TForm::CreateParams(params);
    // Owned, so it stays above the window it reports to and has no taskbar
    // button of its own.
    params.WndParent = FDialog.OwnerWindow();
    if (!FDialog.Options.Contains(doAllowMinimize))
        params.Style &= ~static_cast<DWORD>(WS_SYSMENU);
}

void TAdvMessageForm::ComputeUnits() {
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    const SIZE size = canvas.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int cx = size.cx / 52, cy = size.cy;
    FHorzMargin = MulDiv(8, cx, 4);
    FVertMargin = MulDiv(8, cy, 8);
    FHorzSpacing = MulDiv(10, cx, 4);
    FVertSpacing = MulDiv(10, cy, 8);
    FButtonHeight = MulDiv(14, cy, 8);
    FButtonSpacing = MulDiv(4, cx, 4);
}

SIZE TAdvMessageForm::MeasureText(const std::string& text, int width, UINT format) {
    if (text.empty())
        return SIZE{0, 0};
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    RECT r = MakeRect(0, 0, width, 100);
    canvas.DrawText(text, r, DT_CALCRECT | format);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE TAdvMessageForm::MeasureTextBlock(const std::string& text, int width) {
    return MeasureText(PlainText(text), width, kPlainBlockFormat);
}

SIZE TAdvMessageForm::MeasureMarkup(const std::string& text, const RECT& rect) {
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    THtmlRenderResult result;
    RenderHtmlText(canvas, MarkupText(text), rect, MeasureOptions(), result);
    return SIZE{result.ExtentX, result.ExtentY};
}

SIZE TAdvMessageForm::MeasureCommandLink(const std::string& caption, const TFont& heading,
                                         const TFont& text) {
    TCanvas& canvas = MeasureCanvas();
    SIZE total{0, 0};
    const std::vector<std::string> lines = CaptionLines(caption);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        canvas.Font = i == 0 ? heading : text;
        const SIZE s = canvas.TextExtent(lines[i]);
        total.cx = std::max<LONG>(total.cx, s.cx + 8);
        total.cy += s.cy + (i == 0 ? 10 : 2);
    }
    canvas.Font = Font;
    return total;
}

SIZE TAdvMessageForm::MeasureInstruction() {
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    canvas.Font.SetSize(11);
    canvas.Font.SetStyle(fsBold);
    RECT r = MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0);
    if (!FDialog.Instruction().empty())
        canvas.DrawText(FDialog.Instruction(), r,
                        DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    else
        r = MakeRect(0, 0, 0, 0);
    canvas.Font = Font;
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool TAdvMessageForm::HasIcon() const {
    return FIconImage != nullptr;
}

int TAdvMessageForm::ContentLeft() const {
    return HasIcon() ? FIconImage->Left() + FIconImage->Width() + FHorzSpacing : FHorzMargin;
}

void TAdvMessageForm::BuildDialog() {
    ComputeUnits();
    const TTaskDialogOptions& options = FDialog.Options;
    const TCommonButtons& common = FDialog.CommonButtons;
    const int defaultButton = FDialog.DefaultButton;
    int y = FVertMargin;

    SetCaption(FDialog.Title());

    // Default and cancel candidates among the common buttons.
    auto firstOf = [&common](std::initializer_list<TCommonButton> order, TCommonButton fallback) {
        for (TCommonButton b : order)
            if (common.Contains(b))
                return b;
        return fallback;
    };
    std::optional<TCommonButton> defaultCommon;
    if (defaultButton == 0)
        defaultCommon = firstOf({cbOK, cbYes}, cbRetry);
    else if (defaultButton == 1)
        defaultCommon = firstOf({cbOK}, cbYes);
    else if (defaultButton == 2)
        defaultCommon = firstOf({cbCancel}, cbNo);
    else if (defaultButton != -1)
        defaultCommon = cbOK;
    const TCommonButton cancelCommon = defaultButton == 0 ? firstOf({cbCancel, cbNo}, cbOK) : cbOK;

    TWinControl* defaultControl = nullptr;
    auto makeCommon = [&](const TCommonButtonInfo& info, int extra, bool alwaysDefault) {
        int& stored = CommonButtonWidths[info.Button];
        if (stored == 0) {
            TCanvas& canvas = MeasureCanvas();
            canvas.Font = Font;
            stored = canvas.TextWidth(info.Caption) + extra;
        }
        TWinControl* button = FDialog.CreateButton(this);
        FCommonButtonList.push_back(button);
        button->Name = info.Name;
        button->SetParent(this);
        FDialog.SetButtonText(button, info.Caption);
        FDialog.SetButtonModalResult(button, info.ModalResult);
        const bool allowCancel = options.Contains(doAllowDialogCancel);
        if (allowCancel && info.ModalResult == 2)
            FDialog.SetButtonCancel(button, true);
        if (alwaysDefault || (defaultCommon && *defaultCommon == info.Button)) {
            FDialog.SetButtonDefault(button, true);
            defaultControl = button;
        }
        if (allowCancel && cancelCommon == info.Button)
            FDialog.SetButtonCancel(button, true);
        button->SetBounds(0, 0, std::max(60, stored), FButtonHeight);
        if (defaultButton == -1 && !alwaysDefault)
            button->SetTabStop(false);
    };
    for (const TCommonButtonInfo& info : kCommonButtons)
        if (common.Contains(info.Button))
            makeCommon(info, 16, false);

    const std::vector<std::string>& customs = FDialog.CustomButtons();
    FCommandLinkWidth = 0;
    if (!options.Contains(doCommandLinks)) {
        for (std::size_t i = 0; i < customs.size(); ++i) {
            TCanvas& canvas = MeasureCanvas();
            canvas.Font = Font;
            const int w = canvas.TextWidth(customs[i]) + 16;
            TWinControl* button = FDialog.CreateButton(this);
            FCustomButtonList.push_back(button);
            button->Name = "Button" + std::to_string(i);
            button->SetParent(this);
            FDialog.SetButtonText(button, customs[i]);
            const int result = 100 + static_cast<int>(i);
            FDialog.SetButtonModalResult(button, result);
            FDialog.SetButtonDefault(button, result == defaultButton);
            button->SetBounds(0, 0, std::max(60, w), FButtonHeight);
            button->OnClick = [this](TComponent* sender) { ButtonClick(sender); };
            if (defaultButton == -1)
                button->SetTabStop(false);
        }
    } else {
        TFont heading = Font;
        heading.SetSize(11);
        heading.SetStyle(fsBold);
        heading.SetColor(kInstructionColor);
        TFont text = Font;
        text.SetColor(kInstructionColor);
        const bool noIcon = options.Contains(doCommandLinksNoIcon);
        for (std::size_t i = 0; i < customs.size(); ++i) {
            const SIZE measured = MeasureCommandLink(customs[i], heading, text);
            FCommandLinkWidth = std::max<int>(FCommandLinkWidth, measured.cx + 26);
            auto* link = new TTaskDialogButton(this);
            FCustomButtonList.push_back(link);
            link->Name = "Button" + std::to_string(i);
            link->SetParent(this);
            link->SetCaption(customs[i]);
            link->Font = text;
            link->HeadingFont = heading;
            link->ModalResult = 100 + static_cast<int>(i);
            link->BorderColorHot = link->BorderColorDown = kLinkBorderColor;
            link->FocusOnHover = defaultButton != -1;
            TCanvas& canvas = link->MeasureCanvas();
            canvas.Font = text;
            const int height = std::max(
                {static_cast<int>(measured.cy), FButtonHeight, canvas.TextHeight("gh") + 20});
            link->SetBounds(0, 0, std::max(60, FCommandLinkWidth), height);
            if (!noIcon)
                link->LoadPictures("TD_ARW", "TD_ARWHOT", "TD_ARWDOWN");
            link->SetTabStop(defaultButton != -1);
            link->OnClick = [this](TComponent* sender) { ButtonClick(sender); };
        }
    }

    if (FCommonButtonList.empty() && FCustomButtonList.empty())
        makeCommon(kCommonButtons[0], 8, true);

    // Icon and instruction.
    if (!FDialog.CustomIcon().Empty())
        FIconId = -1;
    else
        FIconId = MainIconId(FDialog.Icon);
    if (FIconId != 0) {
        FIconImage = new TDialogImage(this);
        FIconImage->Name = "Image";
        FIconImage->SetParent(this);
        FIconImage->SetBounds(FHorzMargin, y, 32, 32);
        TBitmap& picture = FIconImage->Picture;
        picture.SetSize(32, 32);
        picture.Canvas().Brush.SetColor(clWhite);
        picture.Canvas().FillRect(MakeRect(0, 0, 32, 32));
        HICON icon = nullptr;
        if (!FDialog.CustomIcon().Empty())
            icon = FDialog.CustomIcon().Handle();
        else if (FDialog.Icon == tiShield)
            LoadResourceBitmap(picture, "TD_SHIELD");
        else if (FDialog.Icon != tiBlank)
            icon = LoadIconA(nullptr, MAKEINTRESOURCEA(FIconId));
        if (icon)
            DrawIconEx(picture.Canvas().Handle(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    }

    FInstructionLabel = new TInstructionLabel(this);
    FInstructionLabel->Name = "Instr";
    FInstructionLabel->AutoSize = false;
    FInstructionLabel->ShowAccelChar = false;
    FInstructionLabel->SetParent(this);
    FInstructionLabel->Font = Font;
    FInstructionLabel->Font.SetSize(11);
    FInstructionLabel->Font.SetStyle(fsBold);
    FInstructionLabel->Font.SetColor(kInstructionColor);
    FInstructionLabel->SetCaption(FDialog.Instruction());
    PlaceInstruction(y);
    y += FInstructionLabel->Height() + FVertSpacing;

    if (options.Contains(doTimer) || options.Contains(doProgressBar)) {
        FTimer = new TTimer(this);
        FTimer->SetInterval(100);
        FTimer->SetOnTimer([this](TComponent*) { TimerTick(); });
    }
    if (options.Contains(doProgressBar)) {
        FProgressBar = new TProgressBar(this);
        FProgressBar->Name = "ProgressBar";
        FProgressBar->SetParent(this);
        FProgressBar->SetBounds(FHorzMargin, y, 0, 12);
        FProgressBar->SetRange(FDialog.ProgressBarMin, FDialog.ProgressBarMax);
        FProgressBar->SetPosition(0);
    }

    const std::vector<std::string>& radios = FDialog.RadioButtons();
    if (!radios.empty()) {
        const bool noDefault = options.Contains(doNoDefaultRadioButton);
        FDialog.ChosenRadioButton = noDefault ? 0 : FDialog.DefaultRadioButton;
        for (std::size_t i = 0; i < radios.size(); ++i) {
            auto* radio = new TClickOnAccel<TRadioButton>(this);
            FRadioList.push_back(radio);
            radio->Name = "Radio" + std::to_string(i);
            radio->SetParent(this);
            radio->Font.SetName(Font.Name());
            radio->Font.SetSize(8);
            radio->SetCaption(radios[i]);
            radio->SetColor(clWhite);
            const int id = 200 + static_cast<int>(i);
            bool checked = false;
            if (!noDefault)
                checked =
                    FDialog.DefaultRadioButton > 0 ? id == FDialog.DefaultRadioButton : i == 0;
            radio->SetChecked(checked);
            const int left = FTextLeft + FHorzMargin;
            TCanvas& canvas = MeasureCanvas();
            canvas.Font = radio->Font;
            radio->SetBounds(left, y, std::max(0, Width() - left - 4),
                             canvas.TextHeight(radios[i]) + 4);
            radio->OnClick = [this](TComponent* sender) { RadioClick(sender); };
        }
    }

    if (!FDialog.ExpandedText().empty()) {
        FExpandButton = new TTaskDialogButton(this);
        FExpandButton->Name = "ExpandButton";
        FExpandButton->SetParent(this);
        FExpandButton->SetBounds(0, 0, 19, 19);
        FExpandButton->AccelCaption = FDialog.ExpandControlText;
        FExpandButton->OnClick = [this](TComponent*) { ToggleExpanded(); };
    }

    // Unclicked, the result is the state the box starts in, as in the native dialog.
    FDialog.VerificationChecked = options.Contains(doVerifyChecked);
    if (!FDialog.VerificationText.empty()) {
        FVerifyCheckBox = new TClickOnAccel<TCheckBox>(this);
        FVerifyCheckBox->Name = "Verification";
        FVerifyCheckBox->SetParent(this);
        FVerifyCheckBox->SetCaption(FDialog.VerificationText);
        FVerifyCheckBox->SetColor(kBandColor);
        FVerifyCheckBox->SetChecked(options.Contains(doVerifyChecked));
        FVerifyCheckBox->SetBounds(FHorzMargin, y, 0, FButtonHeight);
        FVerifyCheckBox->OnClick = [this](TComponent* sender) { VerifyClick(sender); };
    }

    const int footerIconId = FDialog.Footer().empty() ? 0 : FooterIconId(FDialog.FooterIcon);
    if (footerIconId != 0) {
        FFooterImage = new TDialogImage(this);
        FFooterImage->Name = "FooterImage";
        FFooterImage->SetParent(this);
        FFooterImage->SetBounds(FHorzMargin, y, 16, 16);
        FFooterImage->Hide();
        // Drawn once here on the band's colour; the footer paint copies it.
        TBitmap& picture = FFooterImage->Picture;
        picture.SetSize(16, 16);
        picture.Canvas().Brush.SetColor(kBandColor);
        picture.Canvas().FillRect(MakeRect(0, 0, 16, 16));
        if (footerIconId == kShieldFooterId) {
            if (TBitmap shield; LoadResourceBitmap(shield, "TD_SHIELD")) {
                SetStretchBltMode(picture.Canvas().Handle(), HALFTONE);
                StretchBlt(picture.Canvas().Handle(), 0, 0, 16, 16, shield.Canvas().Handle(), 0, 0,
                           shield.Width(), shield.Height(), SRCCOPY);
            }
        } else if (HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(footerIconId))) {
            DrawIconEx(picture.Canvas().Handle(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
        }
    }

    SetClientWidth(RequiredClientWidth(false));
    if (FProgressBar)
        FProgressBar->SetBounds(FProgressBar->Left(), FProgressBar->Top(),
                                ClientRect().right - 2 * FHorzMargin, FProgressBar->Height());
    ArrangeControls();
    if (FExpandButton)
        SetExpanded(options.Contains(doExpandedDefault));

    SetBounds(GetSystemMetrics(SM_CXSCREEN) / 2 - Width() / 2,
              GetSystemMetrics(SM_CYSCREEN) / 2 - Height() / 2, Width(), Height());

    // Tab order follows creation, with the default common button first.
    int order = 1;
    for (TControl* c : Controls())
        if (c->IsWindowed())
            static_cast<TWinControl*>(c)->SetTabOrder(c == defaultControl ? 0 : order++);

    // The default custom button takes the focus when the window shows.
    const int customIndex = defaultButton - 100;
    if (customIndex >= 0 && customIndex < static_cast<int>(FCustomButtonList.size()))
        SetActiveControl(FCustomButtonList[static_cast<std::size_t>(customIndex)]);
}

void TAdvMessageForm::PlaceInstruction(int top) {
    const SIZE r = MeasureInstruction();
    const int iw = FIconId != 0 ? r.cx + FHorzSpacing + 32 : r.cx;
    const int left = FHorzMargin + iw - r.cx;
    FInstructionLabel->SetBounds(left, top, r.cx, r.cy);
    FTextLeft = left;
}

int TAdvMessageForm::RequiredClientWidth(bool update) {
    const TTaskDialogOptions& options = FDialog.Options;
    int w = 0;
    if (!FDialog.Title().empty())
        w = MeasureText(FDialog.Title()).cx + 50;
    if (options.Contains(doCommandLinks) && !FCustomButtonList.empty())
        w = std::max(w, options.Contains(doCommandLinksNoIcon)
                            ? FCommandLinkWidth + FHorzMargin
                            : 2 * FHorzMargin + FCommandLinkWidth + FHorzSpacing + 32);
    const int r = FInstructionLabel->Width();
    const int iw = FIconId != 0 ? r + FHorzSpacing + 32 : r;
    for (TRadioButton* radio : FRadioList)
        w = std::max(w, radio->Left() + static_cast<int>(MeasureText(radio->Caption()).cx) +
                            FHorzMargin + 20);
    int v = 0;
    if (FVerifyCheckBox) {
        const int t = MeasureText(FVerifyCheckBox->Caption()).cx;
        v = 2 * FVertSpacing + t;
        w = std::max(w, FVerifyCheckBox->Left() + t);
    }
    int footerWidth = 0;
    if (!FDialog.Footer().empty())
        footerWidth = MeasureMarkup(FDialog.Footer(), MakeRect(FHorzMargin, 0, 300, 100)).cx;
    int b = update ? 0 : v;
    for (TWinControl* button : FCommonButtonList)
        b += button->Width() + FButtonSpacing;
    if (!options.Contains(doCommandLinks))
        for (TWinControl* button : FCustomButtonList)
            b += button->Width() + FButtonSpacing;
    int expanded = 0;
    if (FExpandButton) {
        b += FExpandButton->Width() + 2 * FHorzSpacing +
             std::max(MeasureText(FDialog.CollapsControlText).cx,
                      MeasureText(FDialog.ExpandControlText).cx);
        if (!update) {
            const LONG e =
                options.Contains(doHyperlinks)
                    ? MeasureMarkup(FDialog.ExpandedText(), MakeRect(FHorzMargin, 0, 300, 100)).cx
                    : MeasureTextBlock(FDialog.ExpandedText(), 300 - FHorzMargin).cx;
            expanded = 2 * FHorzMargin + e;
        }
    }
    int width =
        std::max({w, std::max({iw, b, footerWidth}) + 2 * FHorzMargin, expanded, FMinWidth});
    if (!update)
        width = std::min(width, static_cast<int>(GetSystemMetrics(SM_CXSCREEN) -
                                                 2 * GetSystemMetrics(SM_CYEDGE)));
    return width;
}

void TAdvMessageForm::SetClientWidth(int width) {
    SetClientSize(width, ClientRect().bottom);
}

void TAdvMessageForm::UpdateDialog() {
    SetCaption(FDialog.Title());
    FInstructionLabel->SetCaption(FDialog.Instruction());
    PlaceInstruction(FInstructionLabel->Top());
    if (!FRadioList.empty())
        FDialog.ChosenRadioButton = FDialog.DefaultRadioButton;
    SetClientWidth(RequiredClientWidth(true));
    if (FProgressBar)
        FProgressBar->SetBounds(FProgressBar->Left(), FProgressBar->Top(),
                                ClientRect().right - 2 * FHorzMargin, FProgressBar->Height());
    ArrangeControls();
    Invalidate();
}

void TAdvMessageForm::ArrangeControls() {
    ComputeUnits();
    const TTaskDialogOptions& options = FDialog.Options;
    const int clientWidth = ClientRect().right;
    int y = FVertMargin;

    // Shown again when a later instruction fills an empty one.
    FInstructionLabel->SetVisible(!FInstructionLabel->Caption().empty());
    if (FInstructionLabel->Visible())
        y += FInstructionLabel->Height() + FVertSpacing;

    const int left = ContentLeft();
    const int right = clientWidth - FHorzMargin;
    if (!FDialog.Content().empty()) {
        const SIZE c = options.Contains(doHyperlinks)
                           ? MeasureMarkup(FDialog.Content(), MakeRect(left, y, right, y + 26))
                           : MeasureTextBlock(FDialog.Content(), right - left);
        FContentHeight = c.cy;
        int a = FContentHeight;
        if (FDialog.Instruction().empty() && HasIcon())
            a = std::max(a, FIconImage->Height());
        y += a + FVertSpacing;
    } else {
        FContentHeight = 0;
        if (FRadioList.empty() && !options.Contains(doCommandLinks))
            y += FVertSpacing;
        if (FDialog.Instruction().empty() && HasIcon())
            y += FVertSpacing + FVertMargin;
    }

    if (FProgressBar) {
        if (HasIcon())
            y = std::max(y, FIconImage->Top() + FIconImage->Height() + 3);
        FProgressBar->SetBounds(FProgressBar->Left(), y, FProgressBar->Width(),
                                FProgressBar->Height());
        y += FProgressBar->Height() + FVertSpacing;
    }

    for (TRadioButton* radio : FRadioList) {
        radio->SetBounds(radio->Left(), y, clientWidth - radio->Left() - FHorzMargin,
                         radio->Height());
        y += radio->Height() + 4;
    }
    if (!FRadioList.empty())
        y += FVertSpacing - 4;

    FExpandedHeight = 0;
    int e = 0;
    if (!FDialog.ExpandedText().empty() && FExpanded) {
        const SIZE x = options.Contains(doHyperlinks)
                           ? MeasureMarkup(FDialog.ExpandedText(), MakeRect(left, y, right, y + 26))
                           : MeasureTextBlock(FDialog.ExpandedText(), right - left);
        FExpandedHeight = x.cy;
        FExpandedTop = y;
        e = y;
        y += FExpandedHeight + FVertSpacing;
    }

    const int spacing = FButtonSpacing;
    auto rowWidth = [spacing](const std::vector<TWinControl*>& list) {
        int sum = 0;
        for (TWinControl* c : list)
            sum += c->Width();
        return list.empty() ? 0 : sum + (static_cast<int>(list.size()) - 1) * spacing;
    };
    int p = 0;
    if (options.Contains(doCommandLinks)) {
        for (TWinControl* link : FCustomButtonList) {
            const int linkLeft = HasIcon() ? FTextLeft : link->Left();
            link->SetBounds(linkLeft, y, clientWidth - linkLeft - FHorzMargin, link->Height());
            y += link->Height() + 2;
        }
        FBandTop = y;
        y += FVertSpacing;
    } else
        p = rowWidth(FCustomButtonList);
    const int q = rowWidth(FCommonButtonList);
    const int v =
        FVerifyCheckBox ? 2 * FVertSpacing + MeasureText(FVerifyCheckBox->Caption()).cx : 0;
    int x = clientWidth - p - q - FHorzSpacing - 4;
    int h = y;
    int r = 0;
    if (FExpandButton) {
        FExpandButton->SetBounds(FVertMargin, y, FExpandButton->Width(), FExpandButton->Height());
        r = std::max(r, FExpandButton->Height());
    }
    if (FVerifyCheckBox)
        FVerifyCheckBox->SetBounds(FVertMargin + 3, y + r, v - FVertSpacing,
                                   FVerifyCheckBox->Height());
    auto placeRow = [&](const std::vector<TWinControl*>& list) {
        for (TWinControl* c : list) {
            c->SetBounds(x, y, c->Width(), c->Height());
            x += c->Width() + spacing;
            r = std::max(r, c->Height());
        }
        if (!list.empty())
            FBandTop = list.front()->Top();
    };
    if (!options.Contains(doCommandLinks))
        placeRow(FCustomButtonList);
    placeRow(FCommonButtonList);
    if (FVerifyCheckBox) {
        h += std::max(r, FVerifyCheckBox->Height() + FVertSpacing);
        y += std::max(r + FVertSpacing, FVerifyCheckBox->Height() + FVertSpacing);
    } else {
        h += r;
        if (r > 0)
            y += r + FVertSpacing;
    }

    int d = 0;
    FFooterHeight = 0;
    if (!FDialog.Footer().empty()) {
        const int footerLeft = FHorzMargin + (FFooterImage ? 20 : 0);
        const SIZE f = MeasureMarkup(FDialog.Footer(),
                                     MakeRect(footerLeft, y, clientWidth - FHorzMargin, y + 100));
        FFooterHeight = f.cy;
        d = FFooterHeight;
        if (FFooterImage) {
            FFooterImage->SetBounds(FFooterImage->Left(), y, 16, 16);
            d = std::max(d, 20);
        }
        h += d + FVertSpacing;
    }
    SetClientSize(clientWidth, FVertMargin + h);

    if (FCommonButtonList.empty() &&
        (options.Contains(doCommandLinks) || FCustomButtonList.empty()))
        FBandTop = Height();
    if (e > 0 && options.Contains(doExpandedFooter))
        FBandTop = e;
}

RECT TAdvMessageForm::ContentRect() const {
    const int top = FDialog.Instruction().empty()
                        ? FVertMargin
                        : FInstructionLabel->Top() + FInstructionLabel->Height() + FVertSpacing;
    return MakeRect(ContentLeft(), top, ClientRect().right - FHorzMargin, top + FContentHeight);
}

RECT TAdvMessageForm::ExpandedRect() const {
    return MakeRect(ContentLeft(), FExpandedTop, ClientRect().right - FHorzMargin,
                    FExpandedTop + FExpandedHeight);
}

RECT TAdvMessageForm::FooterRect() const {
    const RECT client = ClientRect();
    return MakeRect(FHorzMargin, client.bottom - FFooterHeight - 10, client.right - FHorzMargin,
                    client.bottom);
}

RECT TAdvMessageForm::FooterTextRect() const {
    RECT r = FooterRect();
    if (FFooterImage)
        r.left += 20;
    return r;
}

void TAdvMessageForm::DrawTextBlock(TCanvas& canvas, const std::string& text, const RECT& r,
                                    bool markup) {
    canvas.Font = Font;
    if (markup) {
        THtmlRenderResult result;
        RenderHtmlText(canvas, MarkupText(text), r, THtmlRenderOptions{}, result);
        return;
    }
    RECT box = r;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.DrawText(PlainText(text), box, kPlainBlockFormat | DT_VCENTER);
}

void TAdvMessageForm::PaintWindow(TCanvas& canvas) {
    const RECT client = ClientRect();
    canvas.Brush.SetColor(Color());
    canvas.FillRect(client);
    if (FBandTop > 0) {
        const int top = FBandTop - FVertSpacing / 2;
        canvas.Brush.SetColor(kBandColor);
        canvas.FillRect(MakeRect(0, top, client.right, client.bottom));
        canvas.Pen.SetColor(kLineColor);
        canvas.MoveTo(0, top);
        canvas.LineTo(client.right, top);
    }
    if (!IsVistaOrLater()) {
        canvas.Brush.SetColor(clGray);
        canvas.FrameRect(MakeRect(1, 1, client.right - 1, client.bottom - 1));
    }
    const bool hyperlinks = FDialog.Options.Contains(doHyperlinks);
    if (!FDialog.Content().empty())
        DrawTextBlock(canvas, FDialog.Content(), ContentRect(), hyperlinks);
    if (FExpanded && !FDialog.ExpandedText().empty())
        DrawTextBlock(canvas, FDialog.ExpandedText(), ExpandedRect(), hyperlinks);
    if (FExpandButton) {
        RECT r = MakeRect(FExpandButton->Left() + FExpandButton->Width() + FHorzSpacing - 5,
                          FExpandButton->Top(), client.right,
                          FExpandButton->Top() + FExpandButton->Height());
        canvas.Font = Font;
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.DrawText(FExpanded ? FDialog.ExpandControlText : FDialog.CollapsControlText, r,
                        DT_SINGLELINE | DT_VCENTER);
    }
    if (!FDialog.Footer().empty()) {
        const RECT r = FooterRect();
        const int line = r.top - FVertSpacing;
        canvas.Pen.SetColor(kLineColor);
        canvas.MoveTo(2, line);
        canvas.LineTo(client.right - 3, line);
        canvas.Pen.SetColor(clWhite);
        canvas.MoveTo(2, line + 1);
        canvas.LineTo(client.right - 3, line + 1);
        if (FFooterImage)
            BitBlt(canvas.Handle(), r.left, r.top, 16, 16, FFooterImage->Picture.Canvas().Handle(),
                   0, 0, SRCCOPY);
        DrawTextBlock(canvas, FDialog.Footer(), FooterTextRect(), true);
    }
    PaintControls(canvas);
}

void TAdvMessageForm::SetExpanded(bool value) {
    if (FExpandButton) {
        if (value)
            FExpandButton->LoadPictures("TD_COLP", "TD_COLPHOT", "TD_COLPDOWN");
        else
            FExpandButton->LoadPictures("TD_EXP", "TD_EXPHOT", "TD_EXPDOWN");
        FExpandButton->AccelCaption =
            value ? FDialog.ExpandControlText : FDialog.CollapsControlText;
    }
    FExpanded = value;
    ArrangeControls();
    Invalidate();
}

void TAdvMessageForm::ToggleExpanded() {
    if (FExpandButton)
        SetExpanded(!FExpanded);
}

void TAdvMessageForm::ButtonClick(TComponent* sender) {
    const auto it = std::find(FCustomButtonList.begin(), FCustomButtonList.end(), sender);
    if (it != FCustomButtonList.end() && FDialog.OnDialogButtonClick)
        FDialog.OnDialogButtonClick(&FDialog,
                                    100 + static_cast<int>(it - FCustomButtonList.begin()));
}

void TAdvMessageForm::RadioClick(TComponent* sender) {
    const auto it = std::find(FRadioList.begin(), FRadioList.end(), sender);
    if (it == FRadioList.end())
        return;
    FDialog.ChosenRadioButton = 200 + static_cast<int>(it - FRadioList.begin());
    if (FDialog.OnDialogRadioClick)
        FDialog.OnDialogRadioClick(&FDialog, FDialog.ChosenRadioButton);
}

void TAdvMessageForm::VerifyClick(TComponent*) {
    FDialog.VerificationChecked = FVerifyCheckBox->Checked();
    if (FDialog.OnDialogVerifyClick)
        FDialog.OnDialogVerifyClick(&FDialog, FDialog.VerificationChecked);
}

void TAdvMessageForm::TimerTick() {
    if (FDialog.OnDialogTimer)
        FDialog.OnDialogTimer(&FDialog);
    // Without a bar there is no position to hand over.
    if (FDialog.OnDialogProgress && FProgressBar) {
        int position = FProgressBar->Position();
        TTaskDialogProgressState state = psNormal;
        FDialog.OnDialogProgress(&FDialog, position, state);
        FProgressBar->SetPosition(position);
    }
}

std::string TAdvMessageForm::ClipboardText() const {
    std::string buttons;
    for (TComponent* c : Components())
        if (auto* button = dynamic_cast<TButton*>(c))
            buttons += ReplaceAll(button->Caption(), "&", "") + "   ";
    std::string text;
    for (const std::string& part : {Caption(), FDialog.Instruction(), buttons})
        text += kHyphenLine + part + "\r\n";
    return text + kHyphenLine;
}

void TAdvMessageForm::CopyToClipboard() {
    MessageBeep(0);
    const std::string text = ClipboardText();
    if (!OpenClipboard(Handle())) {
        // Reported where it happened: nothing may leave the dialog's Execute.
        try {
            throw std::runtime_error("Zwischenablage kann nicht ge\xF6"
                                     "ffnet werden");
        } catch (...) {
            ReportBoundaryException("Ctrl+C");
        }
        return;
    }
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* data = GlobalLock(memory)) {
            std::copy_n(text.c_str(), text.size() + 1, static_cast<char*>(data));
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory))
                GlobalFree(memory);
        } else
            GlobalFree(memory);
    }
    CloseClipboard();
}

void TAdvMessageForm::KeyDown(WORD& key, TShiftState shift) {
    TForm::KeyDown(key, shift);
    const TShiftState modifiers = shift & (ssShift | ssAlt | ssCtrl);
    if (key == 'C' && modifiers == ssCtrl) {
        CopyToClipboard();
        key = 0;
    } else if (key == VK_ESCAPE && modifiers == 0) {
        // Escape closes only when the dialog allows cancelling.
        if (FDialog.Options.Contains(doAllowDialogCancel))
            SetModalResult(mrCancel);
        key = 0;
    }
}

std::string TAdvMessageForm::LinkAt(int x, int y) {
    struct TArea {
        RECT Rect;
        const std::string& Text;
    };
    // The footer is always markup; content and expanded text only with
    // hyperlinks, else they are drawn as plain text and hold no link.
    const bool hyperlinks = FDialog.Options.Contains(doHyperlinks);
    const TArea areas[] = {
        {FDialog.Footer().empty() ? RECT{} : FooterTextRect(), FDialog.Footer()},
        {hyperlinks ? ContentRect() : RECT{}, FDialog.Content()},
        {hyperlinks && FExpanded ? ExpandedRect() : RECT{}, FDialog.ExpandedText()},
    };
    for (const TArea& area : areas) {
        if (!PointInRect(area.Rect, x, y))
            continue;
        TCanvas& canvas = MeasureCanvas();
        canvas.Font = Font;
        THtmlRenderOptions options = MeasureOptions();
        options.HitX = x;
        options.HitY = y;
        THtmlRenderResult result;
        if (RenderHtmlText(canvas, MarkupText(area.Text), area.Rect, options, result))
            return result.AnchorHref;
        return {};
    }
    return {};
}

void TAdvMessageForm::MouseMove(TShiftState shift, int x, int y) {
    TForm::MouseMove(shift, x, y);
    FHoverLink = LinkAt(x, y);
    if (!FHoverLink.empty())
        SetCursor(TCursor::crHandPoint);
    else if (Cursor() == TCursor::crHandPoint)
        SetCursor(TCursor::crDefault);
}

void TAdvMessageForm::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TForm::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    const std::string link = LinkAt(x, y);
    if (!link.empty())
        FDialog.HyperlinkClicked(link);
}

bool TAdvMessageForm::CloseQuery() {
    bool canClose = true;
    if (FDialog.OnDialogClose)
        FDialog.OnDialogClose(&FDialog, canClose);
    return canClose;
}

LRESULT TAdvMessageForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Alt+F4 arrives as a close command without a mouse position.
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && lParam == 0)
        return 0;
    return TForm::WindowProc(msg, wParam, lParam);
}
