// The gradient panel read back from its pixels, and the panel styler's
// presets, settings and the panels that follow them.
#include "controls/frame/AdvPanel.h"
#include "framework/Forms.h"
#include "tests/controls/paint/Pixels.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr TColor kLuna = 16445929, kLunaTo = 15587527, kLunaMirror = 15587527,
                 kLunaMirrorTo = 16773863;

class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override { App = FreshApplication(); }

    // The panel painted into a bitmap of its size, as a paint would.
    static std::unique_ptr<TBitmap> Paint(TAdvPanel& panel) {
        auto bmp = std::make_unique<TBitmap>(panel.Width(), panel.Height());
        panel.PaintTo(bmp->Canvas());
        return bmp;
    }
    static void SetColors(TAdvPanel& panel, TColor color, TColor to, TColor mirror,
                          TColor mirrorTo) {
        panel.SetColor(color);
        panel.SetColorTo(to);
        panel.SetColorMirror(mirror);
        panel.SetColorMirrorTo(mirrorTo);
    }
    std::unique_ptr<TApplication> App;
};

TEST_F(PanelTest, TheLunaBackgroundShadesInTwoHalvesSplitAtTheMiddle) {
    TAdvPanel panel(nullptr);
    panel.SetBounds(0, 0, 60, 201);
    panel.SetBevelOuter(TBevelCut::bvNone);
    panel.SetBorderColor(16765615);
    SetColors(panel, kLuna, kLunaTo, kLunaMirror, kLunaMirrorTo);
    const auto bmp = Paint(panel);
    const int middle = 201 / 2;
    for (int x : {0, 30, 59}) {
        EXPECT_EQ(PixelAt(*bmp, x, 0), kLuna);
        EXPECT_TRUE(Near(PixelAt(*bmp, x, middle - 1), kLunaTo, 1));
        EXPECT_EQ(PixelAt(*bmp, x, middle), kLunaMirror);
        EXPECT_TRUE(Near(PixelAt(*bmp, x, 200), kLunaMirrorTo, 1));
    }
    // Both halves change steadily: a quarter down is halfway between their ends.
    EXPECT_TRUE(Near(PixelAt(*bmp, 30, middle / 2), BlendColor(kLuna, kLunaTo, 50), 2));
    EXPECT_TRUE(Near(PixelAt(*bmp, 30, middle + middle / 2),
                     BlendColor(kLunaMirror, kLunaMirrorTo, 50), 2));

    // Horizontal: the halves are left and right.
    panel.SetGradientDirection(gdHorizontal);
    panel.SetBounds(0, 0, 201, 20);
    const auto wide = Paint(panel);
    EXPECT_EQ(PixelAt(*wide, 0, 10), kLuna);
    EXPECT_EQ(PixelAt(*wide, middle, 10), kLunaMirror);
    EXPECT_TRUE(Near(PixelAt(*wide, 200, 10), kLunaMirrorTo, 1));
}

TEST_F(PanelTest, WhichColoursTheBackgroundUses) {
    struct Case {
        const char* name;
        TColor to, mirror, mirrorTo;
        TColor top, middle, bottom;
    } const cases[] = {
        // No second colour: a plain fill, whatever the mirror colours are.
        {"plain", clNone, clRed, clLime, clBlue, clBlue, clBlue},
        // No mirror: one gradient over the whole panel.
        {"one gradient", clWhite, clNone, clLime, clBlue, BlendColor(clBlue, clWhite, 50), clWhite},
        {"two halves", clWhite, clRed, clLime, clBlue, clRed, clLime},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAdvPanel panel(nullptr);
        panel.SetBounds(0, 0, 40, 128);
        panel.SetBevelOuter(TBevelCut::bvNone);
        SetColors(panel, clBlue, c.to, c.mirror, c.mirrorTo);
        const auto bmp = Paint(panel);
        // More bands than rows: the second band already covers the first row.
        EXPECT_TRUE(Near(PixelAt(*bmp, 20, 0), c.top, 4));
        EXPECT_TRUE(Near(PixelAt(*bmp, 20, 64), c.middle, 4)) << std::hex << PixelAt(*bmp, 20, 64);
        EXPECT_TRUE(Near(PixelAt(*bmp, 20, 127), c.bottom, 4));
    }
}

TEST_F(PanelTest, BorderFrameAndBevels) {
    struct Case {
        const char* name;
        int borderWidth;
        TColor borderColor;
        bool shadow;
        TBevelCut outer;
        TColor corner, bottomLeft, shadowPixel;
    } const cases[] = {
        // A border colour alone draws nothing: the gradient runs to the edge.
        {"no width", 0, clRed, false, TBevelCut::bvNone, clBlue, clWhite, clWhite},
        {"border", 1, clRed, false, TBevelCut::bvNone, clRed, clRed, clRed},
        // Without a border colour a one-pixel frame in Color closes the panel.
        {"frame", 0, clNone, false, TBevelCut::bvNone, clBlue, clBlue, clBlue},
        {"shadow", 1, clRed, true, TBevelCut::bvNone, clRed, clRed,
         BlendColor(clRed, clBtnFace, 20)},
        // Light top and left, dark right and bottom, the dark line ending the left one.
        {"raised bevel", 0, clRed, false, TBevelCut::bvRaised, ColorToRGB(clBtnHighlight),
         ColorToRGB(clBtnShadow), ColorToRGB(clBtnShadow)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAdvPanel panel(nullptr);
        panel.SetBounds(0, 0, 50, 64);
        panel.SetBevelOuter(c.outer);
        panel.SetBorderWidth(c.borderWidth);
        panel.SetBorderColor(c.borderColor);
        panel.SetBorderShadow(c.shadow);
        SetColors(panel, clBlue, clWhite, clNone, clNone);
        const auto bmp = Paint(panel);
        EXPECT_EQ(PixelAt(*bmp, 0, 0), c.corner);
        // The border's bottom-left corner, 2 pixels up when the shadow is under it.
        EXPECT_TRUE(Near(PixelAt(*bmp, 0, c.shadow ? 61 : 63), c.bottomLeft, 4));
        EXPECT_TRUE(Near(PixelAt(*bmp, 49, 63), c.shadowPixel, 4));
    }
}

TEST_F(PanelTest, BarsShowOnlyWhenVisibleAndTheTextFollowsItsAlignment) {
    TAdvPanel panel(nullptr);
    panel.SetBounds(0, 0, 120, 100);
    panel.SetBevelOuter(TBevelCut::bvNone);
    panel.SetColor(clWhite);
    panel.Caption.Edit([](TPanelCaptionValues& c) { c.Color = clRed; });
    panel.StatusBar.Edit([](TPanelStatusBarValues& s) { s.Color = clLime; });
    auto bmp = Paint(panel);
    EXPECT_EQ(PixelAt(*bmp, 60, 2), clWhite);
    EXPECT_EQ(PixelAt(*bmp, 60, 97), clWhite);
    panel.Caption.SetVisible(true);
    panel.StatusBar.SetVisible(true);
    bmp = Paint(panel);
    EXPECT_EQ(PixelAt(*bmp, 60, 2), clRed);
    EXPECT_EQ(PixelAt(*bmp, 60, 97), clLime);
    EXPECT_EQ(PixelAt(*bmp, 60, 50), clWhite);
    // The text keeps clear of both bars.
    const RECT text = panel.TextRect();
    EXPECT_EQ(text.top, 20);
    EXPECT_EQ(text.bottom, 100 - 18);

    // An anchor at the top of the text area, then at its bottom.
    panel.Caption.SetVisible(false);
    panel.StatusBar.SetVisible(false);
    panel.SetText("<A href=\"go\">Link</A>");
    const RECT area = panel.TextRect();
    const int lineHeight = panel.MeasureCanvas().TextHeight("Link");
    EXPECT_EQ(panel.AnchorAt(area.left + 3, area.top + lineHeight / 2), "go");
    EXPECT_EQ(panel.AnchorAt(area.left + 3, area.bottom - lineHeight / 2), "");
    panel.SetTextVAlign(tvaBottom);
    EXPECT_EQ(panel.AnchorAt(area.left + 3, area.top + lineHeight / 2), "");
    EXPECT_EQ(panel.AnchorAt(area.left + 3, area.bottom - lineHeight / 2), "go");
    panel.SetTextVAlign(tvaCenter);
    EXPECT_EQ(panel.AnchorAt(area.left + 3, (area.top + area.bottom) / 2), "go");
}

TEST_F(PanelTest, AutoSizeFollowsTheTextOnTheSidesItIsAskedFor) {
    TAdvPanel panel(nullptr);
    panel.SetBounds(10, 20, 50, 40);
    panel.SetBorderWidth(2);
    panel.SetIndent(4);
    panel.SetText("Hallo Welt<BR>zweite Zeile, die l\xE4ngere");
    EXPECT_EQ(panel.Width(), 50) << "off by default";

    TCanvas& canvas = panel.MeasureCanvas();
    canvas.Font = panel.Font;
    const int line = canvas.TextHeight("gh");
    const int longest = canvas.TextWidth("zweite Zeile, die l\xE4ngere");
    // Border 2 plus the one-pixel frame on each side, and the indent on the left.
    constexpr int kInsetX = 2 * 3 + 4, kInsetY = 2 * 3;
    const struct {
        const char* Name;
        TPanelAutoSize Size;
        int Width, Height;
    } cases[] = {
        {"both", {true, true, true}, longest + kInsetX, 2 * line + kInsetY},
        {"height only", {true, true, false}, 300, 2 * line + kInsetY},
        {"width only", {true, false, true}, longest + kInsetX, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        panel.SetAutoSize({});
        panel.SetBounds(10, 20, 300, 40);
        panel.SetAutoSize(c.Size);
        EXPECT_EQ(panel.Left(), 10);
        EXPECT_EQ(panel.Top(), 20);
        // The renderer's extent may add a pixel or two to the text's own width.
        EXPECT_GE(panel.Width(), c.Width);
        EXPECT_LE(panel.Width(), c.Width + 2);
        EXPECT_EQ(panel.Height(), c.Height);
    }

    // A shorter text and a larger font resize it again.
    panel.SetAutoSize({true, true, true});
    panel.SetText("Hallo");
    EXPECT_GE(panel.Width(), canvas.TextWidth("Hallo") + kInsetX);
    EXPECT_LE(panel.Width(), canvas.TextWidth("Hallo") + kInsetX + 2);
    EXPECT_EQ(panel.Height(), line + kInsetY);
    panel.Font.SetSize(panel.Font.Size() * 2);
    EXPECT_GT(panel.Height(), line + kInsetY);
}

TEST_F(PanelTest, CaptionClicksMouseEventsAndTheAnchorHint) {
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(0, 0, 200, 150);
    auto* panel = new TAdvPanel(&form);
    panel->SetBounds(0, 0, 200, 150);
    panel->SetParent(&form);
    panel->Caption.SetVisible(true);
    panel->SetText("<A href=\"ziel\">Link</A>");
    panel->AnchorHint = true;
    std::string log;
    panel->OnCaptionClick = [&](TComponent*) { log += "click "; };
    panel->OnCaptionDBlClick = [&](TComponent*) { log += "double "; };
    panel->OnMouseEnter = [&](TComponent*) { log += "enter "; };
    panel->OnMouseLeave = [&](TComponent*) { log += "leave "; };
    panel->OnAnchorHint = [&](TComponent*, int index, std::string& anchor) {
        anchor = "Gehe zu " + anchor + " (" + std::to_string(index) + ")";
    };
    form.Show();
    const HWND h = panel->Handle();
    const auto send = [&](UINT msg, int x, int y) {
        SendMessageA(h, msg, msg == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    };

    const int captionY = panel->Caption->Height / 2;
    send(WM_LBUTTONDOWN, 100, captionY);
    send(WM_LBUTTONUP, 100, captionY);
    send(WM_LBUTTONDBLCLK, 100, captionY);
    send(WM_LBUTTONUP, 100, captionY);
    const RECT text = panel->TextRect();
    send(WM_LBUTTONDOWN, 100, text.bottom - 5);
    send(WM_LBUTTONUP, 100, text.bottom - 5);
    EXPECT_EQ(log, "enter click double ") << "nothing for a click below the caption bar";

    // Over the anchor the hint is what the handler made of its href.
    const int lineHeight = panel->MeasureCanvas().TextHeight("Link");
    send(WM_MOUSEMOVE, text.left + 3, text.top + lineHeight / 2);
    EXPECT_EQ(panel->Hint(), "Gehe zu ziel (1)");
    EXPECT_TRUE(panel->ShowHint());
    send(WM_MOUSEMOVE, text.left + 150, text.bottom - 5);
    EXPECT_EQ(panel->Hint(), "");

    send(WM_MOUSEMOVE, 500, 500);
    EXPECT_EQ(log, "enter click double leave ");
}

TEST_F(PanelTest, EveryPresetLoadsItsBackgroundAndCustomChangesNothing) {
    struct Case {
        TAdvPanelStyle style;
        TColor color, to, mirror, mirrorTo, border;
        bool shadow;
        TBevelCut outer;
    } const cases[] = {
        {psXP, clWhite, 14938354, clNone, clNone, clGray, true, TBevelCut::bvNone},
        {psFlat, clBtnFace, clNone, clNone, clNone, clGray, false, TBevelCut::bvNone},
        {psTelvar, clWhite, 15000804, clNone, clNone, clGray, true, TBevelCut::bvNone},
        {psClassic, clBtnFace, clNone, clNone, clNone, clGray, false, TBevelCut::bvRaised},
        {psOffice2003Blue, 16640730, 14986888, clNone, clNone, clGray, false, TBevelCut::bvNone},
        {psOffice2003Olive, 13627626, 9224369, clNone, clNone, clGray, false, TBevelCut::bvNone},
        {psOffice2003Silver, 15524577, 11769496, clNone, clNone, clGray, false, TBevelCut::bvNone},
        {psOffice2003Classic, clWhite, 14938354, clNone, clNone, clGray, true, TBevelCut::bvNone},
        {psOffice2007Luna, kLuna, kLunaTo, kLunaMirror, kLunaMirrorTo, 16765615, false,
         TBevelCut::bvNone},
        {psOffice2007Obsidian, 13616833, 12958644, 12958644, 15527141, 16765615, false,
         TBevelCut::bvNone},
        {psWhidbey, clWhite, 14938354, clNone, clNone, clGray, true, TBevelCut::bvNone},
        {psWindowsXP, clBtnFace, clNone, clNone, clNone, clGray, false, TBevelCut::bvRaised},
        {psOffice2007Silver, 16381427, 15195349, 15195349, 16513776, 16765615, false,
         TBevelCut::bvNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        TAdvPanelStyler styler(nullptr);
        styler.Settings.Values.Edit([](TAdvPanelValues& v) { v.BevelInner = TBevelCut::bvRaised; });
        styler.SetStyle(c.style);
        const TAdvPanelValues& v = *styler.Settings.Values;
        EXPECT_EQ(v.Color, c.color);
        EXPECT_EQ(v.ColorTo, c.to);
        EXPECT_EQ(v.ColorMirror, c.mirror);
        EXPECT_EQ(v.ColorMirrorTo, c.mirrorTo);
        EXPECT_EQ(v.BorderColor, c.border);
        EXPECT_EQ(v.BorderShadow, c.shadow);
        EXPECT_EQ(v.BevelOuter, c.outer);
        EXPECT_EQ(v.BevelInner, TBevelCut::bvNone);

        const TAdvPanelValues before = v;
        int changes = 0;
        styler.Settings.OnChange = [&] { ++changes; };
        styler.SetStyle(psCustom);
        EXPECT_EQ(styler.Style(), psCustom);
        EXPECT_TRUE(*styler.Settings.Values == before);
        EXPECT_EQ(changes, 0);
    }
}

TEST_F(PanelTest, TheLunaPresetSetsTheBarsAndTheFontButShowsNoBar) {
    TAdvPanelStyler styler(nullptr);
    styler.SetStyle(psOffice2007Luna);
    EXPECT_EQ(styler.Settings.Font.Color(), 7485192u);
    EXPECT_EQ(styler.Settings.Font.Name(), "Tahoma");
    EXPECT_EQ(styler.Settings.Caption->Color, 16773091u);
    EXPECT_EQ(styler.Settings.Caption->ColorTo, 16765615u);
    EXPECT_EQ(styler.Settings.Caption->GradientDirection, gdVertical);
    EXPECT_EQ(styler.Settings.StatusBar->Color, 16245715u);
    EXPECT_EQ(styler.Settings.StatusBar->ColorTo, 16109747u);
    EXPECT_EQ(styler.Settings.StatusBar->BorderStyle, TBorderStyle::bsSingle);
    EXPECT_EQ(styler.Settings.StatusBar.Font.Color(), 7485192u);

    // Applied to a panel: the look moves over; text, bars' visibility and size stay.
    TAdvPanel panel(nullptr);
    panel.SetBounds(0, 0, 30, 40);
    panel.SetText("mine");
    panel.Caption.SetText("title");
    styler.Settings.Caption.SetVisible(true);
    styler.Settings.Caption.SetText("other");
    panel.ApplySettings(styler.Settings);
    EXPECT_EQ(panel.Color(), kLuna);
    EXPECT_EQ(panel.ColorMirrorTo(), kLunaMirrorTo);
    EXPECT_EQ(panel.BevelOuter(), TBevelCut::bvNone);
    EXPECT_EQ(panel.Font.Color(), 7485192u);
    EXPECT_EQ(panel.Caption->Color, 16773091u);
    EXPECT_FALSE(panel.Caption.Visible());
    EXPECT_EQ(panel.Caption.Text(), "title");
    EXPECT_EQ(panel.Text(), "mine");
    EXPECT_EQ(panel.Height(), 40);
}

TEST_F(PanelTest, SettingsGatherChangesInAnUpdate) {
    TAdvPanelSettings settings;
    int changes = 0;
    settings.OnChange = [&] { ++changes; };
    // The first colour tells too, so that the panels never keep an old one.
    settings.Values.Edit([](TAdvPanelValues& v) { v.Color = clRed; });
    settings.Font.SetColor(clRed);
    settings.StatusBar.Edit([](TPanelStatusBarValues& s) { s.Color = clRed; });
    EXPECT_EQ(changes, 3);
    settings.BeginUpdate();
    settings.BeginUpdate();
    settings.Values.Edit([](TAdvPanelValues& v) { v.Color = clLime; });
    settings.Caption.Font.SetSize(12);
    settings.EndUpdate();
    EXPECT_EQ(changes, 3);
    settings.EndUpdate();
    EXPECT_EQ(changes, 4);
    // An unbalanced end tells nothing more.
    settings.EndUpdate();
    EXPECT_EQ(changes, 4);
}

// Counts its paints.
class TCountingPanel : public TAdvPanel {
  public:
    explicit TCountingPanel(TComponent* owner) : TAdvPanel(owner) {
        OnPaint = [this](TComponent*, TCanvas&, const RECT&) { ++Paints; };
    }
    int Paints = 0;
};

TEST_F(PanelTest, AStyleChangeRepaintsEachOfItsPanelsOnce) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* styler = new TAdvPanelStyler(&form);
    auto* other = new TAdvPanelStyler(&form);
    TCountingPanel* panels[3];
    for (int i = 0; i < 3; ++i) {
        panels[i] = new TCountingPanel(&form);
        panels[i]->SetBounds(i * 100, 0, 100, 100);
        panels[i]->SetParent(&form);
        panels[i]->SetStyler(i < 2 ? styler : other);
    }
    // Setting the styler outside loading applies its settings at once.
    EXPECT_EQ(panels[0]->ColorTo(), 14938354u);
    form.Show();
    for (TCountingPanel* p : panels) {
        p->Update();
        p->Paints = 0;
    }
    styler->SetStyle(psOffice2007Obsidian);
    for (TCountingPanel* p : panels)
        p->Update();
    EXPECT_EQ(panels[0]->Paints, 1);
    EXPECT_EQ(panels[1]->Paints, 1);
    EXPECT_EQ(panels[2]->Paints, 0);
    EXPECT_EQ(panels[1]->Color(), 13616833u);
    EXPECT_EQ(panels[2]->Color(), clWhite);

    // The component style picks the matching preset; tsCustom none.
    styler->SetComponentStyle(tsOffice2003Olive);
    EXPECT_EQ(styler->Style(), psOffice2003Olive);
    EXPECT_EQ(panels[0]->Color(), 13627626u);
    styler->SetComponentStyle(tsCustom);
    EXPECT_EQ(styler->Style(), psOffice2003Olive);

    // A freed styler is forgotten; the panel keeps its look.
    delete other;
    EXPECT_EQ(panels[2]->Styler(), nullptr);
    EXPECT_EQ(panels[2]->Color(), clWhite);
}

TEST_F(PanelTest, LoadingAppliesTheStylerOnceWhenThePanelHasLoaded) {
    class TLoadingForm : public TForm {
      public:
        TLoadingForm() : TForm(nullptr) {
            BeginLoading();
            Panel = new TAdvPanel(this);
            Panel->SetColor(clRed);
            Styler = new TAdvPanelStyler(this);
            Panel->SetStyler(Styler);
            Styler->SetStyle(psOffice2007Luna);
            ColorWhileLoading = Panel->Color();
            EndLoading();
        }
        TAdvPanel* Panel;
        TAdvPanelStyler* Styler;
        TColor ColorWhileLoading;
    } form;
    EXPECT_EQ(form.ColorWhileLoading, clRed);
    EXPECT_EQ(form.Panel->Color(), kLuna);
    EXPECT_EQ(form.Panel->ColorMirrorTo(), kLunaMirrorTo);
}

} // namespace
