// Filling one HTML list box with many paths, as the main window does after a
// first comparison (inside BeginUpdate and EndUpdate), against the renderer's
// measuring of the same texts alone; then marking every item as failed, as
// the window does after a copy run (the warning image put before each path,
// in one batch). Prints microseconds per item and the total for each count,
// each the best of a few rounds.
#include "bench/BenchSupport.h"
#include "controls/html/HTMListB.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"

#include <cstdint>
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
    // A 16 x 16 warning image, as the main window's lists have.
    auto* images = new TImageList(&form, 16, 16);
    std::vector<std::uint32_t> pixels(16 * 16, 0xFFFFCC00u);
    std::vector<std::uint16_t> opaque(16, 0);
    TGdiObject<HBITMAP> image(CreateBitmap(16, 16, 1, 32, pixels.data()));
    TGdiObject<HBITMAP> mask(CreateBitmap(16, 16, 1, 1, opaque.data()));
    images->Add(image.Get(), mask.Get());
    list->SetImages(images);
    list->SetParent(&form);
    form.Show();

    std::printf("%8s %14s %14s %14s %14s %7s %14s %14s %9s\n", "items", "fill us/item",
                "fill total s", "measure us/it", "measure tot s", "ratio", "mark us/item",
                "mark total s", "mark/fill");
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
        TTimings measured, filled, marked;
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

            start = TBenchClock::now();
            list->BeginUpdate();
            for (std::size_t i = 0; i < paths.size(); ++i)
                list->SetString(static_cast<int>(i), "<IMG src=\"idx:0\"> " + paths[i]);
            list->EndUpdate();
            marked.Seconds.push_back(SecondsSince(start));
        }
        const double measure = measured.Best(), fill = filled.Best(), mark = marked.Best();
        std::printf("%8d %14.2f %14.3f %14.2f %14.3f %7.2f %14.2f %14.3f %9.2f\n", count,
                    fill / count * 1e6, fill, measure / count * 1e6, measure, fill / measure,
                    mark / count * 1e6, mark, mark / fill);
    }
    return 0;
}
