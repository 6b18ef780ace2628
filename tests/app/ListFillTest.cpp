// The main window's result lists filled by a comparison, short and long: every
// one-line path gets the same row, before and after the list's own scroll bar
// shows.
#include "app/fMain.h"
#include "sync/Settings.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Short, so that every path fits on one line of the list.
std::string TempBase() {
    return "C:\\kvf" + std::to_string(GetCurrentProcessId()) + "\\";
}

class ListFillTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        base = TempBase();
        stick = base + "stick\\";
        disk = base + "disk\\";
        for (const std::string& folder : {stick, disk})
            RemoveTree(folder);
        RemoveDirectoryA(base.c_str());
        CreateDirectoryA(base.c_str(), nullptr);
        CreateDirectoryA(stick.c_str(), nullptr);
        CreateDirectoryA(disk.c_str(), nullptr);
        app = FreshApplication();
        settings = SettingsFileFor(app->ExeName());
        DeleteFileA(settings.c_str());
    }

    void TearDown() override {
        app->SetMainForm(nullptr);
        window.reset();
        app.reset();
        DeleteFileA(settings.c_str());
        for (const std::string& folder : {stick, disk})
            RemoveTree(folder);
        RemoveDirectoryA(base.c_str());
    }

    std::string base, stick, disk, settings;
    std::unique_ptr<TApplication> app;
    std::unique_ptr<TKorvandelMain> window;
};

TEST_P(ListFillTest, EveryOneLinePathGetsTheFullTextHeight) {
    const int count = GetParam();
    // Letters that reach below the line, which a short row would cut off.
    for (int i = 0; i < count; ++i) {
        HANDLE file =
            CreateFileA((stick + "gjpqy_" + std::to_string(i) + ".txt").c_str(), GENERIC_WRITE, 0,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    window = std::make_unique<TKorvandelMain>(nullptr);
    app->SetMainForm(window.get());
    window->Show();
    window->StickDir->SetText(stick);
    window->DiskDir->SetText(disk);
    window->bScanClick(window->bScan);

    THTMListBox& list = *window->ToDisk;
    ASSERT_EQ(list.Count(), count);
    ASSERT_TRUE(GetWindowLongA(list.Handle(), GWL_STYLE) & WS_VSCROLL) << "the list overflows";
    const int gh = list.MeasureCanvas().TextHeight("gh");
    RECT client;
    GetClientRect(list.Handle(), &client);
    ASSERT_LT(list.MeasureCanvas().TextWidth(list.Strings(count - 1)),
              client.right - 2 * GetSystemMetrics(SM_CXVSCROLL));
    std::set<int> heights;
    for (int i = 0; i < count; ++i)
        heights.insert(list.ItemHeights(i));
    EXPECT_EQ(heights, std::set<int>{gh});
}

INSTANTIATE_TEST_SUITE_P(ShortAndLong, ListFillTest, ::testing::Values(20, 2000));

} // namespace
