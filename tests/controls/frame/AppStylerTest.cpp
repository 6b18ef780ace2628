// The form and application stylers: what a style change reaches, in which
// order, what the filter keeps out, linking and unlinking, loading, and the
// theme they follow.
#include "controls/frame/AdvAppStyler.h"
#include "controls/frame/AdvPanel.h"
#include "controls/html/HTMListB.h"
#include "controls/paint/AdvGlowButton.h"
#include "framework/Forms.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using TLog = std::vector<std::string>;

// Takes styles and writes each into a shared log with its name.
class TStyled : public TComponent, public IComponentStyle {
  public:
    TStyled(TComponent* owner, const std::string& name, TLog& log) : TComponent(owner), FLog(log) {
        Name = name;
    }
    void SetComponentStyle(TTelvarStyle style) override {
        FLog.push_back(Name + ":" + std::to_string(style));
    }

  private:
    TLog& FLog;
};

// A form read from a description: everything made while it loads.
class TStyledForm : public TForm {
  public:
    TStyledForm(TLog& log, const std::string& prefix,
                const std::function<void(TStyledForm&)>& read = {})
        : TForm(nullptr) {
        BeginLoading();
        First = new TStyled(this, prefix + "first", log);
        new TComponent(this); // takes no style
        Second = new TStyled(this, prefix + "second", log);
        Styler = new TAdvFormStyler(this);
        if (read)
            read(*this);
        EndLoading();
    }
    TStyled* First;
    TStyled* Second;
    TAdvFormStyler* Styler;
};

class AppStylerTest : public ::testing::Test {
  protected:
    void SetUp() override { App = FreshApplication(); }
    std::unique_ptr<TApplication> App;
    TLog Log;
};

TEST_F(AppStylerTest, AStyleReachesEveryComponentThatTakesStylesInCreationOrder) {
    TStyledForm form(Log, "");
    Log.clear();
    int changes = 0;
    form.Styler->OnChange = [&](TComponent* sender) {
        EXPECT_EQ(sender, form.Styler);
        ++changes;
    };
    // A new styler holds Office 2003 blue: setting it again does nothing.
    EXPECT_EQ(form.Styler->Style(), tsOffice2003Blue);
    form.Styler->SetStyle(tsOffice2003Blue);
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(changes, 0);

    form.Styler->SetStyle(tsOffice2007Obsidian);
    EXPECT_EQ(Log, (TLog{"first:5", "second:5"}));
    EXPECT_EQ(changes, 1);

    // The custom style is recorded and told, but styles nothing.
    form.Styler->SetStyle(tsCustom);
    EXPECT_EQ(Log.size(), 2u);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(form.Styler->Style(), tsCustom);
}

TEST_F(AppStylerTest, ARefusedClassKeepsItsLookWhileAllOthersChange) {
    TForm form(nullptr);
    auto* button = new TAdvGlowButton(&form);
    auto* list = new THTMListBox(&form);
    auto* panelStyler = new TAdvPanelStyler(&form);
    auto* styler = new TAdvFormStyler(&form);
    const TGlowAppearanceValues buttonBefore = button->Appearance();
    const TColor selectionBefore = list->SelectionColors().ColorFrom();
    std::vector<TComponent*> asked;
    styler->OnApplyStyle = [&](TComponent* sender, TComponent* component, bool& allow) {
        EXPECT_EQ(sender, styler);
        asked.push_back(component);
        allow = !dynamic_cast<TAdvCustomGlowButton*>(component);
    };
    styler->SetStyle(tsOffice2007Obsidian);
    // Only components that take styles are asked, in creation order.
    EXPECT_EQ(asked, (std::vector<TComponent*>{button, list, panelStyler}));
    EXPECT_TRUE(static_cast<const TGlowAppearanceValues&>(button->Appearance()) == buttonBefore);
    EXPECT_NE(list->SelectionColors().ColorFrom(), selectionBefore);
    EXPECT_EQ(panelStyler->Style(), psOffice2007Obsidian);

    // Without the handler the button takes the style too.
    styler->OnApplyStyle = nullptr;
    styler->SetStyle(tsOffice2007Silver);
    EXPECT_FALSE(static_cast<const TGlowAppearanceValues&>(button->Appearance()) == buttonBefore);
    EXPECT_EQ(panelStyler->Style(), psOffice2007Silver);
}

TEST_F(AppStylerTest, TheApplicationStyleRestylesEveryLinkedFormInTheOrderTheyWereLinked) {
    TAdvAppStyler app(nullptr);
    app.SetStyle(tsOffice2007Luna);
    TStyledForm a(Log, "a."), b(Log, "b.");
    // Linked outside loading, a form styler takes the application's style.
    b.Styler->SetAppStyle(&app);
    a.Styler->SetAppStyle(&app);
    a.Styler->SetAppStyle(&app);
    EXPECT_EQ(app.FormStylers(), (std::vector<TAdvFormStyler*>{b.Styler, a.Styler}));
    EXPECT_EQ(a.Styler->Style(), tsOffice2007Luna);
    Log.clear();
    int changes = 0;
    app.OnChange = [&](TComponent*) { ++changes; };

    app.SetStyle(tsWhidbey);
    EXPECT_EQ(Log, (TLog{"b.first:7", "b.second:7", "a.first:7", "a.second:7"}));
    EXPECT_EQ(changes, 1);
    app.SetStyle(tsWhidbey);
    EXPECT_EQ(changes, 1);

    // A freed form styler leaves the list.
    {
        TStyledForm c(Log, "c.");
        c.Styler->SetAppStyle(&app);
        EXPECT_EQ(app.FormStylers().size(), 3u);
    }
    EXPECT_EQ(app.FormStylers(), (std::vector<TAdvFormStyler*>{b.Styler, a.Styler}));
}

TEST_F(AppStylerTest, AFormStylerOutlivesItsApplicationStylerWithItsLastStyle) {
    TStyledForm form(Log, "");
    auto app = std::make_unique<TAdvAppStyler>(nullptr);
    app->SetStyle(tsOffice2003Olive);
    form.Styler->SetAppStyle(app.get());
    app.reset();
    EXPECT_EQ(form.Styler->AppStyle(), nullptr);
    EXPECT_EQ(form.Styler->Style(), tsOffice2003Olive);
    // Still its own: a style set now is applied.
    Log.clear();
    form.Styler->SetStyle(tsOffice2007Luna);
    EXPECT_EQ(Log, (TLog{"first:4", "second:4"}));
}

TEST_F(AppStylerTest, ReadingAFormAppliesTheStyleAtOnceAndOnceMoreWhenItEnds) {
    // Without an application styler: once as it is read, once when loading
    // ends, over everything made by then.
    TStyledForm alone(Log, "", [&](TStyledForm& f) {
        f.Styler->SetStyle(tsOffice2007Luna);
        new TStyled(&f, "late", Log);
    });
    EXPECT_EQ(Log, (TLog{"first:4", "second:4", "first:4", "second:4", "late:4"}));
    EXPECT_EQ(alone.Styler->Style(), tsOffice2007Luna);

    // With one that holds the same style: only as it is read; the filter
    // set after the style misses that first application.
    Log.clear();
    TAdvAppStyler app(nullptr);
    app.SetStyle(tsOffice2007Luna);
    int asked = 0;
    TStyledForm linked(Log, "", [&](TStyledForm& f) {
        f.Styler->SetStyle(tsOffice2007Luna);
        f.Styler->SetAppStyle(&app);
        f.Styler->OnApplyStyle = [&](TComponent*, TComponent*, bool& allow) {
            ++asked;
            allow = false;
        };
    });
    EXPECT_EQ(Log, (TLog{"first:4", "second:4"}));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(app.FormStylers(), std::vector<TAdvFormStyler*>{linked.Styler});
    // Later applications go through the filter.
    app.SetStyle(tsOffice2003Silver);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Log.size(), 2u);
}

TEST_F(AppStylerTest, AssignCopiesStyleAndThemeAdaptation) {
    TStyledForm from(Log, "from."), to(Log, "to.");
    from.Styler->SetStyle(tsWindowsXP);
    Log.clear();
    to.Styler->Assign(*from.Styler);
    EXPECT_EQ(to.Styler->Style(), tsWindowsXP);
    EXPECT_EQ(Log, (TLog{"to.first:6", "to.second:6"}));

    TAdvAppStyler a(nullptr), b(nullptr);
    a.SetStyle(tsOffice2007Silver);
    b.Assign(a);
    EXPECT_EQ(b.Style(), tsOffice2007Silver);
    EXPECT_FALSE(b.AutoThemeAdapt());
}

TEST_F(AppStylerTest, TheThemeNotifierBringsTheThemeStyleBack) {
    const TTelvarStyle themed = ThemeStyle(CurrentThemeScheme());
    EXPECT_TRUE(themed == tsOffice2003Classic || themed == tsOffice2003Blue ||
                themed == tsOffice2003Olive || themed == tsOffice2003Silver);
    EXPECT_EQ(ThemeStyle(0), tsOffice2003Classic);
    EXPECT_EQ(ThemeStyle(1), tsOffice2003Blue);
    EXPECT_EQ(ThemeStyle(2), tsOffice2003Olive);
    EXPECT_EQ(ThemeStyle(3), tsOffice2003Silver);

    TStyledForm form(Log, "");
    TThemeNotifierWindow* notifier = form.Styler->ThemeNotifier();
    ASSERT_NE(notifier, nullptr);
    EXPECT_EQ(notifier->Parent(), &form);
    form.Styler->SetAutoThemeAdapt(true);
    EXPECT_EQ(form.Styler->Style(), themed);
    form.Styler->SetStyle(tsOffice2007Luna);
    SendMessageA(notifier->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(form.Styler->Style(), themed);

    // Off, the message changes nothing.
    form.Styler->SetAutoThemeAdapt(false);
    form.Styler->SetStyle(tsOffice2007Luna);
    SendMessageA(notifier->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(form.Styler->Style(), tsOffice2007Luna);

    // An application styler stands on the main form, when there is one.
    EXPECT_EQ(TAdvAppStyler(nullptr).ThemeNotifier(), nullptr);
    App->SetMainForm(&form);
    TAdvAppStyler app(nullptr);
    ASSERT_NE(app.ThemeNotifier(), nullptr);
    EXPECT_EQ(app.ThemeNotifier()->Parent(), &form);
    app.SetAutoThemeAdapt(true);
    app.SetStyle(tsWhidbey);
    SendMessageA(app.ThemeNotifier()->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(app.Style(), themed);
    App->SetMainForm(nullptr);
}

} // namespace
