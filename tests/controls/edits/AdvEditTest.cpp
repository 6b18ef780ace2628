// The labelled edit on real windows: where its label stands and how it keeps
// in step, the disabled and focused looks, and the keys, paste and focus entry.
#include "controls/edits/AdvEdit.h"
#include "tests/support/VistaAnswer.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr TColor kPanelTextColor = 7485192;

class AdvEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App = FreshApplication();
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(100, 100, 400, 240);
        Panel = new TPanel(Form.get());
        Panel->SetBounds(0, 0, 400, 200);
        Panel->Font.SetColor(kPanelTextColor);
        Panel->SetParent(Form.get());
        First = new TEdit(Form.get());
        First->SetBounds(10, 10, 60, 21);
        First->SetParent(Panel);
        Edit = MakeEdit(Panel, 120, 60, 150, 21);
        Form->Show();
        App->ProcessMessages();
    }
    void TearDown() override {
        Form.reset();
        App.reset();
    }

    TAdvEdit* MakeEdit(TWinControl* parent, int left, int top, int width, int height) {
        auto* edit = new TAdvEdit(Form.get());
        edit->SetBounds(left, top, width, height);
        edit->SetParent(parent);
        edit->SetLabelCaption("&Name");
        return edit;
    }

    void Key(HWND target, WPARAM key) {
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
        App->ProcessMessages();
    }

    void Type(const std::string& text) {
        for (char c : text)
            SendMessageA(Edit->Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    }

    std::pair<DWORD, DWORD> Selection() const {
        DWORD start = 0, end = 0;
        SendMessageA(Edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    std::unique_ptr<TApplication> App;
    std::unique_ptr<TForm> Form;
    TPanel* Panel = nullptr;
    TEdit* First = nullptr;
    TAdvEdit* Edit = nullptr;
};

TEST_F(AdvEditTest, TheLabelStandsByEachOfTheThirteenRules) {
    // A wide edit, and one narrower than its label for the centred rules.
    for (const int width : {150, 8}) {
        SCOPED_TRACE(width);
        Edit->SetBounds(120, 60, width, 21);
        Edit->SetLabelMargin(5);
        TLabel* label = Edit->EditLabel();
        ASSERT_NE(label, nullptr);
        const int w = label->TextSize().cx, lw = label->Width(), lh = label->Height();
        ASSERT_GT(w, 0);
        const int left = 120, top = 60, height = 21, m = 5;
        const int centred = width > lw ? left + (width - lw) / 2 : left - (lw - width) / 2;
        const struct {
            TLabelPosition Position;
            int Left, Top;
        } cases[] = {
            {lpLeftTop, left - w - m, top},
            {lpLeftCenter, left - w - m, top + (height - lh) / 2},
            {lpLeftBottom, left - w - m, top + height - lh},
            {lpTopLeft, left, top - lh - m},
            {lpBottomLeft, left, top + height + m},
            {lpLeftTopLeft, left - m, top},
            {lpLeftCenterLeft, left - m, top + (height - lh) / 2},
            {lpLeftBottomLeft, left - m, top + height - lh},
            {lpTopCenter, centred, top - lh - m},
            {lpBottomCenter, centred, top + height + m},
            {lpRightTop, left + width + m, top},
            {lpRightCenter, left + width + m, top + (height - lh) / 2},
            {lpRightBottom, left + width + m, top + height - lh},
        };
        for (const auto& c : cases) {
            Edit->SetLabelPosition(c.Position);
            EXPECT_EQ(label->Left(), c.Left) << "rule " << c.Position;
            EXPECT_EQ(label->Top(), c.Top) << "rule " << c.Position;
        }
    }
}

TEST_F(AdvEditTest, TheLabelMovesHidesChangesParentAndGoesWithTheEdit) {
    Edit->SetLabelPosition(lpLeftCenter);
    TLabel* label = Edit->EditLabel();
    EXPECT_EQ(label->Parent(), Panel);
    const int gap = Edit->Left() - label->Left();
    Edit->SetBounds(200, 100, 120, 25);
    EXPECT_EQ(label->Left(), 200 - gap);
    EXPECT_EQ(label->Top(), 100 + (25 - label->Height()) / 2);

    Edit->Hide();
    EXPECT_FALSE(label->Visible());
    Edit->Show();
    EXPECT_TRUE(label->Visible());

    auto* other = new TPanel(Form.get());
    other->SetBounds(0, 200, 400, 40);
    other->SetParent(Form.get());
    Edit->SetParent(other);
    EXPECT_EQ(label->Parent(), other);
    ASSERT_EQ(other->Controls().size(), 2u) << "the edit and its label";

    const std::size_t components = Form->Components().size();
    delete Edit;
    Edit = nullptr;
    EXPECT_TRUE(other->Controls().empty()) << "the label left its parent";
    EXPECT_EQ(Form->Components().size(), components - 1);
}

TEST_F(AdvEditTest, TheLabelShowsTheParentsFontUntilTheEditsFontIsChanged) {
    Edit->LabelFont.SetName("Arial");
    Edit->LabelFont.SetColor(clWindowText);
    TLabel* label = Edit->EditLabel();
    EXPECT_EQ(label->Font.Color(), kPanelTextColor);
    Panel->Font.SetColor(clNavy);
    EXPECT_EQ(label->Font.Color(), clNavy) << "a change of the parent's font reaches it";

    // The first focus entry sets the edit's font colour.
    Edit->SetFocus();
    EXPECT_EQ(Edit->Font.Color(), clWindowText);
    EXPECT_FALSE(Edit->ParentFont());
    EXPECT_EQ(label->Font.Color(), clWindowText);
    EXPECT_EQ(label->Font.Name(), "Arial");
    Panel->Font.SetColor(clMaroon);
    EXPECT_EQ(label->Font.Color(), clWindowText);

    // Leaving brings back the colour the edit had on entry.
    First->SetFocus();
    EXPECT_EQ(Edit->Font.Color(), clNavy);

    // The accelerator of the caption focuses the edit.
    PostMessageA(Form->Handle(), WM_SYSCHAR, 'n', 0);
    App->ProcessMessages();
    EXPECT_TRUE(Edit->Focused());
}

TEST_F(AdvEditTest, DisabledItShowsItsOwnColourAndEnabledTheOneLastAssigned) {
    const struct {
        const char* Name;
        TColor AssignedWhileDisabled; // clNone: none
        TColor Restored;
    } cases[] = {
        {"plain", clNone, clWindow},
        {"colour changed while disabled", clYellow, clYellow},
        {"the disabled colour itself assigned", clSilver, clSilver},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Edit->SetColor(clWindow);
        Edit->SetEnabled(false);
        EXPECT_EQ(Edit->Color(), clSilver);
        EXPECT_FALSE(Edit->EditLabel()->Enabled());
        if (c.AssignedWhileDisabled != clNone)
            Edit->SetColor(c.AssignedWhileDisabled);
        Edit->SetEnabled(true);
        EXPECT_EQ(Edit->Color(), c.Restored);
        EXPECT_TRUE(Edit->EditLabel()->Enabled());
    }

    Edit->SetDisabledColor(clAqua);
    Edit->SetLabelAlwaysEnabled(true);
    Edit->SetEnabled(false);
    EXPECT_EQ(Edit->Color(), clAqua);
    EXPECT_TRUE(Edit->EditLabel()->Enabled());
}

// Counts the pixels of one colour inside a rectangle of a bitmap.
int CountPixels(TBitmap& bitmap, const RECT& r, COLORREF colour) {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (bitmap.Canvas().Pixel(x, y) == colour)
                ++count;
    return count;
}

TEST_F(AdvEditTest, ADisabledLabelIsDrawnEmbossed) {
    Panel->SetColor(clWhite);
    Panel->Font.SetColor(clBlack);
    const RECT area = Edit->EditLabel()->BoundsRect();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    TBitmap bitmap(400, 200);
    const auto paint = [&] {
        bitmap.Canvas().Brush.SetColor(clWhite);
        bitmap.Canvas().FillRect(MakeRect(0, 0, 400, 200));
        Panel->PaintTo(bitmap.Canvas());
    };
    paint();
    EXPECT_GT(CountPixels(bitmap, area, RGB(0, 0, 0)), 0);
    EXPECT_EQ(CountPixels(bitmap, area, shadow), 0);

    Edit->SetEnabled(false);
    // On a silver background the highlight shows as well as the shadow.
    Panel->SetColor(clSilver);
    paint();
    EXPECT_EQ(CountPixels(bitmap, area, RGB(0, 0, 0)), 0);
    EXPECT_GT(CountPixels(bitmap, area, shadow), 0);
    EXPECT_GT(CountPixels(bitmap, area, light), 0);
}

// The pixel of the window's outermost frame, top-left and bottom-right.
std::pair<COLORREF, COLORREF> FrameCorners(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r;
    GetWindowRect(hwnd, &r);
    HDC dc = GetWindowDC(hwnd);
    const std::pair<COLORREF, COLORREF> corners{
        GetPixel(dc, 0, 0), GetPixel(dc, r.right - r.left - 1, r.bottom - r.top - 1)};
    ReleaseDC(hwnd, dc);
    return corners;
}

TEST_F(AdvEditTest, ASilverFrameMarksADisabledEditWithCommonControls6Only) {
    const COLORREF silver = RGB(192, 192, 192);
    for (const bool comctl6 : {true, false}) {
        SCOPED_TRACE(comctl6 ? "common controls 6" : "older common controls");
        const TComCtl6Answer answer(comctl6);
        TAdvEdit* edit = MakeEdit(Panel, 120, 120, 150, 21);
        App->ProcessMessages();
        const auto enabled = FrameCorners(edit->Handle());
        EXPECT_NE(enabled.second, silver) << "no frame while enabled";

        edit->SetEnabled(false);
        App->ProcessMessages();
        const auto disabled = FrameCorners(edit->Handle());
        EXPECT_EQ(disabled.first == silver && disabled.second == silver, comctl6);

        edit->SetDisabledBorder(false);
        App->ProcessMessages();
        EXPECT_NE(FrameCorners(edit->Handle()).second, silver) << "DisabledBorder off";
        delete edit;
    }
}

TEST_F(AdvEditTest, FocusColoursComeAndGoWithTheFocus) {
    Edit->FocusColor = clYellow;
    Edit->SetColor(clAqua);
    Edit->SetFocus();
    EXPECT_EQ(Edit->Color(), clYellow);
    First->SetFocus();
    EXPECT_EQ(Edit->Color(), clAqua);
}

TEST_F(AdvEditTest, EscapeBringsBackTheTextOfTheFocusEntryAndSelectsIt) {
    Edit->SetText("start");
    Edit->SetFocus();
    Type("xy");
    ASSERT_EQ(Edit->Text(), "xy") << "typing replaced the selected text";
    ASSERT_TRUE(Edit->Modified());
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        Key(Edit->Handle(), VK_ESCAPE);
        EXPECT_EQ(Edit->Text(), "start");
        EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{5}));
        EXPECT_FALSE(Edit->Modified());
        EXPECT_TRUE(Edit->Focused());
    }

    Edit->CanUndo = false;
    Type("z");
    Key(Edit->Handle(), VK_ESCAPE);
    EXPECT_EQ(Edit->Text(), "z");
}

TEST_F(AdvEditTest, DeleteMarksTheEditModifiedEvenAtTheEnd) {
    Edit->SetText("abc");
    Edit->SetFocus();
    SendMessageA(Edit->Handle(), EM_SETSEL, 3, 3);
    ASSERT_FALSE(Edit->Modified());
    Key(Edit->Handle(), VK_DELETE);
    EXPECT_EQ(Edit->Text(), "abc");
    EXPECT_TRUE(Edit->Modified());

    Edit->SetText("abc");
    Edit->SetReadOnly(true);
    Key(Edit->Handle(), VK_DELETE);
    EXPECT_FALSE(Edit->Modified()) << "a read-only edit is not changed";
}

TEST_F(AdvEditTest, ReturnNeverBreaksTheLineButReachesTheDefaultButton) {
    auto* ok = new TButton(Form.get());
    ok->Default = true;
    ok->SetBounds(300, 10, 60, 25);
    ok->SetParent(Panel);
    int clicks = 0;
    ok->OnClick = [&](TComponent*) { ++clicks; };
    Edit->SetText("one");
    Edit->SetFocus();
    SendMessageA(Edit->Handle(), EM_SETSEL, 3, 3);

    Key(Edit->Handle(), VK_RETURN);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(SendMessageA(Edit->Handle(), WM_CHAR, '\r', 1), 0);
    EXPECT_EQ(SendMessageA(Edit->Handle(), WM_CHAR, '\n', 1), 1) << "Control+Return";
    EXPECT_EQ(Edit->Text(), "one");
    EXPECT_EQ(SendMessageA(Edit->Handle(), EM_GETLINECOUNT, 0, 0), 1);
}

// Puts text on the clipboard, or empties it.
void SetClipboard(HWND owner, const std::string& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    if (!text.empty()) {
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        memcpy(GlobalLock(data), text.c_str(), text.size() + 1);
        GlobalUnlock(data);
        SetClipboardData(CF_TEXT, data);
    }
    CloseClipboard();
}

TEST_F(AdvEditTest, PasteComposesTheTextAndKeepsLineBreaks) {
    const struct {
        const char* Name;
        std::string Clipboard;
        bool ReadOnly;
        DWORD SelStart, SelEnd;
        std::string Text;
        DWORD NewStart, NewEnd;
        bool Modified;
    } cases[] = {
        {"at the caret", "a\r\nb", false, 2, 2, "12a\r\nb345", 6, 6, true},
        {"over a selection", "a\r\nb", false, 1, 3, "1a\r\nb45", 1, 5, true},
        {"empty clipboard", "", false, 1, 3, "12345", 1, 3, false},
        {"read-only", "ab", true, 2, 2, "12345", 2, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        SetClipboard(Edit->Handle(), c.Clipboard);
        Edit->SetReadOnly(false);
        Edit->SetText("12345");
        Edit->SetReadOnly(c.ReadOnly);
        SendMessageA(Edit->Handle(), EM_SETSEL, c.SelStart, c.SelEnd);
        SendMessageA(Edit->Handle(), WM_PASTE, 0, 0);
        EXPECT_EQ(Edit->Text(), c.Text);
        EXPECT_EQ(Selection(), std::make_pair(c.NewStart, c.NewEnd));
        EXPECT_EQ(Edit->Modified(), c.Modified);
    }
}

TEST_F(AdvEditTest, TabbingInSelectsAllAndAClickLeavesTheCaretWhereItWas) {
    Edit->SetText("hello world");
    First->SetFocus();
    Key(First->Handle(), VK_TAB);
    ASSERT_TRUE(Edit->Focused());
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{11}));

    First->SetFocus();
    TCanvas& canvas = Edit->MeasureCanvas();
    const int x = 1 + canvas.TextWidth("hello w");
    SendMessageA(Edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
    SendMessageA(Edit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
    ASSERT_TRUE(Edit->Focused());
    const auto selection = Selection();
    EXPECT_EQ(selection.first, selection.second) << "no selection";
    EXPECT_GE(selection.first, 6u);
    EXPECT_LE(selection.first, 8u);

    Edit->AutoSelect = false;
    First->SetFocus();
    Key(First->Handle(), VK_TAB);
    EXPECT_EQ(Selection().first, Selection().second);
}

TEST_F(AdvEditTest, LeavingValidatesTheTextOnceEvenWhenTheHandlerAsksAgain) {
    std::vector<std::string> asked;
    bool inner = false;
    Edit->OnValueValidate = [&](TComponent*, const std::string& value, bool& valid) {
        asked.push_back(value);
        inner = Edit->ValidateText("again");
        valid = false;
    };
    Edit->SetText("text");
    Edit->SetFocus();
    First->SetFocus();
    EXPECT_EQ(asked, std::vector<std::string>{"text"});
    EXPECT_TRUE(inner) << "the nested call answers at once";
    EXPECT_TRUE(First->Focused()) << "validation never holds the focus";
    EXPECT_FALSE(Edit->ValidateText("x"));
}

} // namespace
