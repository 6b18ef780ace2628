// The emulated task dialog window: built, laid out in units of its font,
// shown modally and driven through its window as a user would.
#include "controls/taskdialog/AdvMessageForm.h"
#include "controls/taskdialog/TaskDialogEx.h"
#include "controls/paint/AdvGlowButton.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/HeldKeys.h"
#include "tests/support/ScreenResolution.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Ends a modal loop that the test failed to end, so that it fails instead of hanging.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

void PostClick(TWinControl* control) {
    if (dynamic_cast<TButton*>(control)) {
        PostMessageA(control->Handle(), BM_CLICK, 0, 0);
        return;
    }
    const LPARAM middle = MAKELPARAM(control->Width() / 2, control->Height() / 2);
    HWND hwnd = control->Handle();
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, middle);
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageA(hwnd, WM_LBUTTONUP, 0, middle);
}

// The key goes to the window with the focus, as the keyboard would send it.
void PostKey(UINT msg, WPARAM key, LPARAM flags = 0) {
    HWND focus = GetFocus();
    PostMessageA(focus, msg, key, flags | 1);
}

class MessageFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = FreshApplication();
        SetDialogFaceOverride(TDialogFace::dfEmulated);
        SetLinkOpener([this](const std::string& href) { opened.push_back(href); });
    }
    void TearDown() override {
        SetLinkOpener(nullptr);
        SetDialogFaceOverride(TDialogFace::dfRule);
        app.reset();
    }

    // Executes the dialog; `act` runs once the window is built and posts
    // what the user does.
    int Run(TAdvTaskDialog& dialog, std::function<void(TAdvMessageForm&)> act) {
        dialog.OnDialogCreated = [&dialog, act](TComponent*) {
            ASSERT_NE(EmulatedForm(dialog), nullptr);
            act(*EmulatedForm(dialog));
        };
        const UINT_PTR guard = SetTimer(nullptr, 0, 10000, GiveUp);
        const int result = dialog.Execute();
        KillTimer(nullptr, guard);
        EXPECT_FALSE(app->Terminated()) << "the dialog had to be ended from outside";
        EXPECT_EQ(EmulatedForm(dialog), nullptr) << "the window is gone after Execute";
        return result;
    }

    static TWinControl* Named(TAdvMessageForm& form, const std::string& name) {
        for (TComponent* c : form.Components())
            if (c->Name == name)
                return dynamic_cast<TWinControl*>(c);
        ADD_FAILURE() << "no control " << name;
        return nullptr;
    }

    std::unique_ptr<TApplication> app;
    std::vector<std::string> opened;
};

// Builds the window without showing it.
struct TBuilt {
    explicit TBuilt(TAdvTaskDialog& dialog) : Face(dialog), Form(nullptr, Face) {
        Form.BuildDialog();
        Form.SetColor(clWhite);
    }
    TEmulatedTaskDialogFace Face;
    TAdvMessageForm Form;
};

// The buttons of a case: common ones, custom ones, and the options.
struct TButtons {
    const char* Name;
    TCommonButtons Common;
    std::vector<std::string> Custom;
    TTaskDialogOptions Options;
    void ApplyTo(TAdvTaskDialog& dialog) const {
        dialog.CommonButtons = Common;
        dialog.SetCustomButtons(Custom);
        dialog.Options = Options;
    }
};

// ---- results

TEST_F(MessageFormTest, EachButtonClosesWithItsResult) {
    struct TCase : TButtons {
        const char* Press;
        int Result;
    };
    const TCase cases[] = {
        {"OK", {cbOK}, {}, {}, "OK", 1},
        {"Ja", {cbYes, cbNo}, {}, {}, "Yes", 6},
        {"Nein", {cbYes, cbNo}, {}, {}, "No", 7},
        {"Abbrechen", {cbOK, cbCancel}, {}, {}, "Cancel", 2},
        {"Wiederholen", {cbRetry}, {}, {}, "Retry", 4},
        {"Close alone", {cbClose}, {}, {}, "Abort", 3},
        {"first custom", {}, {"Eins", "Zwei"}, {}, "Button0", 100},
        {"second custom", {cbOK}, {"Eins", "Zwei"}, {}, "Button1", 101},
        {"command link", {}, {"Eins", "Zwei\\nmit Text"}, {doCommandLinks}, "Button1", 101},
        {"no buttons: one OK", {}, {}, {}, "OK", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TAdvTaskDialogEx dialog(nullptr);
        c.ApplyTo(dialog);
        std::vector<int> clicked;
        dialog.OnDialogButtonClick = [&](TComponent*, int id) { clicked.push_back(id); };
        const int result =
            Run(dialog, [&](TAdvMessageForm& form) { PostClick(Named(form, c.Press)); });
        EXPECT_EQ(result, c.Result);
        if (c.Result >= 100)
            EXPECT_EQ(clicked, std::vector<int>{c.Result});
        else
            EXPECT_TRUE(clicked.empty()) << "common buttons raise no event";
    }
}

// Caption, modal result, default and cancel of either kind of button.
struct TButtonState {
    std::string Caption;
    int ModalResult;
    bool Default, Cancel;
    bool operator==(const TButtonState&) const = default;
};
TButtonState StateOf(TWinControl* button) {
    if (auto* b = dynamic_cast<TButton*>(button))
        return {b->Caption(), b->ModalResult, b->Default, b->Cancel};
    auto* g = dynamic_cast<TAdvGlowButton*>(button);
    return {g->Caption(), g->ModalResult, g->Default, g->Cancel};
}

TEST_F(MessageFormTest, ButtonOperationsActOnlyOnTheirOwnButtonClass) {
    TForm owner(nullptr);
    TAdvTaskDialog plain(nullptr);
    TAdvTaskDialogEx glowing(nullptr);
    EXPECT_NE(dynamic_cast<TButton*>(plain.CreateButton(&owner)), nullptr);
    TWinControl* madeGlow = glowing.CreateButton(&owner);
    ASSERT_NE(dynamic_cast<TAdvGlowButton*>(madeGlow), nullptr);
    EXPECT_TRUE(madeGlow->TabStop()) << "the glow buttons take part in tab order";
    for (TAdvTaskDialog* dialog :
         {static_cast<TAdvTaskDialog*>(&plain), static_cast<TAdvTaskDialog*>(&glowing)}) {
        TWinControl* own = dialog->CreateButton(&owner);
        TWinControl* other = dialog == &plain
                                 ? static_cast<TWinControl*>(new TAdvGlowButton(&owner))
                                 : new TButton(&owner);
        for (TWinControl* b : {own, other}) {
            dialog->SetButtonText(b, "&Ja");
            dialog->SetButtonModalResult(b, 6);
            dialog->SetButtonDefault(b, true);
            dialog->SetButtonCancel(b, true);
        }
        EXPECT_EQ(StateOf(own), (TButtonState{"&Ja", 6, true, true}));
        EXPECT_EQ(dialog->GetButtonModalResult(own), 6);
        EXPECT_EQ(StateOf(other), (TButtonState{"", 0, false, false})) << "not its button class";
        EXPECT_EQ(dialog->GetButtonModalResult(other), 0);
    }
}

TEST_F(MessageFormTest, CommonButtonsHaveTheirNamesCaptionsAndGlowWithTabStops) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.CommonButtons = {cbOK, cbYes, cbNo, cbCancel, cbRetry, cbClose};
    TBuilt built(dialog);
    const std::vector<std::pair<std::string, std::string>> expected = {{"OK", "OK"},
                                                                       {"Yes", "&Ja"},
                                                                       {"No", "&Nein"},
                                                                       {"Cancel", "Abbrechen"},
                                                                       {"Retry", "&Wiederholen"},
                                                                       {"Abort", "&Abbrechen"}};
    const auto& buttons = built.Form.CommonButtonList();
    ASSERT_EQ(buttons.size(), expected.size());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i]->Name, expected[i].first);
        EXPECT_EQ(buttons[i]->Caption(), expected[i].second);
        EXPECT_NE(dynamic_cast<TAdvGlowButton*>(buttons[i]), nullptr);
        EXPECT_TRUE(buttons[i]->TabStop());
        EXPECT_GE(buttons[i]->Width(), 60);
        EXPECT_EQ(buttons[i]->Width(), built.Form.CommonButtonWidth(static_cast<TCommonButton>(i)));
        if (i > 0) {
            // Each to the right of the one before.
            EXPECT_GT(buttons[i]->Left(), buttons[i - 1]->Left()) << "in one row, in table order";
        }
    }
    EXPECT_GT(built.Form.CommonButtonWidth(cbRetry), 0) << "measured once per process";
}

TEST_F(MessageFormTest, DefaultButtonMinusOneLeavesNoDefaultAndNoTabStops) {
    const TButtons cases[] = {
        {"common", {cbOK, cbCancel}, {}, {}},
        {"custom", {}, {"Eins", "Zwei"}, {}},
        {"command links", {cbOK}, {"Eins", "Zwei"}, {doCommandLinks}},
    };
    for (const TButtons& c : cases) {
        SCOPED_TRACE(c.Name);
        TAdvTaskDialogEx dialog(nullptr);
        c.ApplyTo(dialog);
        dialog.DefaultButton = -1;
        TBuilt built(dialog);
        std::vector<TWinControl*> all = built.Form.CommonButtonList();
        all.insert(all.end(), built.Form.CustomButtonList().begin(),
                   built.Form.CustomButtonList().end());
        ASSERT_FALSE(all.empty());
        for (TWinControl* b : all) {
            EXPECT_FALSE(b->TabStop()) << b->Name;
            if (auto* glow = dynamic_cast<TAdvGlowButton*>(b)) {
                // No glow button is a default button.
                EXPECT_FALSE(glow->Default) << b->Name;
            }
            if (auto* link = dynamic_cast<TTaskDialogButton*>(b)) {
                // No link button takes the focus on hover.
                EXPECT_FALSE(link->FocusOnHover) << b->Name;
            }
        }
    }
    // The OK made when there are no buttons at all stays the default.
    TAdvTaskDialogEx lone(nullptr);
    lone.DefaultButton = -1;
    TBuilt built(lone);
    ASSERT_EQ(built.Form.CommonButtonList().size(), 1u);
    auto* ok = dynamic_cast<TAdvGlowButton*>(built.Form.CommonButtonList()[0]);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->Default);
    EXPECT_TRUE(ok->TabStop());
}

TEST_F(MessageFormTest, DefaultButtonChoiceAndEnter) {
    struct TCase {
        const char* Name;
        TCommonButtons Common;
        int Default;
        int Result;
    };
    const TCase cases[] = {
        {"0 picks OK", {cbOK, cbCancel}, 0, 1},
        {"0 without OK picks Yes", {cbYes, cbNo}, 0, 6},
        {"2 picks Cancel", {cbOK, cbCancel}, 2, 2},
        {"2 without Cancel picks No", {cbYes, cbNo}, 2, 7},
        {"custom 101 takes the focus", {cbOK}, 101, 101},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TAdvTaskDialogEx dialog(nullptr);
        dialog.CommonButtons = c.Common;
        if (c.Default >= 100)
            dialog.SetCustomButtons({"Eins", "Zwei"});
        dialog.DefaultButton = c.Default;
        EXPECT_EQ(Run(dialog, [](TAdvMessageForm&) { PostKey(WM_KEYDOWN, VK_RETURN); }), c.Result);
    }
}

// ---- keys

TEST_F(MessageFormTest, EscapeClosesOnlyWhenCancellingIsAllowedAndAltF4Never) {
    for (const bool allow : {false, true}) {
        SCOPED_TRACE(allow ? "with doAllowDialogCancel" : "without");
        TAdvTaskDialogEx dialog(nullptr);
        dialog.CommonButtons = {cbOK};
        if (allow)
            dialog.Options = {doAllowDialogCancel};
        const int result = Run(dialog, [](TAdvMessageForm& form) {
            PostKey(WM_SYSKEYDOWN, VK_F4, 1 << 29);
            PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            PostKey(WM_KEYDOWN, VK_ESCAPE);
            // Still open after all that: OK ends it.
            PostClick(form.CommonButtonList()[0]);
        });
        EXPECT_EQ(result, allow ? 2 : 1);
    }
}

TEST_F(MessageFormTest, AcceleratorsPressButtonsAndCommandLinks) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.CommonButtons = {cbYes, cbNo};
    EXPECT_EQ(
        Run(dialog,
            [](TAdvMessageForm& form) { PostMessageA(form.Handle(), WM_SYSCHAR, 'n', 1 << 29); }),
        7);
    TAdvTaskDialogEx links(nullptr);
    links.Options = {doCommandLinks};
    links.SetCustomButtons({"&Speichern", "&Verwerfen\\nalles weg"});
    EXPECT_EQ(
        Run(links,
            [](TAdvMessageForm& form) { PostMessageA(form.Handle(), WM_SYSCHAR, 'v', 1 << 29); }),
        101);
}

std::string ClipboardNow() {
    std::string text;
    if (!OpenClipboard(nullptr))
        return "<clipboard not open>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST_F(MessageFormTest, CtrlCCopiesCaptionInstructionAndPushButtons) {
    const std::string line = "---------------------------\r\n";
    struct TCase {
        const char* Name;
        bool Glow;
        std::string Buttons;
    };
    const TCase cases[] = {
        {"framework push buttons", false, "OK   Nein   "},
        {"glow buttons are not listed", true, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TAdvTaskDialog> dialog = c.Glow
                                                     ? std::make_unique<TAdvTaskDialogEx>(nullptr)
                                                     : std::make_unique<TAdvTaskDialog>(nullptr);
        dialog->SetTitle("Korvandel");
        dialog->SetInstruction("Weiter?");
        dialog->CommonButtons = {cbOK, cbNo};
        std::string copied;
        Run(*dialog, [&](TAdvMessageForm& form) {
            form.Show();
            {
                THeldKeys ctrl({VK_CONTROL});
                MSG msg{GetFocus(), WM_KEYDOWN, 'C', 1, 0, {}};
                form.DialogKey(msg);
            }
            copied = ClipboardNow();
            PostClick(form.CommonButtonList()[0]);
        });
        EXPECT_EQ(copied,
                  line + "Korvandel\r\n" + line + "Weiter?\r\n" + line + c.Buttons + "\r\n" + line);
    }
}

// ---- layout

// The units as the window derives them from its font.
struct TUnitsSeen {
    int HorzMargin, VertMargin, HorzSpacing, VertSpacing, ButtonHeight;
};
TUnitsSeen UnitsOf(const TFont& font) {
    TBitmap b(1, 1);
    b.Canvas().Font = font;
    const SIZE s = b.Canvas().TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int cx = s.cx / 52, cy = s.cy;
    return {MulDiv(8, cx, 4), MulDiv(8, cy, 8), MulDiv(10, cx, 4), MulDiv(10, cy, 8),
            MulDiv(14, cy, 8)};
}

COLORREF PixelOf(TAdvMessageForm& form, int x, int y) {
    const RECT client = form.ClientRect();
    TBitmap image(client.right, client.bottom);
    form.PaintTo(image.Canvas());
    return image.Canvas().Pixel(x, y);
}

TEST_F(MessageFormTest, TheReportLayout) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetTitle("Korvandel");
    dialog.SetInstruction("Kopierergebnis");
    dialog.SetContent("1 Dateien konnten nicht kopiert werden\r\n4 Dateien wurden erfolgreich "
                      "kopiert");
    dialog.Icon = tiWarning;
    dialog.CommonButtons = {cbOK};
    TBuilt built(dialog);
    TAdvMessageForm& form = built.Form;
    const TUnitsSeen u = UnitsOf(form.Font);
    EXPECT_EQ(form.HorzMargin(), u.HorzMargin);
    EXPECT_EQ(form.VertSpacing(), u.VertSpacing);

    ASSERT_NE(form.IconImage(), nullptr);
    EXPECT_EQ(form.IconImage()->Left(), u.HorzMargin);
    EXPECT_EQ(form.IconImage()->Top(), u.VertMargin);
    // The picture is the system's exclamation icon on white.
    TBitmap expected(32, 32);
    expected.Canvas().Brush.SetColor(clWhite);
    expected.Canvas().FillRect(MakeRect(0, 0, 32, 32));
    DrawIconEx(expected.Canvas().Handle(), 0, 0, LoadIcon(nullptr, IDI_WARNING), 32, 32, 0, nullptr,
               DI_NORMAL);
    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            differing +=
                expected.Canvas().Pixel(x, y) != form.IconImage()->Picture.Canvas().Pixel(x, y);
    EXPECT_EQ(differing, 0);

    TLabel* instruction = form.InstructionLabel();
    EXPECT_EQ(instruction->Left(), u.HorzMargin + 32 + u.HorzSpacing);
    EXPECT_EQ(instruction->Top(), u.VertMargin);
    EXPECT_EQ(instruction->Font.Style(), fsBold);
    EXPECT_EQ(instruction->Font.Color(), static_cast<TColor>(RGB(0, 83, 196)));
    EXPECT_EQ(instruction->Caption(), "Kopierergebnis");

    const RECT content = form.ContentRect();
    EXPECT_EQ(content.left, instruction->Left());
    EXPECT_EQ(content.top, instruction->Top() + instruction->Height() + u.VertSpacing);
    EXPECT_GE(content.bottom - content.top, 2 * form.MeasureCanvas().TextHeight("Ag"))
        << "two lines";

    ASSERT_EQ(form.CommonButtonList().size(), 1u);
    TWinControl* ok = form.CommonButtonList()[0];
    EXPECT_GE(ok->Width(), 60);
    EXPECT_EQ(ok->Height(), u.ButtonHeight);
    EXPECT_GE(ok->Top(), content.bottom);
    EXPECT_EQ(form.BandTop(), ok->Top());
    const RECT client = form.ClientRect();
    EXPECT_EQ(ok->Left() + ok->Width(), client.right - u.HorzSpacing - 4);
    EXPECT_EQ(client.bottom, ok->Top() + ok->Height() + u.VertMargin);

    // Nothing in the report needs more than the minimum width.
    TBitmap bold(1, 1);
    bold.Canvas().Font = instruction->Font;
    ASSERT_LT(bold.Canvas().TextWidth("Kopierergebnis") + 32 + u.HorzSpacing + 2 * u.HorzMargin,
              350);
    EXPECT_EQ(client.right, 350);

    // White above the band, grey band behind the button, its line on top.
    const int bandTop = form.BandTop() - u.VertSpacing / 2;
    EXPECT_EQ(PixelOf(form, 2, bandTop - 2), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(form, 2, bandTop), RGB(223, 223, 223));
    EXPECT_EQ(PixelOf(form, 2, client.bottom - 2), RGB(240, 240, 240));

    // A long instruction widens the window beyond the minimum, wrapping at
    // half the screen.
    TAdvTaskDialogEx wide(nullptr);
    std::string words;
    for (int i = 0; i < 12; ++i)
        words += "Kopierergebnis ";
    wide.SetInstruction(words);
    wide.Icon = tiWarning;
    TBuilt wider(wide);
    const TLabel* wrapped = wider.Form.InstructionLabel();
    EXPECT_LE(wrapped->Width(), GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_GT(wrapped->Height(), bold.Canvas().TextHeight("Ag")) << "more than one line";
    EXPECT_EQ(wider.Form.ClientRect().right,
              wrapped->Width() + 32 + u.HorzSpacing + 2 * u.HorzMargin);
}

TEST_F(MessageFormTest, OnEveryScreenTheInstructionIsLargerThanTheContentAndAllOfItFits) {
    // The system's message font follows the screen: 8 points (Tahoma before
    // Vista) or 9 (Segoe UI from Vista on).
    for (const int ppi : {96, 120, 144})
        for (const int points : {8, 9}) {
            SCOPED_TRACE(std::to_string(ppi) + " pixels per inch, message font of " +
                         std::to_string(points) + " points");
            TScreenResolution screen(ppi);
            TAdvTaskDialogEx dialog(nullptr);
            dialog.SetInstruction("Kopierergebnis");
            dialog.SetContent("1 Dateien konnten nicht kopiert werden\r\n4 Dateien wurden "
                              "erfolgreich kopiert");
            dialog.Icon = tiWarning;
            dialog.CommonButtons = {cbOK};
            TEmulatedTaskDialogFace face(dialog);
            TAdvMessageForm form(nullptr, face);
            // The message font in pixels, as the system gives it on this screen.
            form.Font.SetHeight(MulDiv(points, ppi, 72));
            form.BuildDialog();

            TBitmap measure(1, 1);
            TLabel* instruction = form.InstructionLabel();
            measure.Canvas().Font = instruction->Font;
            const SIZE title = measure.Canvas().TextExtent("Kopierergebnis");
            measure.Canvas().Font = form.Font;
            const int line = measure.Canvas().TextHeight("Ag");
            EXPECT_GT(title.cy, line) << "the instruction is the larger text";
            EXPECT_GE(instruction->Width(), title.cx);
            EXPECT_GE(instruction->Height(), title.cy);
            // The report's two lines keep to two lines and stand above the button.
            const RECT content = form.ContentRect();
            EXPECT_EQ(content.bottom - content.top, 2 * line);
            EXPECT_GE(form.CommonButtonList()[0]->Top(), content.bottom);
            EXPECT_LE(content.right, form.ClientRect().right);
        }
}

TEST_F(MessageFormTest, TheFooterShowsItsIconBesideTheText) {
    // The shield is our own picture; the others are the system's icons.
    TGdiObject<HBITMAP> shield(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), "TD_SHIELD", IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(shield);
    BITMAP shieldSize{};
    GetObjectA(shield.Get(), sizeof(shieldSize), &shieldSize);
    struct TCase {
        TTaskDialogFooterIcon Icon;
        LPCSTR SystemIcon;
    };
    for (const TCase c : {TCase{tfiShield, nullptr}, TCase{tfiWarning, IDI_WARNING},
                          TCase{tfiInformation, IDI_INFORMATION}}) {
        SCOPED_TRACE(static_cast<int>(c.Icon));
        TAdvTaskDialogEx dialog(nullptr);
        dialog.SetInstruction("Kopierergebnis");
        dialog.SetFooter("Fu\xDFzeile");
        dialog.FooterIcon = c.Icon;
        TBuilt built(dialog);
        TAdvMessageForm& form = built.Form;
        const RECT footer = form.FooterRect();
        const RECT client = form.ClientRect();
        TBitmap painted(client.right, client.bottom);
        // Twice, as a window paints again and again.
        form.PaintTo(painted.Canvas());
        form.PaintTo(painted.Canvas());

        TBitmap expected(16, 16);
        expected.Canvas().Brush.SetColor(painted.Canvas().Pixel(footer.left, footer.top));
        if (c.SystemIcon) {
            expected.Canvas().FillRect(MakeRect(0, 0, 16, 16));
            DrawIconEx(expected.Canvas().Handle(), 0, 0, LoadIcon(nullptr, c.SystemIcon), 16, 16, 0,
                       nullptr, DI_NORMAL);
        } else {
            HDC dc = CreateCompatibleDC(expected.Canvas().Handle());
            {
                TSelectScope select(dc, shield.Get());
                SetStretchBltMode(expected.Canvas().Handle(), HALFTONE);
                StretchBlt(expected.Canvas().Handle(), 0, 0, 16, 16, dc, 0, 0, shieldSize.bmWidth,
                           shieldSize.bmHeight, SRCCOPY);
            }
            DeleteDC(dc);
        }
        int differing = 0, coloured = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const COLORREF seen = painted.Canvas().Pixel(footer.left + x, footer.top + y);
                differing += seen != expected.Canvas().Pixel(x, y);
                coloured +=
                    GetRValue(seen) != GetGValue(seen) || GetGValue(seen) != GetBValue(seen);
            }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(coloured, 16) << "an icon, not the bare band";
    }
}

TEST_F(MessageFormTest, ReportOkReturnsOne) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetTitle("Korvandel");
    dialog.SetInstruction("Kopierergebnis");
    dialog.SetContent("Alle 5 Dateien wurden erfolgreich kopiert.");
    dialog.Icon = tiInformation;
    dialog.CommonButtons = {cbOK};
    std::string caption;
    EXPECT_EQ(Run(dialog,
                  [&](TAdvMessageForm& form) {
                      char text[64] = {};
                      GetWindowTextA(form.Handle(), text, sizeof(text));
                      caption = text;
                      PostClick(form.CommonButtonList()[0]);
                  }),
              1);
    EXPECT_EQ(caption, "Korvandel");
}

TEST_F(MessageFormTest, ClientWidthStopsAtTheScreen) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetTitle(std::string(400, 'W'));
    TBuilt built(dialog);
    EXPECT_EQ(built.Form.ClientRect().right,
              GetSystemMetrics(SM_CXSCREEN) - 2 * GetSystemMetrics(SM_CYEDGE));
}

TEST_F(MessageFormTest, CommandLinksStartAtTheLeftEdgeWithoutIconAndBesideItWithOne) {
    for (const bool icon : {false, true}) {
        SCOPED_TRACE(icon ? "with icon" : "without icon");
        TAdvTaskDialogEx dialog(nullptr);
        dialog.SetInstruction("Was nun?");
        dialog.Icon = icon ? tiQuestion : tiNotUsed;
        dialog.Options = {doCommandLinks};
        dialog.SetCustomButtons({"Eins", "Zwei"});
        TBuilt built(dialog);
        const auto& links = built.Form.CustomButtonList();
        ASSERT_EQ(links.size(), 2u);
        const int left = icon ? built.Form.TextLeft() : 0;
        EXPECT_EQ(built.Form.InstructionLabel()->Left(),
                  icon ? built.Form.HorzMargin() + 32 + built.Form.HorzSpacing()
                       : built.Form.HorzMargin());
        for (TWinControl* link : links) {
            EXPECT_NE(dynamic_cast<TTaskDialogButton*>(link), nullptr);
            EXPECT_EQ(link->Left(), left);
            EXPECT_EQ(link->Left() + link->Width(),
                      built.Form.ClientRect().right - built.Form.HorzMargin());
        }
        EXPECT_EQ(links[1]->Top(), links[0]->Top() + links[0]->Height() + 2);
    }
}

TEST_F(MessageFormTest, ExpandingAndCollapsingRearranges) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetInstruction("Fehler");
    dialog.SetContent("Kurz");
    dialog.SetExpandedText("Zeile eins\\nZeile zwei\\nZeile drei");
    dialog.ExpandControlText = "Weniger";
    dialog.CollapsControlText = "&Mehr";
    dialog.CommonButtons = {cbOK};
    TBuilt built(dialog);
    TAdvMessageForm& form = built.Form;
    ASSERT_NE(form.ExpandButton(), nullptr);
    EXPECT_FALSE(form.Expanded()) << "collapsed without doExpandedDefault";
    const int collapsedHeight = form.ClientRect().bottom;
    const int collapsedButtonTop = form.CommonButtonList()[0]->Top();
    EXPECT_EQ(form.ExpandButton()->Top(), collapsedButtonTop);

    form.ToggleExpanded();
    ASSERT_TRUE(form.Expanded());
    const RECT expanded = form.ExpandedRect();
    const int grown = expanded.bottom - expanded.top + form.VertSpacing();
    EXPECT_GE(expanded.bottom - expanded.top, 3 * form.MeasureCanvas().TextHeight("Ag"))
        << "three lines";
    EXPECT_EQ(form.ClientRect().bottom, collapsedHeight + grown);
    EXPECT_EQ(form.CommonButtonList()[0]->Top(), collapsedButtonTop + grown);
    EXPECT_EQ(form.ExpandButton()->Top(), collapsedButtonTop + grown);

    form.ToggleExpanded();
    EXPECT_EQ(form.ClientRect().bottom, collapsedHeight);

    // The collapsed text's accelerator expands it while shown.
    TAdvTaskDialogEx shown(nullptr);
    shown.SetExpandedText("mehr");
    shown.CollapsControlText = "&Mehr";
    shown.CommonButtons = {cbOK};
    bool expandedThen = false;
    shown.OnDialogClose = [&](TComponent*, bool&) {
        expandedThen = EmulatedForm(shown)->Expanded();
    };
    Run(shown, [](TAdvMessageForm& f) {
        PostMessageA(f.Handle(), WM_SYSCHAR, 'm', 1 << 29);
        PostClick(f.CommonButtonList()[0]);
    });
    EXPECT_TRUE(expandedThen);
}

// ---- interaction

TEST_F(MessageFormTest, CloseQueryRefusingKeepsTheWindowOpen) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.CommonButtons = {cbOK};
    int asked = 0;
    bool visibleAfterRefusal = false;
    dialog.OnDialogClose = [&](TComponent*, bool& canClose) {
        EXPECT_TRUE(canClose);
        if (++asked == 1) {
            canClose = false;
            PostClick(EmulatedForm(dialog)->CommonButtonList()[0]);
        } else
            visibleAfterRefusal = IsWindowVisible(EmulatedForm(dialog)->Handle()) != FALSE;
    };
    EXPECT_EQ(Run(dialog, [](TAdvMessageForm& form) { PostClick(form.CommonButtonList()[0]); }), 1);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(visibleAfterRefusal);
}

TEST_F(MessageFormTest, RadioVerificationTimerAndProgress) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.CommonButtons = {cbOK};
    dialog.SetRadioButtons({"eins", "zwei", "drei"});
    dialog.DefaultRadioButton = 202;
    dialog.VerificationText = "Nicht mehr fragen";
    dialog.Options = {doProgressBar};
    dialog.ProgressBarMin = 10;
    dialog.ProgressBarMax = 50;
    std::vector<int> radios;
    std::vector<bool> checks;
    int ticks = 0;
    dialog.OnDialogRadioClick = [&](TComponent*, int id) { radios.push_back(id); };
    dialog.OnDialogVerifyClick = [&](TComponent*, bool checked) { checks.push_back(checked); };
    dialog.OnDialogTimer = [&](TComponent*) { ++ticks; };
    dialog.OnDialogProgress = [&](TComponent*, int& pos, TTaskDialogProgressState&) { pos += 7; };
    int chosenAtStart = 0, position = 0;
    bool checkedThird = false;
    Run(dialog, [&](TAdvMessageForm& form) {
        chosenAtStart = dialog.ChosenRadioButton;
        checkedThird = form.RadioList()[2]->Checked();
        EXPECT_EQ(form.ProgressBar()->Min(), 10);
        EXPECT_EQ(form.ProgressBar()->Max(), 50);
        EXPECT_EQ(form.ProgressBar()->Width(), form.ClientRect().right - 2 * form.HorzMargin());
        ASSERT_NE(form.Timer(), nullptr);
        EXPECT_EQ(form.Timer()->Interval(), 100u);
        form.TimerTick();
        form.TimerTick();
        position = form.ProgressBar()->Position();
        form.Show();
        SendMessageA(form.RadioList()[1]->Handle(), BM_CLICK, 0, 0);
        SendMessageA(form.VerifyCheckBox()->Handle(), BM_CLICK, 0, 0);
        PostClick(form.CommonButtonList()[0]);
    });
    EXPECT_EQ(chosenAtStart, 202);
    EXPECT_TRUE(checkedThird);
    EXPECT_GE(ticks, 2);
    EXPECT_GE(position, 10 + 14 - 10) << "the bar follows the handler's position";
    EXPECT_EQ(radios, std::vector<int>{201});
    EXPECT_EQ(dialog.ChosenRadioButton, 201);
    EXPECT_EQ(checks, std::vector<bool>{true});
    EXPECT_TRUE(dialog.VerificationChecked);
}

TEST_F(MessageFormTest, ContentChangesWhileShownLayTheWindowOutAgain) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetInstruction("Bitte warten");
    dialog.SetContent("eine Zeile");
    dialog.CommonButtons = {cbOK};
    int before = 0, after = 0;
    Run(dialog, [&](TAdvMessageForm& form) {
        before = form.ClientRect().bottom;
        dialog.SetContent("eins\\nzwei\\ndrei");
        after = form.ClientRect().bottom;
        PostClick(form.CommonButtonList()[0]);
    });
    TBitmap b(1, 1);
    TEmulatedTaskDialogFace face(dialog);
    b.Canvas().Font = TAdvMessageForm(nullptr, face).Font;
    EXPECT_EQ(after - before, 2 * b.Canvas().TextHeight("Ag"));
}

TEST_F(MessageFormTest, AnInstructionGivenWhileShownAppearsWideEnoughForItsAmpersands) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetContent("eine Zeile");
    dialog.CommonButtons = {cbOK};
    const std::string instruction = "Sichern & Kopieren & Weiter";
    bool hiddenAtFirst = false, shownLater = false;
    int labelWidth = 0, expectedWidth = 0;
    Run(dialog, [&](TAdvMessageForm& form) {
        hiddenAtFirst = !form.InstructionLabel()->Visible();
        dialog.SetInstruction(instruction);
        shownLater = form.InstructionLabel()->Visible();
        labelWidth = form.InstructionLabel()->Width();
        // The label draws "&" as it is; its measure must too.
        TCanvas& canvas = form.MeasureCanvas();
        canvas.Font = form.Font;
        canvas.Font.SetSize(11);
        canvas.Font.SetStyle(fsBold);
        RECT r = MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0);
        canvas.DrawText(instruction, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        expectedWidth = r.right - r.left;
        PostClick(form.CommonButtonList()[0]);
    });
    EXPECT_TRUE(hiddenAtFirst);
    EXPECT_TRUE(shownLater);
    EXPECT_GE(labelWidth, expectedWidth);
}

TEST_F(MessageFormTest, TheWindowBelongsToTheFormItReportsTo) {
    TOwnerAndMainForms forms(*app);
    TForm& owner = forms.Owner;
    TForm& main = forms.Main;
    for (const bool applicationIsParent : {false, true}) {
        SCOPED_TRACE(applicationIsParent ? "application is parent" : "owner form");
        TAdvTaskDialogEx dialog(&owner);
        dialog.ApplicationIsParent = applicationIsParent;
        dialog.CommonButtons = {cbOK};
        HWND ownerWindow = nullptr;
        RECT bounds{};
        Run(dialog, [&](TAdvMessageForm& form) {
            ownerWindow = GetWindow(form.Handle(), GW_OWNER);
            bounds = form.BoundsRect();
            PostClick(form.CommonButtonList()[0]);
        });
        EXPECT_EQ(ownerWindow, applicationIsParent ? main.Handle() : owner.Handle());
        // Centred on the screen, halves taken apart.
        EXPECT_EQ(bounds.left,
                  GetSystemMetrics(SM_CXSCREEN) / 2 - (bounds.right - bounds.left) / 2);
        EXPECT_EQ(bounds.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (bounds.bottom - bounds.top) / 2);
    }
    app->SetMainForm(nullptr);
}

TEST_F(MessageFormTest, OnceShownTheWindowIsCentredOnTheScreenOrOnItsOwnerForm) {
    TForm owner(nullptr);
    owner.SetBounds(40, 60, 500, 400);
    owner.Show();
    const RECT screen =
        MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    for (const TTaskDialogPosition position : {dpScreenCenter, dpOwnerFormCenter}) {
        SCOPED_TRACE(position == dpScreenCenter ? "screen" : "owner form");
        TAdvTaskDialogEx dialog(&owner);
        dialog.DialogPosition = position;
        dialog.CommonButtons = {cbOK};
        // Read where the system shows it, while it is up.
        RECT shown{};
        bool visible = false;
        dialog.OnDialogClose = [&](TComponent*, bool&) {
            GetWindowRect(EmulatedForm(dialog)->Handle(), &shown);
            visible = IsWindowVisible(EmulatedForm(dialog)->Handle()) != FALSE;
        };
        Run(dialog, [](TAdvMessageForm& form) { PostClick(form.CommonButtonList()[0]); });
        ASSERT_TRUE(visible);
        RECT around{};
        if (position == dpScreenCenter)
            around = screen;
        else
            GetWindowRect(owner.Handle(), &around);
        const int width = shown.right - shown.left, height = shown.bottom - shown.top;
        // Integer halves: one pixel either way.
        EXPECT_NEAR(shown.left, (around.left + around.right) / 2 - width / 2, 1);
        EXPECT_NEAR(shown.top, (around.top + around.bottom) / 2 - height / 2, 1);
    }
}

TEST_F(MessageFormTest, AccessKeysSelectARadioButtonAndToggleTheCheckBoxAsAClickDoes) {
    TAdvTaskDialogEx dialog(nullptr);
    dialog.CommonButtons = {cbOK};
    dialog.SetRadioButtons({"&Eins", "&Zwei", "&Drei"});
    dialog.VerificationText = "&Nicht mehr fragen";
    std::vector<int> radios;
    std::vector<bool> checks;
    dialog.OnDialogRadioClick = [&](TComponent*, int id) { radios.push_back(id); };
    dialog.OnDialogVerifyClick = [&](TComponent*, bool checked) { checks.push_back(checked); };
    // What the window shows when it closes.
    std::vector<bool> radiosShown;
    bool boxShown = false;
    dialog.OnDialogClose = [&](TComponent*, bool&) {
        for (TRadioButton* radio : EmulatedForm(dialog)->RadioList())
            radiosShown.push_back(radio->Checked());
        boxShown = EmulatedForm(dialog)->VerifyCheckBox()->Checked();
    };
    Run(dialog, [](TAdvMessageForm& form) {
        for (const char key : {'z', 'n', 'd', 'n', 'n'})
            PostMessageA(form.Handle(), WM_SYSCHAR, key, 1 << 29);
        PostClick(form.CommonButtonList()[0]);
    });
    EXPECT_EQ(radios, (std::vector<int>{201, 202}));
    EXPECT_EQ(radiosShown, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(dialog.ChosenRadioButton, 202);
    EXPECT_EQ(checks, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(dialog.VerificationChecked);
}

TEST_F(MessageFormTest, AWordWiderThanTheLineBreaksWhereItDoesNotFit) {
    // A path without blanks, far wider than the window's minimum.
    std::string path = "C:\\";
    for (int i = 0; path.size() < 400; ++i)
        path += "Verzeichnis" + std::to_string(i) + "\\";
    for (const bool expanded : {false, true}) {
        SCOPED_TRACE(expanded ? "extra information" : "content");
        TAdvTaskDialogEx dialog(nullptr);
        dialog.SetInstruction("Kopierergebnis");
        dialog.CommonButtons = {cbOK};
        if (expanded) {
            dialog.SetExpandedText(path);
            dialog.Options = {doExpandedDefault};
        } else
            dialog.SetContent(path);
        TBuilt built(dialog);
        TAdvMessageForm& form = built.Form;
        const RECT r = expanded ? form.ExpandedRect() : form.ContentRect();
        TCanvas& canvas = form.MeasureCanvas();
        canvas.Font = form.Font;
        const int lineHeight = canvas.TextHeight("Ag");
        const int lineWidth = r.right - r.left;
        // No line holds more than fits, so at least this many lines.
        const int lines = (canvas.TextWidth(path) + lineWidth - 1) / lineWidth;
        ASSERT_GE(lines, 3) << "the path must be wider than two lines";
        ASSERT_GE(r.bottom - r.top, lines * lineHeight) << "the measure holds the broken lines";

        // Every line of the block shows text: nothing is cut off at the right.
        TBitmap image(form.ClientRect().right, form.ClientRect().bottom);
        form.PaintTo(image.Canvas());
        for (int line = 0; line < lines; ++line) {
            int ink = 0;
            for (int y = r.top + line * lineHeight; y < r.top + (line + 1) * lineHeight; ++y)
                for (int x = r.left; x < r.right; ++x)
                    ink += image.Canvas().Pixel(x, y) != RGB(255, 255, 255);
            EXPECT_GT(ink, 0) << "line " << line;
        }
    }
}

TEST_F(MessageFormTest, LinksShowTheHandAndOpenOrReachTheHandler) {
    for (const bool handler : {false, true}) {
        SCOPED_TRACE(handler ? "with a handler" : "without a handler");
        opened.clear();
        TAdvTaskDialogEx dialog(nullptr);
        dialog.SetInstruction("Hilfe");
        dialog.SetContent("Siehe <a href=\"https://example.org/hilfe\">die Hilfe</a> dazu.");
        dialog.Options = {doHyperlinks};
        dialog.CommonButtons = {cbOK};
        std::vector<std::string> handled;
        if (handler)
            dialog.OnDialogHyperlinkClick = [&](TComponent*, const std::string& href) {
                handled.push_back(href);
            };
        std::string hover;
        TCursor cursorOnLink = TCursor::crDefault, cursorAway = TCursor::crHandPoint;
        Run(dialog, [&](TAdvMessageForm& form) {
            form.Show();
            const RECT content = form.ContentRect();
            const int y = (content.top + content.bottom) / 2;
            for (int x = content.left; x < content.right && form.HoverLink().empty(); ++x)
                SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
            hover = form.HoverLink();
            cursorOnLink = form.Cursor();
            // Press where the hand showed.
            for (int x = content.left; x < content.right; ++x) {
                SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
                if (!form.HoverLink().empty()) {
                    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
                    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
                    break;
                }
            }
            SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
            cursorAway = form.Cursor();
            PostClick(form.CommonButtonList()[0]);
        });
        EXPECT_EQ(hover, "https://example.org/hilfe");
        EXPECT_EQ(cursorOnLink, TCursor::crHandPoint);
        EXPECT_EQ(cursorAway, TCursor::crDefault);
        if (handler) {
            EXPECT_EQ(handled, std::vector<std::string>{"https://example.org/hilfe"});
            EXPECT_TRUE(opened.empty());
        } else
            EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/hilfe"});
    }
}

TEST_F(MessageFormTest, WithoutHyperlinksTheContentHoldsNoLink) {
    // Drawn as plain text, the markup shows as it is written: no hand over
    // it, and a click opens nothing. The footer is markup either way.
    opened.clear();
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetInstruction("Hilfe");
    dialog.SetContent("Siehe <a href=\"https://example.org/hilfe\">die Hilfe</a> dazu.");
    dialog.SetFooter("Mehr <a href=\"https://example.org/mehr\">im Netz</a>");
    dialog.CommonButtons = {cbOK};
    std::vector<std::string> contentLinks;
    std::string footerLink;
    Run(dialog, [&](TAdvMessageForm& form) {
        form.Show();
        const RECT content = form.ContentRect();
        for (int y = content.top; y < content.bottom; ++y)
            for (int x = content.left; x < content.right; ++x) {
                SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
                if (!form.HoverLink().empty())
                    contentLinks.push_back(form.HoverLink());
                SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
                SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            }
        const RECT footer = form.FooterTextRect();
        const int y = footer.top + form.MeasureCanvas().TextHeight("Ag") / 2;
        for (int x = footer.left; x < footer.right && footerLink.empty(); ++x) {
            SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
            footerLink = form.HoverLink();
        }
        PostClick(form.CommonButtonList()[0]);
    });
    EXPECT_TRUE(contentLinks.empty());
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(footerLink, "https://example.org/mehr");
}

} // namespace
