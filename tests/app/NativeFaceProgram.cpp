// Not a test: the program with its reports forced onto the system's task
// dialog, which the rule does not pick under Wine; for screenshots of that face.
#include "app/fMain.h"
#include "controls/taskdialog/TaskDialogFace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetDialogFaceOverride(TDialogFace::dfNative);
    TApplication application;
    application.Title = "Korvandel";
    application.SetMainForm(new TKorvandelMain(nullptr));
    application.Run();
    return 0;
}
