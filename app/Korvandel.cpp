// Program entry: the application object, the main window, the loop.
#include "app/fMain.h"

#include <memory>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TApplication application;
    application.Title = "Korvandel";
    application.AdoptMainForm(std::make_unique<TKorvandelMain>(nullptr));
    application.Run();
    return 0;
}
