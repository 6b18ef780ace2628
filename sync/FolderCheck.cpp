#include "sync/FolderCheck.h"

#include "sync/Compare.h"
#include "sync/Paths.h"

namespace {

TFolderCheck CheckOne(TFileSystem& fs, const std::string& text, bool stick) {
    if (text.find_first_not_of(' ') == std::string::npos)
        return {TFolderProblem::Empty, stick, text};
    // No file name may hold "?": here it stands for a character that the code page
    // of the text has not, and the folder cannot be reached by this text.
    if (kHasDriveLetters && text.find('?') != std::string::npos)
        return {TFolderProblem::Unnamable, stick, text};
    const std::string exact = ExactPath(FolderRoot(text));
    if (const std::string root = RootPart(exact); !root.empty() && !fs.IsDirectory(root))
        return {TFolderProblem::DriveMissing, stick, PathText(root)};
    if (!fs.IsDirectory(exact))
        return {TFolderProblem::Missing, stick, text};
    return {TFolderProblem::None, stick, text};
}

} // namespace

TFolderCheck CheckFolders(TFileSystem& fs, const std::string& stickText,
                          const std::string& diskText) {
    for (const bool stick : {true, false})
        if (TFolderCheck check = CheckOne(fs, stick ? stickText : diskText, stick);
            check.Problem != TFolderProblem::None)
            return check;
    TFolderId stickId, diskId;
    if (fs.FolderIdentity(ExactPath(FolderRoot(stickText)), stickId) &&
        fs.FolderIdentity(ExactPath(FolderRoot(diskText)), diskId) && stickId == diskId)
        return {TFolderProblem::SameFolder, false, diskText};
    return {};
}
