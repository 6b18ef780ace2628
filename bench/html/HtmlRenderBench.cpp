// Microseconds per RenderHtmlText call for the texts the main window's lists
// show, in the three ways a list box calls it: measuring an item, drawing it,
// and hit-testing anchors under the mouse.
#include "bench/BenchSupport.h"
#include "controls/html/HtmlRender.h"
#include "framework/Controls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// Processor time of this thread: the machine may be shared, and time spent
// waiting for the processor is not the code's.
double ThreadSeconds() {
    FILETIME creation, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 |
                                   time.dwLowDateTime) *
               1e-7;
    };
    return seconds(kernel) + seconds(user);
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 20000;
    TBitmap bitmap(600, 80);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font.SetName("Tahoma");
    canvas.Font.SetSize(8);

    TImageList images(nullptr, 16, 16);
    std::vector<std::uint32_t> pixels(16 * 16, 0xFFE0A000u);
    std::vector<std::uint16_t> mask(16, 0);
    TGdiObject<HBITMAP> image(CreateBitmap(16, 16, 1, 32, pixels.data()));
    TGdiObject<HBITMAP> maskBitmap(CreateBitmap(16, 16, 1, 1, mask.data()));
    images.Add(image.Get(), maskBitmap.Get());

    const std::string path =
        "C:\\Users\\Anwender\\Dokumente\\Projekte\\Korvandel\\Quellen\\Steuerelemente\\fMain.cpp";
    const std::string paragraph =
        "<P align=\"left\"><B>Kopieren</B> von <FONT color=\"#0000FF\">C:\\Daten</FONT> nach "
        "<I>E:\\Stick</I>: <A href=\"details\">Details</A> &amp; mehr &permil; "
        "<U>unterstrichen</U>, 12 Dateien.<BR>Zweite Zeile mit <SUB>tief</SUB> und "
        "<SUP>hoch</SUP>.";
    // Long texts show how the cost grows with the length; they run fewer calls.
    auto repeated = [](const std::string& part, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += part;
        return text;
    };
    const struct {
        const char* Name;
        std::string Text;
        int Share;
    } texts[] = {
        {"plain path", path, 1},
        {"marker + path", "<IMG src=\"idx:0\"> " + path, 1},
        {"tagged paragraph", paragraph, 1},
        {"100 paragraphs", repeated(paragraph, 100), 400},
        {"1000 entities", repeated("a &amp; b ", 1000), 400},
        {"20000 words", repeated("Datei ", 20000), 2000},
    };
    const struct {
        const char* Name;
        bool Measure, AnchorTest;
    } modes[] = {{"measure", true, true}, {"draw", false, false}, {"anchor test", false, true}};

    std::printf("%-18s %-12s %12s\n", "text", "call", "us/call");
    for (const auto& text : texts)
        for (const auto& mode : modes) {
            THtmlRenderOptions options;
            options.Images = &images;
            options.MeasureOnly = mode.Measure;
            options.AnchorTestOnly = mode.AnchorTest;
            options.Selected = mode.Measure;
            options.HitX = 120;
            options.HitY = 8;
            const RECT r = MakeRect(2, 0, 420, 80);
            THtmlRenderResult result;
            RenderHtmlText(canvas, text.Text, r, options, result); // warm the font cache
            const int count = std::max(1, calls / text.Share);
            const auto start = TBenchClock::now();
            for (int i = 0; i < count; ++i)
                RenderHtmlText(canvas, text.Text, r, options, result);
            const double perCall = SecondsSince(start) / count * 1e6;
            std::printf("%-18s %-12s %12.2f\n", text.Name, mode.Name, perCall);
        }

    // Tag stripping and the line breaks of the preparation grow with the
    // text: per-item figures stay flat when both are linear. Timed in
    // processor time, as preemption would add more to the longer calls.
    std::printf("\n%-18s %8s %12s %12s\n", "step", "items", "ms/call", "ns/item");
    for (const int count : {10000, 20000, 40000}) {
        const std::string tagged = repeated("<BR>Datei<B>", count / 2);
        const std::string lines = repeated("Zeile\r\n", count);
        THtmlRenderOptions options;
        options.MeasureOnly = true;
        THtmlRenderResult result;
        const struct {
            const char* Name;
            std::function<void()> Call;
        } steps[] = {
            {"strip tags", [&] { StripHtmlTags(tagged); }},
            {"line breaks",
             [&] { RenderHtmlText(canvas, lines, MakeRect(2, 0, 420, 80), options, result); }},
        };
        for (const auto& step : steps) {
            // Enough calls to add up to far more than the clock's resolution.
            int calls = 0;
            const double start = ThreadSeconds();
            double spent = 0;
            for (; spent < 0.5; spent = ThreadSeconds() - start, ++calls)
                step.Call();
            const double perCall = spent / calls;
            std::printf("%-18s %8d %12.2f %12.1f\n", step.Name, count, perCall * 1e3,
                        perCall / count * 1e9);
        }
    }
    return 0;
}
