#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/FolderCheck.h"
#include "sync/Paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A drive that can be taken away: its root is then no folder.
struct TDriveGoneFileSystem : TForwardingFileSystem {
    bool IsDirectory(const std::string& path) override {
        return path != GoneRoot && TForwardingFileSystem::IsDirectory(path);
    }
    std::string GoneRoot;
};

TEST(FolderCheckTest, TheFirstProblemNamesItsFieldAndWhatIsWrong) {
    TTempTree tree;
    tree.AddFolder("stick");
    tree.AddFolder("disk");
    const std::string stick = tree.Path("stick");
    const std::string disk = tree.Path("disk");
    const std::string typo = tree.Path("Sycn");
    struct TCase {
        std::string Stick, Disk;
        TFolderCheck Expected;
    };
    const TCase cases[] = {
        {stick, disk, {TFolderProblem::None, false, ""}},
        {"", disk, {TFolderProblem::Empty, true, ""}},
        {stick, "  ", {TFolderProblem::Empty, false, "  "}},
        {typo, disk, {TFolderProblem::Missing, true, typo}},
        {stick, typo, {TFolderProblem::Missing, false, typo}},
        {"", typo, {TFolderProblem::Empty, true, ""}}, // the stick's field first
        {stick, stick, {TFolderProblem::SameFolder, false, stick}},
        {stick, stick + kPathDelim, {TFolderProblem::SameFolder, false, stick + kPathDelim}},
        {stick,
         tree.Path("stick/../stick"),
         {TFolderProblem::SameFolder, false, tree.Path("stick/../stick")}},
    };
    for (const TCase& c : cases) {
        const TFolderCheck check = CheckFolders(SystemFileSystem(), c.Stick, c.Disk);
        EXPECT_EQ(check.Problem, c.Expected.Problem) << c.Stick << " | " << c.Disk;
        if (c.Expected.Problem != TFolderProblem::None) {
            EXPECT_EQ(check.Stick, c.Expected.Stick) << c.Stick << " | " << c.Disk;
            EXPECT_EQ(check.Shown, c.Expected.Shown) << c.Stick << " | " << c.Disk;
        }
    }
    EXPECT_FALSE(tree.Exists("Sycn")) << "nothing is created";
}

TEST(FolderCheckTest, AMissingDriveIsToldApartFromAMissingFolder) {
    TTempTree tree;
    tree.AddFolder("disk");
    TDriveGoneFileSystem fs;
    const std::string stick = tree.Path("stick");
    fs.GoneRoot = RootPart(ExactPath(stick));
    ASSERT_FALSE(fs.GoneRoot.empty());
    const TFolderCheck check = CheckFolders(fs, stick, tree.Path("disk"));
    EXPECT_EQ(check.Problem, TFolderProblem::DriveMissing);
    EXPECT_TRUE(check.Stick);
    EXPECT_EQ(check.Shown, PathText(fs.GoneRoot));
}

#ifdef _WIN32
// The folder dialog gives "?" for each character that the code page lacks.
TEST(FolderCheckTest, ANameTheCodePageCannotHoldIsNamedAsSuch) {
    TTempTree tree;
    tree.AddFolder("disk");
    const std::string unnamable = tree.Path("????");
    const TFolderCheck check = CheckFolders(SystemFileSystem(), tree.Path("disk"), unnamable);
    EXPECT_EQ(check.Problem, TFolderProblem::Unnamable);
    EXPECT_FALSE(check.Stick);
    EXPECT_EQ(check.Shown, unnamable);
}
#endif

} // namespace
