// The office styler: what a style change loads, keeps and tells, the system
// font names, the theme it follows, and the glow button's own style colours.
#include "controls/frame/AdvToolBarStylers.h"
#include "controls/paint/AdvGlowButton.h"
#include "framework/Forms.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/VistaAnswer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class TRecorder : public IToolBarStylerClient {
  public:
    void StylerChanged(int code) override { Codes.push_back(code); }
    std::vector<int> Codes;
};

class StylerTest : public ::testing::Test {
  protected:
    void SetUp() override { App = FreshApplication(); }
    std::unique_ptr<TApplication> App;
};

bool SameGlow(const TGlowButtonAppearance& a, const TGlowButtonAppearance& b) {
    return static_cast<const TGlowAppearanceValues&>(a) ==
           static_cast<const TGlowAppearanceValues&>(b);
}

bool SameSchemes(const TAdvToolBarOfficeStyler& a, const TAdvToolBarOfficeStyler& b) {
    return *a.Values == *b.Values && *a.Color == *b.Color && *a.ColorHot == *b.ColorHot &&
           *a.DockColor == *b.DockColor && *a.ButtonAppearance == *b.ButtonAppearance &&
           *a.CaptionAppearance == *b.CaptionAppearance &&
           *a.ContainerAppearance == *b.ContainerAppearance &&
           *a.GroupAppearance == *b.GroupAppearance && *a.PageAppearance == *b.PageAppearance &&
           *a.PagerCaption == *b.PagerCaption && *a.QATAppearance == *b.QATAppearance &&
           *a.TabAppearance == *b.TabAppearance &&
           SameGlow(a.GlowButtonAppearance, b.GlowButtonAppearance) &&
           SameGlow(a.CompactGlowButtonAppearance, b.CompactGlowButtonAppearance) &&
           a.RoundEdges() == b.RoundEdges() && a.Bevel() == b.Bevel() &&
           a.UseBevel() == b.UseBevel() && a.ComponentStyle() == b.ComponentStyle();
}

TEST_F(StylerTest, ANewStylerHoldsOffice2003BlueAndTheSameStyleAgainTellsNobody) {
    TAdvToolBarOfficeStyler styler(nullptr);
    EXPECT_EQ(styler.Style(), bsOffice2003Blue);
    EXPECT_EQ(styler.ComponentStyle(), tsOffice2003Blue);
    TRecorder recorder;
    styler.AddControl(&recorder);
    styler.SetStyle(bsOffice2003Blue);
    EXPECT_TRUE(recorder.Codes.empty());
    styler.SetStyle(bsOffice2007Luna);
    // One notice for the whole scheme, none for the groups it changed.
    EXPECT_EQ(recorder.Codes, std::vector<int>{scStyle});
    styler.SetStyle(bsOffice2007Luna);
    EXPECT_EQ(recorder.Codes.size(), 1u);

    styler.RemoveControl(&recorder);
    styler.SetStyle(bsOffice2003Olive);
    EXPECT_EQ(recorder.Codes.size(), 1u);
}

TEST_F(StylerTest, GroupChangesTellTheirCodeOnlyWhenAValueDiffers) {
    TAdvToolBarOfficeStyler styler(nullptr);
    TRecorder recorder;
    styler.AddControl(&recorder);
    styler.PagerCaption.Edit([](TVistaTextBackgroundValues& v) { v.TextColor = clRed; });
    styler.PagerCaption.Edit([](TVistaTextBackgroundValues& v) { v.TextColor = clRed; });
    styler.PagerCaption.Font.SetSize(10);
    styler.PageAppearance.Edit([](TVistaBackgroundValues& v) { v.Color = clLime; });
    EXPECT_EQ(recorder.Codes, (std::vector<int>{scPagerCaption, scPagerCaption, scAppearance}));
}

TEST_F(StylerTest, OfficeXPLoadsExactlyTheWindowsXPScheme) {
    TAdvToolBarOfficeStyler xp(nullptr), officeXP(nullptr);
    xp.SetStyle(bsWindowsXP);
    officeXP.SetStyle(bsOfficeXP);
    EXPECT_TRUE(SameSchemes(xp, officeXP));
    EXPECT_EQ(officeXP.ComponentStyle(), tsWindowsXP);
    EXPECT_FALSE(officeXP.RoundEdges());
    EXPECT_EQ(officeXP.Bevel(), 2);
    EXPECT_TRUE(officeXP.UseBevel());
}

TEST_F(StylerTest, LunaLeavesTheButtonAppearanceOfTheSchemeBefore) {
    TAdvToolBarOfficeStyler fresh(nullptr);
    fresh.SetStyle(bsOffice2007Luna);
    const TButtonAppearanceValues blue{16640730, 14986888, 9229823, 5812223, 5149182, 9556991,
                                       13432063, 9556223,  clNavy,  clNavy,  clNavy};
    EXPECT_EQ(*fresh.ButtonAppearance, blue);

    TAdvToolBarOfficeStyler silver(nullptr);
    silver.SetStyle(bsOffice2003Silver);
    const TButtonAppearanceValues silverButtons = *silver.ButtonAppearance;
    EXPECT_NE(silverButtons, blue);
    silver.SetStyle(bsOffice2007Luna);
    EXPECT_EQ(*silver.ButtonAppearance, silverButtons);
    // The rest of Luna is the same whatever came before.
    EXPECT_EQ(*silver.PagerCaption, *fresh.PagerCaption);
    EXPECT_EQ(*silver.GroupAppearance, *fresh.GroupAppearance);
    EXPECT_TRUE(SameGlow(silver.GlowButtonAppearance, fresh.GlowButtonAppearance));
}

TEST_F(StylerTest, LunaHoldsItsValues) {
    TAdvToolBarOfficeStyler s(nullptr);
    // Values Luna leaves alone, set to something else first.
    s.PagerCaption.Edit([](TVistaTextBackgroundValues& v) { v.TextColor = clRed; });
    s.CaptionAppearance.Edit([](TCaptionAppearanceValues& v) { v.CaptionBorderColor = clLime; });
    s.GlowButtonAppearance.ColorDisabled = clAqua;
    s.SetStyle(bsOffice2007Luna);

    const auto& f = *s.Values;
    const auto& pc = *s.PagerCaption;
    const auto& pa = *s.PageAppearance;
    const auto& ca = *s.CaptionAppearance;
    const auto& g = s.GlowButtonAppearance;
    const auto& c = s.CompactGlowButtonAppearance;
    const auto& grp = *s.GroupAppearance;
    const auto& tab = *s.TabAppearance;
    const auto& q = *s.QATAppearance;
    struct Case {
        const char* name;
        TColor actual, expected;
    } cases[] = {
        {"BorderColor", f.BorderColor, 14668485},
        {"BorderColorHot", f.BorderColorHot, 14731181},
        {"FloatingWindowBorderColor", f.FloatingWindowBorderColor, 14922381},
        {"RightHandleColor", f.RightHandleColor, 14668485},
        {"RightHandleColorTo", f.RightHandleColorTo, 14731181},
        {"RightHandleColorHot", f.RightHandleColorHot, 13891839},
        {"RightHandleColorHotTo", f.RightHandleColorHotTo, 7782911},
        {"RightHandleColorDown", f.RightHandleColorDown, 557032},
        {"RightHandleColorDownTo", f.RightHandleColorDownTo, 8182519},
        {"Color", s.Color->Color, 15587527},
        {"Color.ColorTo", s.Color->ColorTo, 16181721},
        {"ColorHot", s.ColorHot->Color, 16773606},
        {"ColorHot.ColorTo", s.ColorHot->ColorTo, 16444126},
        {"DockColor", s.DockColor->Color, 15587527},
        {"DockColor.ColorTo", s.DockColor->ColorTo, 16445929},
        {"PagerCaption.BorderColor", pc.BorderColor, 15780526},
        {"PagerCaption.Color", pc.Color, 15525858},
        {"PagerCaption.ColorTo", pc.ColorTo, 15590878},
        {"PagerCaption.ColorMirror", pc.ColorMirror, 15524312},
        {"PagerCaption.ColorMirrorTo", pc.ColorMirrorTo, 15723487},
        {"PagerCaption.TextColor (kept)", pc.TextColor, clRed},
        {"PageAppearance.BorderColor", pa.BorderColor, 14922381},
        {"PageAppearance.Color", pa.Color, 16445929},
        {"PageAppearance.ColorTo", pa.ColorTo, 15587527},
        {"PageAppearance.ColorMirror", pa.ColorMirror, 15587527},
        {"PageAppearance.ColorMirrorTo", pa.ColorMirrorTo, 16773863},
        {"CaptionColor", ca.CaptionColor, 15915714},
        {"CaptionColorTo", ca.CaptionColorTo, 15784385},
        {"CaptionTextColor", ca.CaptionTextColor, 11168318},
        {"CaptionBorderColor (kept)", ca.CaptionBorderColor, clLime},
        {"CaptionColorHot", ca.CaptionColorHot, 16769224},
        {"CaptionColorHotTo", ca.CaptionColorHotTo, 16772566},
        {"CaptionTextColorHot", ca.CaptionTextColorHot, 11168318},
        {"Glow.Color", g.Color, 15653832},
        {"Glow.ColorTo", g.ColorTo, 16178633},
        {"Glow.ColorMirror", g.ColorMirror, 15586496},
        {"Glow.ColorMirrorTo", g.ColorMirrorTo, 16245200},
        {"Glow.BorderColor", g.BorderColor, 14727579},
        {"Glow.ColorHot", g.ColorHot, 15465983},
        {"Glow.BorderColorChecked", g.BorderColorChecked, 4548219},
        {"Glow.ColorDisabled (kept)", g.ColorDisabled, clAqua},
        {"Compact.Color", c.Color, 15653832},
        {"Compact.BorderColorHot", c.BorderColorHot, 15193781},
        {"Compact.BorderColorDown", c.BorderColorDown, 12034958},
        {"Compact.ColorHot", c.ColorHot, 16250863},
        {"Compact.ColorMirrorHot", c.ColorMirrorHot, 16247491},
        {"Compact.ColorChecked", c.ColorChecked, 14599853},
        {"Compact.ColorMirrorDownTo", c.ColorMirrorDownTo, 13014131},
        {"Group.BorderColor", grp.BorderColor, 12763842},
        {"Group.Color", grp.Color, 15851212},
        {"Group.ColorMirrorTo", grp.ColorMirrorTo, 10871273},
        {"Group.TextColor", grp.TextColor, 9126421},
        {"Group.Page.Color", grp.PageAppearance.Color, 14086910},
        {"Group.Tab.ColorSelected", grp.TabAppearance.ColorSelected, 10412027},
        {"Group.Tab.TextColorDisabled", grp.TabAppearance.TextColorDisabled, clWhite},
        {"Group.ToolBar.BorderColor", grp.ToolBarAppearance.BorderColor, 13423059},
        {"Group.ToolBar.Color", grp.ToolBarAppearance.Color.Color, 15530237},
        {"Tab.BorderColorHot", tab.BorderColorHot, 15383705},
        {"Tab.ColorSelected", tab.ColorSelected, 16709360},
        {"Tab.ColorMirrorSelectedTo", tab.ColorMirrorSelectedTo, 16181984},
        {"Tab.TextColor", tab.TextColor, 9126421},
        {"Tab.BackGround", tab.BackGround.Color, 16767935},
        {"QAT.BorderColor", q.BorderColor, 11708063},
        {"QAT.Color", q.Color, 16313052},
        {"QAT.FullSizeColorTo", q.FullSizeColorTo, 15386026},
    };
    for (const Case& k : cases)
        EXPECT_EQ(k.actual, k.expected) << k.name;
    EXPECT_EQ(f.DragGripStyle, dsNone);
    EXPECT_EQ(f.FloatingWindowBorderWidth, 1);
    EXPECT_EQ(s.DockColor->Direction, gdHorizontal);
    EXPECT_EQ(s.DockColor->Steps, 128);
    EXPECT_EQ(s.Color->Direction, gdVertical);
    EXPECT_EQ(pc.Gradient, ggVertical);
    EXPECT_EQ(tab.GradientHot, ggRadial);
    EXPECT_EQ(grp.TabAppearance.Gradient, ggRadial);
    EXPECT_TRUE(s.RoundEdges());
    EXPECT_FALSE(s.UseBevel());
    EXPECT_EQ(s.ComponentStyle(), tsOffice2007Luna);
}

TEST_F(StylerTest, EverySchemeHoldsItsTellingValues) {
    struct Row {
        TToolBarStyle style;
        TColor color, colorTo, page, pageMirrorTo, pager, pagerMirrorTo, pagerBorder, captionText,
            glow, glowMirrorTo, glowBorder;
        TTelvarStyle componentStyle;
    } rows[] = {
        {bsOffice2003Blue, 16640730, 14986888, 16640730, 16440004, 14986888, 14986888, 15780526,
         16777215, 15653832, 16245200, 14727579, tsOffice2003Blue},
        {bsOffice2003Silver, 15524577, 11769496, 16249843, 15128792, 15128792, 15128792, 15128792,
         16777215, 15586496, 13152947, 9598070, tsOffice2003Silver},
        {bsOffice2003Olive, 13627626, 9224369, 13627626, 13627626, 9224369, 9224369, 9224369,
         16777215, 13627626, 9224369, 9224369, tsOffice2003Olive},
        {bsOffice2003Classic, 16777215, 13226453, 16777215, 16777215, 8421504, 13226453, 15780526,
         16777215, 16777215, 13226453, 0, tsCustom},
        {bsOffice2007Luna, 15587527, 16181721, 16445929, 16773863, 15525858, 15723487, 15780526,
         11168318, 15653832, 16245200, 14727579, tsOffice2007Luna},
        {bsOffice2007Obsidian, 12958644, 15527141, 13616833, 15527141, 5392195, 4079166, 0,
         16777215, 14671574, 15197664, 12631218, tsOffice2007Obsidian},
        {bsWindowsXP, clBtnFace, clBtnFace, clBtnFace, clBtnFace, clBtnFace, clBtnFace, 0, 16777215,
         16777215, 12179676, 12179676, tsWindowsXP},
        {bsWhidbeyStyle, 16120314, 11059392, 16777215, 16777215, 8756637, 8756637, 15780526,
         16777215, 16777215, 14675440, 10070188, tsWhidbey},
        {bsOffice2007Silver, 15195349, 16053486, 16183790, 16053486, 15460583, 16248553, 10000536,
         5854291, 15987697, 15657703, 13289414, tsOffice2007Silver},
    };
    for (const Row& r : rows) {
        TAdvToolBarOfficeStyler s(nullptr);
        s.SetStyle(bsCustom);
        s.SetStyle(r.style);
        SCOPED_TRACE(r.style);
        EXPECT_EQ(s.Color->Color, r.color);
        EXPECT_EQ(s.Color->ColorTo, r.colorTo);
        EXPECT_EQ(s.PageAppearance->Color, r.page);
        EXPECT_EQ(s.PageAppearance->ColorMirrorTo, r.pageMirrorTo);
        EXPECT_EQ(s.PagerCaption->Color, r.pager);
        EXPECT_EQ(s.PagerCaption->ColorMirrorTo, r.pagerMirrorTo);
        EXPECT_EQ(s.PagerCaption->BorderColor, r.pagerBorder);
        EXPECT_EQ(s.CaptionAppearance->CaptionTextColor, r.captionText);
        EXPECT_EQ(s.GlowButtonAppearance.Color, r.glow);
        EXPECT_EQ(s.GlowButtonAppearance.ColorMirrorTo, r.glowMirrorTo);
        EXPECT_EQ(s.GlowButtonAppearance.BorderColor, r.glowBorder);
        EXPECT_EQ(s.ComponentStyle(), r.componentStyle);
        EXPECT_EQ(s.SharpQATCurve(), r.style == bsOffice2007Obsidian);
    }
}

TEST_F(StylerTest, CustomLoadsNothingButStillTells) {
    TAdvToolBarOfficeStyler s(nullptr);
    s.SetStyle(bsOffice2007Luna);
    const TVistaTextBackgroundValues before = *s.PagerCaption;
    TRecorder recorder;
    s.AddControl(&recorder);
    s.SetStyle(bsCustom);
    EXPECT_EQ(*s.PagerCaption, before);
    EXPECT_EQ(s.ComponentStyle(), tsCustom);
    EXPECT_EQ(recorder.Codes, std::vector<int>{scStyle});
}

TEST_F(StylerTest, AStyleChangeRenamesTheSystemFontsByTheSystem) {
    for (const bool vista : {false, true}) {
        TVistaAnswer answer(vista);
        const std::string name = vista ? "Segoe UI" : "Tahoma";
        TAdvToolBarOfficeStyler s(nullptr);
        s.SetStyle(bsOffice2007Luna);
        s.PagerCaption.Font.SetName("Arial");
        s.TabAppearance.Font.SetName("Arial");
        s.TabAppearance.SystemFont = false;
        s.Font.SetName("Arial");
        s.SetStyle(bsOffice2007Silver);
        SCOPED_TRACE(name);
        EXPECT_EQ(s.PagerCaption.Font.Name(), name);
        EXPECT_EQ(s.GroupAppearance.Font.Name(), name);
        EXPECT_EQ(s.ButtonAppearance.Font.Name(), name);
        EXPECT_EQ(s.Font.Name(), name);
        EXPECT_EQ(s.CaptionFont.Name(), name);
        EXPECT_EQ(s.TabAppearance.Font.Name(), "Arial");

        s.SystemFont = false;
        s.Font.SetName("Arial");
        s.SetStyle(bsOffice2007Luna);
        EXPECT_EQ(s.Font.Name(), "Arial");
    }
}

TEST_F(StylerTest, ThemeColourNamesAreMatchedExactly) {
    const struct {
        const wchar_t* name;
        int scheme;
    } cases[] = {{L"NormalColor", 1}, {L"HomeStead", 2}, {L"Metallic", 3},
                 {L"normalcolor", 0}, {L"Metallic ", 0}, {L"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ThemeSchemeOfColorName(c.name), c.scheme);
}

TEST_F(StylerTest, AutoThemeAdaptFollowsTheThemeOnItsChangeMessage) {
    TForm form(nullptr);
    form.HandleNeeded();
    auto* s = new TAdvToolBarOfficeStyler(&form);
    ASSERT_NE(s->ThemeNotifier(), nullptr);
    s->ThemeNotifier()->HandleNeeded();
    ASSERT_TRUE(s->ThemeNotifier()->HandleAllocated());
    const TToolBarStyle themed[] = {bsOffice2003Classic, bsOffice2003Blue, bsOffice2003Olive,
                                    bsOffice2003Silver};
    const TToolBarStyle expected = themed[CurrentThemeScheme()];

    s->SetStyle(bsOffice2007Luna);
    SendMessageA(s->ThemeNotifier()->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(s->Style(), bsOffice2007Luna) << "follows only when asked to";

    s->SetAutoThemeAdapt(true);
    EXPECT_EQ(s->Style(), expected);
    s->SetStyle(bsOffice2007Luna);
    SendMessageA(s->ThemeNotifier()->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(s->Style(), expected);
}

TEST_F(StylerTest, TheStyleInterfaceSetsTheStyleOfTheSameOrdinal) {
    TAdvToolBarOfficeStyler s(nullptr);
    IComponentStyle& component = s;
    component.SetComponentStyle(tsOffice2007Obsidian);
    EXPECT_EQ(s.Style(), bsOffice2007Obsidian);
    component.SetComponentStyle(tsOffice2007Silver);
    EXPECT_EQ(s.Style(), bsOffice2007Silver);
}

// ---- the glow button's own reaction to a style

TEST_F(StylerTest, AGlowButtonTakesTheColoursOfEachStyle) {
    struct Row {
        TTelvarStyle style;
        TColor color, colorTo, mirror, mirrorTo, border;
        int set;
    } rows[] = {
        {tsOffice2003Blue, 15653832, 16178633, 15586496, 16245200, 14727579, 1},
        {tsOffice2003Silver, 15586496, 15128792, 15586496, 13152947, 9598070, 1},
        {tsOffice2003Olive, 13627626, 13627626, 13627626, 9224369, 9224369, 1},
        {tsOffice2003Classic, 16777215, 13226453, 16777215, 13226453, 0, 1},
        {tsOffice2007Luna, 15653832, 16178633, 15586496, 16245200, 14727579, 2},
        {tsOffice2007Obsidian, 14671574, 15000283, 14144974, 15197664, 12631218, 2},
        {tsWindowsXP, 16777215, 12179676, 12179676, 12179676, 12179676, 3},
        {tsWhidbey, 16777215, 14675440, 14675440, 14675440, 10070188, 1},
        {tsOffice2007Silver, 15987697, 16119283, 15657703, 16316406, 13421257, 2},
    };
    TForm form(nullptr);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.style);
        auto* button = new TAdvGlowButton(&form);
        TGlowButtonAppearance& a = button->Appearance();
        const TGlowAppearanceValues before = a;
        a.Gradient = a.GradientMirror = ggRadial;
        static_cast<IComponentStyle*>(button)->SetComponentStyle(r.style);
        EXPECT_EQ(a.Color, r.color);
        EXPECT_EQ(a.ColorTo, r.colorTo);
        EXPECT_EQ(a.ColorMirror, r.mirror);
        EXPECT_EQ(a.ColorMirrorTo, r.mirrorTo);
        EXPECT_EQ(a.BorderColor, r.border);
        EXPECT_EQ(a.Gradient, ggVertical);
        EXPECT_EQ(a.GradientMirror, ggVertical);
        EXPECT_EQ(a.GradientHot, ggVertical);
        EXPECT_EQ(a.GradientMirrorChecked, ggVertical);
        // The disabled look is the button's own.
        EXPECT_EQ(a.ColorDisabled, before.ColorDisabled);
        EXPECT_EQ(a.ColorMirrorDisabledTo, before.ColorMirrorDisabledTo);
        EXPECT_EQ(a.BorderColorDisabled, before.BorderColorDisabled);
        if (r.set == 3) {
            EXPECT_EQ(a.ColorHot, 15717318u);
            EXPECT_EQ(a.ColorMirrorHotTo, 15717318u);
            EXPECT_EQ(a.BorderColorHot, clHighlight);
            EXPECT_EQ(a.ColorDown, 11899524u);
            EXPECT_EQ(a.BorderColorDown, clHighlight);
            EXPECT_EQ(a.ColorMirrorCheckedTo, 12179676u);
            EXPECT_EQ(a.BorderColorChecked, 0u);
        } else {
            EXPECT_EQ(a.ColorHot, 15465983u);
            EXPECT_EQ(a.ColorMirrorHot, 5888767u);
            EXPECT_EQ(a.BorderColorHot, 10079963u);
            EXPECT_EQ(a.ColorDown, 7778289u);
            EXPECT_EQ(a.ColorMirrorDownTo, 5021693u);
            EXPECT_EQ(a.BorderColorDown, 4548219u);
            EXPECT_EQ(a.ColorChecked, 11918331u);
            EXPECT_EQ(a.ColorMirrorCheckedTo, 5682430u);
            // Only set 2 gives the checked look its own border.
            EXPECT_EQ(a.BorderColorChecked, r.set == 2 ? 4548219u : before.BorderColorChecked);
        }
    }
}

TEST_F(StylerTest, TheCustomStyleLeavesAGlowButtonsColours) {
    TForm form(nullptr);
    auto* button = new TAdvGlowButton(&form);
    button->Appearance().Color = clRed;
    button->Appearance().GradientHot = ggRadial;
    const TGlowAppearanceValues before = button->Appearance();
    static_cast<IComponentStyle*>(button)->SetComponentStyle(tsCustom);
    EXPECT_EQ(static_cast<const TGlowAppearanceValues&>(button->Appearance()), before);
}

} // namespace
