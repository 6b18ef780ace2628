// Not a test: shows one emulated task dialog with every part (command links,
// radio buttons, progress bar, extra information, verification, footer) for
// people to look at; scripts/screenshot.sh-style capture under Xvfb.
#include "controls/taskdialog/TaskDialogEx.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TApplication application;
    TAdvTaskDialogEx dialog(nullptr);
    dialog.SetTitle("Galerie");
    dialog.SetInstruction("Wie soll es weitergehen?");
    dialog.SetContent("Der Ordner enth\xE4lt <a href=\"https://example.org\">neuere Dateien</a>.");
    dialog.Icon = tiQuestion;
    dialog.Options = {doHyperlinks, doCommandLinks, doProgressBar, doExpandedDefault};
    dialog.SetCustomButtons({"&Kopieren\\nAlle neueren Dateien kopieren", "&Verwerfen"});
    dialog.CommonButtons = {cbCancel};
    dialog.SetRadioButtons({"Nur dieses Mal", "Immer"});
    dialog.SetExpandedText("Zeile eins\\nZeile zwei");
    dialog.ExpandControlText = "Weniger anzeigen";
    dialog.CollapsControlText = "Mehr anzeigen";
    dialog.VerificationText = "Nicht mehr fragen";
    dialog.SetFooter("Hinweis: <b>nichts</b> wird gel\xF6scht.");
    dialog.FooterIcon = tfiShield;
    dialog.NonNativeDialog = nndAlways;
    dialog.OnDialogProgress = [](TComponent*, int& pos, TTaskDialogProgressState&) {
        pos = pos < 60 ? pos + 5 : pos;
    };
    dialog.Execute();
    return 0;
}
