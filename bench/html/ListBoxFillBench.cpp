// Filling one HTML list box with many paths, as the main window does after a
// first comparison (inside BeginUpdate and EndUpdate), against the renderer's
// measuring of the same texts alone. Prints microseconds per item and the
// total for each count, each the best of a few rounds.
#include "bench/BenchSupport.h"
#include "controls/html/HTMListB.h"
#include "framework/Forms.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

std::vector<std::string> Paths(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back("E:\\Stick\\Projekte\\Korvandel\\Ordner " + std::to_string(i / 100) +
                        "\\Unterordner " + std::to_string(i / 10 % 10) + "\\Datei " +
                        std::to_string(i) + ".txt");
    return paths;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {10000, 25000, 50000};

    TApplication application;
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(0, 0, 340, 200);
    form.Font.SetName("Tahoma");
    form.Font.SetSize(8);
    auto* list = new THTMListBox(&form);
    list->SetBounds(8, 8, 313, 124);
    list->SetMultiline(true);
    list->SetParent(&form);
    form.Show();

    std::printf("%8s %14s %14s %14s %14s %7s\n", "items", "fill us/item", "fill total s",
                "measure us/it", "measure tot s", "ratio");
    // The renderer alone, with the rectangle and options of an insertion.
    THtmlRenderOptions options;
    options.MeasureOnly = true;
    options.AnchorTestOnly = true;
    options.Selected = true;
    const RECT r = MakeRect(0, 0, 313 - 4 - GetSystemMetrics(SM_CXVSCROLL), 124);
    TCanvas& canvas = list->MeasureCanvas();
    for (const int count : counts) {
        const std::vector<std::string> paths = Paths(count);
        // The items carry objects, as the main window's entries do.
        std::vector<int> objects(paths.size());

        // The best of a few alternating rounds, so that a moment of load on
        // the machine shows in neither figure.
        TTimings measured, filled;
        for (int round = 0; round < kRounds; ++round) {
            THtmlRenderResult result;
            auto start = TBenchClock::now();
            for (const std::string& path : paths)
                RenderHtmlText(canvas, path, r, options, result);
            measured.Seconds.push_back(SecondsSince(start));

            list->Clear();
            start = TBenchClock::now();
            list->BeginUpdate();
            for (std::size_t i = 0; i < paths.size(); ++i)
                list->AddItem(paths[i], &objects[i]);
            list->EndUpdate();
            filled.Seconds.push_back(SecondsSince(start));
        }
        const double measure = measured.Best(), fill = filled.Best();
        std::printf("%8d %14.2f %14.3f %14.2f %14.3f %7.2f\n", count, fill / count * 1e6, fill,
                    measure / count * 1e6, measure, fill / measure);
    }
    return 0;
}
