// Program entry: the application object, the main window, the loop.
#include "app/fMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TApplication application;
    application.Title = "Korvandel";
    application.SetMainForm(new TKorvandelMain(nullptr));
    application.Run();
    return 0;
}
