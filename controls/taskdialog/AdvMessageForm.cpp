#include "controls/taskdialog/AdvMessageForm.h"

#include "framework/Errors.h"
#include "framework/SystemInfo.h"
#include "framework/Text.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>

namespace {

constexpr TColor kInstructionColor = RGB(0, 83, 196);
constexpr TColor kLinkBorderColor = RGB(108, 225, 255);
constexpr TColor kBandColor = RGB(240, 240, 240);
constexpr TColor kLineColor = RGB(223, 223, 223);
const char kHyphenLine[] = "---------------------------\r\n";

// The identifiers of custom and radio buttons: these plus the button's index.
constexpr int kFirstCustomButtonId = 100;
constexpr int kFirstRadioButtonId = 200;
// Room beside a push button's caption, and the narrowest push button.
constexpr int kButtonCaptionPadding = 16;
constexpr int kMinButtonWidth = 60;
// The OK that a dialog without buttons gets is measured with less room.
constexpr int kLoneOkCaptionPadding = 8;
// Room for a command link's arrow beside its widest line, and the least room
// around a command link's text.
constexpr int kCommandLinkArrowRoom = 26;
constexpr int kCommandLinkTextPadding = 20;

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

// Which common button the dialog's DefaultButton makes the default (none for
// -1) and which one Escape presses.
struct TCommonButtonRoles {
    std::optional<TCommonButton> Default;
    TCommonButton Cancel;
};

TCommonButtonRoles CommonButtonRoles(const TCommonButtons& common, int defaultButton) {
    auto firstOf = [&common](std::initializer_list<TCommonButton> order, TCommonButton fallback) {
        for (TCommonButton b : order)
            if (common.Contains(b))
                return b;
        return fallback;
    };
    TCommonButtonRoles roles{std::nullopt,
                             defaultButton == 0 ? firstOf({cbCancel, cbNo}, cbOK) : cbOK};
    if (defaultButton == 0)
        roles.Default = firstOf({cbOK, cbYes}, cbRetry);
    else if (defaultButton == 1)
        roles.Default = firstOf({cbOK}, cbYes);
    else if (defaultButton == 2)
        roles.Default = firstOf({cbCancel}, cbNo);
    else if (defaultButton != -1)
        roles.Default = cbOK;
    return roles;
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

} // namespace

// ---- TDialogImage

void TDialogImage::Paint(TCanvas& canvas) {
    if (Picture.Handle())
        BitBlt(canvas.Handle(), 0, 0, Picture.Width(), Picture.Height(), Picture.Canvas().Handle(),
               0, 0, SRCCOPY);
}

// ---- TAdvMessageForm

TAdvMessageForm::TAdvMessageForm(TComponent* owner, TTaskDialogFace& face)
    : TForm(owner), FFace(face), FDialog(face.Dialog()) {
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

// ---- Building, one step per part of the dialog

void TAdvMessageForm::BuildDialog() {
    ComputeUnits();
    SetCaption(FDialog.Title());
    TWinControl* defaultCommon = BuildButtons();
    const int top = BuildIconAndInstruction();
    BuildProgress(top);
    BuildRadioButtons(top);
    BuildExpander();
    BuildVerification(top);
    BuildFooter(top);
    PlaceAndOrderControls(defaultCommon);
}

TWinControl* TAdvMessageForm::BuildButtons() {
    const TCommonButtons& common = FDialog.CommonButtons;
    const TCommonButtonRoles roles = CommonButtonRoles(common, FDialog.DefaultButton);
    TWinControl* defaultCommon = nullptr;
    for (std::size_t row = 0; row < std::size(kCommonButtons); ++row) {
        const TCommonButton kind = kCommonButtons[row].Button;
        if (!common.Contains(kind))
            continue;
        const bool isDefault = roles.Default && *roles.Default == kind;
        TWinControl* button =
            AddCommonButton(row, isDefault, roles.Cancel == kind, CommonButtonWidth(kind));
        if (isDefault)
            defaultCommon = button;
        if (FDialog.DefaultButton == -1)
            button->SetTabStop(false);
    }
    if (FDialog.Options.Contains(doCommandLinks))
        BuildCommandLinks();
    else
        BuildCustomButtons();
    // A dialog without any button gets an OK, its default.
    if (FCommonButtonList.empty() && FCustomButtonList.empty()) {
        TCanvas& canvas = MeasureCanvas();
        canvas.Font = Font;
        const int width = canvas.TextWidth(kCommonButtons[0].Caption) + kLoneOkCaptionPadding;
        defaultCommon =
            AddCommonButton(0, true, roles.Cancel == cbOK, std::max(kMinButtonWidth, width));
    }
    return defaultCommon;
}

int TAdvMessageForm::CommonButtonWidth(TCommonButton button) {
    // Measured once per process, in the font of the first window that asks.
    static const std::array<int, 6> widths = [this] {
        TCanvas& canvas = MeasureCanvas();
        canvas.Font = Font;
        std::array<int, 6> measured{};
        for (const TCommonButtonInfo& info : kCommonButtons)
            measured[info.Button] = canvas.TextWidth(info.Caption) + kButtonCaptionPadding;
        return measured;
    }();
    return std::max(kMinButtonWidth, widths[button]);
}

TWinControl* TAdvMessageForm::AddCommonButton(std::size_t row, bool isDefault, bool isCancel,
                                              int width) {
    const TCommonButtonInfo& info = kCommonButtons[row];
    TWinControl* button = FDialog.CreateButton(this);
    FCommonButtonList.push_back(button);
    button->Name = info.Name;
    button->SetParent(this);
    FDialog.SetButtonText(button, info.Caption);
    FDialog.SetButtonModalResult(button, info.ModalResult);
    if (FDialog.Options.Contains(doAllowDialogCancel) && (info.ModalResult == IDCANCEL || isCancel))
        FDialog.SetButtonCancel(button, true);
    if (isDefault)
        FDialog.SetButtonDefault(button, true);
    button->SetBounds(0, 0, width, FButtonHeight);
    return button;
}

void TAdvMessageForm::BuildCustomButtons() {
    const std::vector<std::string>& customs = FDialog.CustomButtons();
    const int defaultButton = FDialog.DefaultButton;
    for (std::size_t i = 0; i < customs.size(); ++i) {
        TCanvas& canvas = MeasureCanvas();
        canvas.Font = Font;
        const int width = canvas.TextWidth(customs[i]) + kButtonCaptionPadding;
        TWinControl* button = FDialog.CreateButton(this);
        FCustomButtonList.push_back(button);
        button->Name = "Button" + std::to_string(i);
        button->SetParent(this);
        FDialog.SetButtonText(button, customs[i]);
        const int id = kFirstCustomButtonId + static_cast<int>(i);
        FDialog.SetButtonModalResult(button, id);
        FDialog.SetButtonDefault(button, id == defaultButton);
        button->SetBounds(0, 0, std::max(kMinButtonWidth, width), FButtonHeight);
        button->OnClick = [this](TComponent* sender) { ButtonClick(sender); };
        if (defaultButton == -1)
            button->SetTabStop(false);
    }
}

void TAdvMessageForm::BuildCommandLinks() {
    const std::vector<std::string>& customs = FDialog.CustomButtons();
    const int defaultButton = FDialog.DefaultButton;
    TFont heading = Font;
    heading.SetSize(11);
    heading.SetStyle(fsBold);
    heading.SetColor(kInstructionColor);
    TFont text = Font;
    text.SetColor(kInstructionColor);
    const bool noIcon = FDialog.Options.Contains(doCommandLinksNoIcon);
    FCommandLinkWidth = 0;
    for (std::size_t i = 0; i < customs.size(); ++i) {
        const SIZE measured = MeasureCommandLink(customs[i], heading, text);
        FCommandLinkWidth = std::max<int>(FCommandLinkWidth, measured.cx + kCommandLinkArrowRoom);
        auto* link = new TTaskDialogButton(this);
        FCustomButtonList.push_back(link);
        link->Name = "Button" + std::to_string(i);
        link->SetParent(this);
        link->SetCaption(customs[i]);
        link->Font = text;
        link->HeadingFont = heading;
        link->ModalResult = kFirstCustomButtonId + static_cast<int>(i);
        link->BorderColorHot = link->BorderColorDown = kLinkBorderColor;
        link->FocusOnHover = defaultButton != -1;
        TCanvas& canvas = link->MeasureCanvas();
        canvas.Font = text;
        const int height = std::max({static_cast<int>(measured.cy), FButtonHeight,
                                     canvas.TextHeight("gh") + kCommandLinkTextPadding});
        link->SetBounds(0, 0, std::max(kMinButtonWidth, FCommandLinkWidth), height);
        if (!noIcon)
            link->LoadPictures("TD_ARW", "TD_ARWHOT", "TD_ARWDOWN");
        link->SetTabStop(defaultButton != -1);
        link->OnClick = [this](TComponent* sender) { ButtonClick(sender); };
    }
}

int TAdvMessageForm::BuildIconAndInstruction() {
    const int top = FVertMargin;
    FIconId = FDialog.CustomIcon().Empty() ? MainIconId(FDialog.Icon) : -1;
    if (FIconId != 0) {
        FIconImage = new TDialogImage(this);
        FIconImage->Name = "Image";
        FIconImage->SetParent(this);
        FIconImage->SetBounds(FHorzMargin, top, kIconSize, kIconSize);
        TBitmap& picture = FIconImage->Picture;
        picture.SetSize(kIconSize, kIconSize);
        picture.Canvas().Brush.SetColor(clWhite);
        picture.Canvas().FillRect(MakeRect(0, 0, kIconSize, kIconSize));
        HICON icon = nullptr;
        if (!FDialog.CustomIcon().Empty())
            icon = FDialog.CustomIcon().Handle();
        else if (FDialog.Icon == tiShield)
            LoadResourceBitmap(picture, "TD_SHIELD");
        else if (FDialog.Icon != tiBlank)
            icon = LoadIconA(nullptr, MAKEINTRESOURCEA(FIconId));
        if (icon)
            DrawIconEx(picture.Canvas().Handle(), 0, 0, icon, kIconSize, kIconSize, 0, nullptr,
                       DI_NORMAL);
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
    PlaceInstruction(top);
    return top + FInstructionLabel->Height() + FVertSpacing;
}

void TAdvMessageForm::BuildProgress(int top) {
    const TTaskDialogOptions& options = FDialog.Options;
    // The timer drives the timer event and the progress bar alike.
    if (options.Contains(doTimer) || options.Contains(doProgressBar)) {
        FTimer = new TTimer(this);
        FTimer->SetInterval(100);
        FTimer->SetOnTimer([this](TComponent*) { TimerTick(); });
    }
    if (options.Contains(doProgressBar)) {
        FProgressBar = new TProgressBar(this);
        FProgressBar->Name = "ProgressBar";
        FProgressBar->SetParent(this);
        FProgressBar->SetBounds(FHorzMargin, top, 0, 12);
        FProgressBar->SetRange(FDialog.ProgressBarMin, FDialog.ProgressBarMax);
        FProgressBar->SetPosition(0);
    }
}

void TAdvMessageForm::BuildRadioButtons(int top) {
    const std::vector<std::string>& radios = FDialog.RadioButtons();
    if (radios.empty())
        return;
    const bool noDefault = FDialog.Options.Contains(doNoDefaultRadioButton);
    FFace.KeepRadio(noDefault ? 0 : FDialog.DefaultRadioButton);
    for (std::size_t i = 0; i < radios.size(); ++i) {
        auto* radio = new TClickOnAccel<TRadioButton>(this);
        FRadioList.push_back(radio);
        radio->Name = "Radio" + std::to_string(i);
        radio->SetParent(this);
        radio->Font.SetName(Font.Name());
        radio->Font.SetSize(8);
        radio->SetCaption(radios[i]);
        radio->SetColor(clWhite);
        const int id = kFirstRadioButtonId + static_cast<int>(i);
        bool checked = false;
        if (!noDefault)
            checked = FDialog.DefaultRadioButton > 0 ? id == FDialog.DefaultRadioButton : i == 0;
        radio->SetChecked(checked);
        const int left = FTextLeft + FHorzMargin;
        TCanvas& canvas = MeasureCanvas();
        canvas.Font = radio->Font;
        radio->SetBounds(left, top, std::max(0, Width() - left - 4),
                         canvas.TextHeight(radios[i]) + 4);
        radio->OnClick = [this](TComponent* sender) { RadioClick(sender); };
    }
}

void TAdvMessageForm::BuildExpander() {
    if (FDialog.ExpandedText().empty())
        return;
    FExpandButton = new TTaskDialogButton(this);
    FExpandButton->Name = "ExpandButton";
    FExpandButton->SetParent(this);
    FExpandButton->SetBounds(0, 0, 19, 19);
    FExpandButton->AccelCaption = FDialog.ExpandControlText;
    FExpandButton->OnClick = [this](TComponent*) { ToggleExpanded(); };
}

void TAdvMessageForm::BuildVerification(int top) {
    const bool checked = FDialog.Options.Contains(doVerifyChecked);
    // Unclicked, the result is the state the box starts in, as in the native dialog.
    FFace.KeepVerification(checked);
    if (FDialog.VerificationText.empty())
        return;
    FVerifyCheckBox = new TClickOnAccel<TCheckBox>(this);
    FVerifyCheckBox->Name = "Verification";
    FVerifyCheckBox->SetParent(this);
    FVerifyCheckBox->SetCaption(FDialog.VerificationText);
    FVerifyCheckBox->SetColor(kBandColor);
    FVerifyCheckBox->SetChecked(checked);
    FVerifyCheckBox->SetBounds(FHorzMargin, top, 0, FButtonHeight);
    FVerifyCheckBox->OnClick = [this](TComponent* sender) { VerifyClick(sender); };
}

void TAdvMessageForm::BuildFooter(int top) {
    const int footerIconId = FDialog.Footer().empty() ? 0 : FooterIconId(FDialog.FooterIcon);
    if (footerIconId == 0)
        return;
    FFooterImage = new TDialogImage(this);
    FFooterImage->Name = "FooterImage";
    FFooterImage->SetParent(this);
    FFooterImage->SetBounds(FHorzMargin, top, kFooterIconSize, kFooterIconSize);
    FFooterImage->Hide();
    // Drawn once here on the band's colour; the footer paint copies it.
    TBitmap& picture = FFooterImage->Picture;
    picture.SetSize(kFooterIconSize, kFooterIconSize);
    picture.Canvas().Brush.SetColor(kBandColor);
    picture.Canvas().FillRect(MakeRect(0, 0, kFooterIconSize, kFooterIconSize));
    if (footerIconId == kShieldFooterId) {
        if (TBitmap shield; LoadResourceBitmap(shield, "TD_SHIELD")) {
            SetStretchBltMode(picture.Canvas().Handle(), HALFTONE);
            StretchBlt(picture.Canvas().Handle(), 0, 0, kFooterIconSize, kFooterIconSize,
                       shield.Canvas().Handle(), 0, 0, shield.Width(), shield.Height(), SRCCOPY);
        }
    } else if (HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(footerIconId))) {
        DrawIconEx(picture.Canvas().Handle(), 0, 0, icon, kFooterIconSize, kFooterIconSize, 0,
                   nullptr, DI_NORMAL);
    }
}

void TAdvMessageForm::PlaceAndOrderControls(TWinControl* defaultCommon) {
    SetClientWidth(RequiredClientWidth(false));
    StretchProgressBar();
    ArrangeControls();
    if (FExpandButton)
        SetExpanded(FDialog.Options.Contains(doExpandedDefault));

    const RECT screen =
        MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const POINT at = CentredIn(screen, SIZE{Width(), Height()}, THalving::Apart);
    SetBounds(at.x, at.y, Width(), Height());

    // Tab order follows creation, with the default common button first.
    int order = 1;
    for (TControl* c : Controls())
        if (c->IsWindowed())
            static_cast<TWinControl*>(c)->SetTabOrder(c == defaultCommon ? 0 : order++);

    // The default custom button takes the focus when the window shows.
    const int customIndex = FDialog.DefaultButton - kFirstCustomButtonId;
    if (customIndex >= 0 && customIndex < static_cast<int>(FCustomButtonList.size()))
        SetActiveControl(FCustomButtonList[static_cast<std::size_t>(customIndex)]);
}

void TAdvMessageForm::UpdateDialog() {
    SetCaption(FDialog.Title());
    FInstructionLabel->SetCaption(FDialog.Instruction());
    PlaceInstruction(FInstructionLabel->Top());
    if (!FRadioList.empty())
        FFace.KeepRadio(FDialog.DefaultRadioButton);
    SetClientWidth(RequiredClientWidth(true));
    StretchProgressBar();
    ArrangeControls();
    Invalidate();
}

// ---- Painting, events and keys

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
            BitBlt(canvas.Handle(), r.left, r.top, kFooterIconSize, kFooterIconSize,
                   FFooterImage->Picture.Canvas().Handle(), 0, 0, SRCCOPY);
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
    if (it != FCustomButtonList.end())
        FFace.ReportButtonClick(kFirstCustomButtonId +
                                static_cast<int>(it - FCustomButtonList.begin()));
}

void TAdvMessageForm::RadioClick(TComponent* sender) {
    const auto it = std::find(FRadioList.begin(), FRadioList.end(), sender);
    if (it == FRadioList.end())
        return;
    const int id = kFirstRadioButtonId + static_cast<int>(it - FRadioList.begin());
    FFace.KeepRadio(id);
    FFace.ReportRadioClick(id);
}

void TAdvMessageForm::VerifyClick(TComponent*) {
    const bool checked = FVerifyCheckBox->Checked();
    FFace.KeepVerification(checked);
    FFace.ReportVerifyClick(checked);
}

void TAdvMessageForm::TimerTick() {
    // Without a bar there is no position to hand over.
    FFace.ReportTick(FProgressBar ? std::optional<int>(FProgressBar->Position()) : std::nullopt);
}

std::string TAdvMessageForm::ClipboardText() const {
    std::string buttons;
    for (TComponent* c : Components())
        if (auto* button = dynamic_cast<TButton*>(c)) {
            std::string caption = button->Caption();
            std::erase(caption, '&');
            buttons += caption + "   ";
        }
    std::string text;
    for (const std::string& part : {Caption(), FDialog.Instruction(), buttons})
        text += kHyphenLine + part + "\r\n";
    return text + kHyphenLine;
}

void TAdvMessageForm::CopyToClipboard() {
    MessageBeep(0);
    const std::string text = ClipboardText();
    if (!OpenClipboard(Handle())) {
        ReportSystemFailure("Ctrl+C", "OpenClipboard", GetLastError());
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
        FFace.ReportHyperlink(link);
}

bool TAdvMessageForm::CloseQuery() {
    return FFace.ReportCloseQuery();
}

LRESULT TAdvMessageForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Alt+F4 arrives as a close command without a mouse position.
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && lParam == 0)
        return 0;
    return TForm::WindowProc(msg, wParam, lParam);
}
