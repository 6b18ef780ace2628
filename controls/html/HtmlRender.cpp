#include "controls/html/HtmlRender.h"

#include "controls/html/HtmlLayout.h"
#include "framework/Text.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

// Position of `lowerWhat` in `text`, letters compared case-insensitively.
std::size_t FindNoCase(const std::string& text, std::string_view lowerWhat, std::size_t from = 0) {
    if (lowerWhat.size() > text.size())
        return std::string::npos;
    for (std::size_t i = from; i + lowerWhat.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < lowerWhat.size() && FoldCase(text[i + k]) == lowerWhat[k])
            ++k;
        if (k == lowerWhat.size())
            return i;
    }
    return std::string::npos;
}

bool EndsWithNoCase(const std::string& text, std::string_view lowerWhat) {
    return text.size() >= lowerWhat.size() &&
           FindNoCase(text, lowerWhat, text.size() - lowerWhat.size()) != std::string::npos;
}

// A replacement can form a new entity with its neighbours ("&amp;amp;" gives
// "&&amp;", then "&&&"), so the entities are replaced until none is left.
// That end is the same whatever the order: an entity holds "&" only at its
// start, so two never overlap, and no replacement holds ";". Hence one pass
// that replaces an entity as soon as its ";" arrives reaches it in linear
// time, where sweeping the whole text once per replacement would not.
// With accelerators an ampersand is written "&&".
void ReplaceEntities(std::string& text, std::string_view ampersand) {
    const std::pair<std::string_view, std::string_view> entities[] = {
        {"&amp;", ampersand}, {"&quot;", "\""},    {"&sect;", "\xA7"},
        {"&permil;", "\x89"}, {"&reg;", "\xAE"},   {"&copy;", "\xA9"},
        {"&para;", "\xB6"},   {"&trade;", "\x99"}, {"&euro;", "\x80"}};
    std::string done;
    done.reserve(text.size());
    for (const char c : text) {
        done += c;
        if (c != ';')
            continue;
        for (const auto& [name, with] : entities)
            if (EndsWithNoCase(done, name)) {
                done.replace(done.size() - name.size(), name.size(), with);
                break;
            }
    }
    text = std::move(done);
}

// The text without each section from `open` to the next `close`; an open
// without a close ends the search and stays with the rest.
std::string DropSections(const std::string& text, std::string_view open, std::string_view close) {
    std::string kept;
    std::size_t done = 0;
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, done)) {
        const std::size_t end = text.find(close, at);
        if (end == std::string::npos)
            break;
        kept.append(text, done, at - done);
        done = end + close.size();
    }
    return kept.append(text, done);
}

// DrawText flags for the whole text, and the text as the layout reads it:
// entities replaced, the first "<#" opened up and carriage returns as BR.
UINT PrepareText(std::string& text, bool wordWrap, bool showAccelChar) {
    UINT flags = DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_EXTERNALLEADING;
    if (!showAccelChar || text.find(" & ") != std::string::npos)
        flags |= DT_NOPREFIX;
    if (!wordWrap)
        flags |= DT_END_ELLIPSIS;

    if (text.find('&') != std::string::npos)
        ReplaceEntities(text, showAccelChar ? "&&" : "&");
    if (const std::size_t hash = text.find("<#"); hash != std::string::npos) {
        text.erase(hash, 1);
        if (const std::size_t gt = text.find('>', hash); gt != std::string::npos)
            text.erase(gt, 1);
    }
    if (text.find_first_of("\r\n") != std::string::npos) {
        // Built anew, as inserting in place would move the rest once per line.
        std::string lines;
        lines.reserve(text.size());
        for (const char c : text)
            if (c == '\r')
                lines += "<BR>";
            else if (c != '\n')
                lines += c;
        text = std::move(lines);
    }
    return flags;
}

} // namespace

bool RenderHtmlText(TCanvas& canvas, const std::string& text, const RECT& rect,
                    const THtmlRenderOptions& options, THtmlRenderResult& result) {
    std::string prepared = text;
    const UINT flags = PrepareText(prepared, options.WordWrap, options.ShowAccelChar);
    return THtmlLayout(canvas, rect, options, result, flags).Run(prepared);
}

TColor ParseHtmlColor(const std::string& value) {
    if (!value.empty() && value[0] == '#') {
        auto channel = [&value](std::size_t at) {
            int result = 0;
            for (std::size_t i = at; i < at + 2 && i < value.size(); ++i) {
                const char c = value[i];
                if (c >= '0' && c <= '9')
                    result = result * 16 + (c - '0');
                else if (c >= 'A' && c <= 'F')
                    result = result * 16 + (c - 'A' + 10);
                else
                    break;
            }
            return static_cast<TColor>(result);
        };
        return channel(1) | channel(3) << 8 | channel(5) << 16;
    }
    static constexpr std::pair<std::string_view, TColor> names[] = {
        {"clred", clRed},
        {"clblack", clBlack},
        {"clblue", clBlue},
        {"clgreen", clGreen},
        {"claqua", clAqua},
        {"clyellow", clYellow},
        {"clfuchsia", clFuchsia},
        {"clwhite", clWhite},
        {"cllime", clLime},
        {"clsilver", clSilver},
        {"clgray", clGray},
        {"clolive", clOlive},
        {"clnavy", clNavy},
        {"clpurple", clPurple},
        {"clteal", clTeal},
        {"clmaroon", clMaroon},
        {"clbackground", SystemColor(COLOR_BACKGROUND)},
        {"clactivecaption", SystemColor(COLOR_ACTIVECAPTION)},
        {"clinactivecaption", SystemColor(COLOR_INACTIVECAPTION)},
        {"clmenu", SystemColor(COLOR_MENU)},
        {"clwindow", SystemColor(COLOR_WINDOW)},
        {"clwindowframe", SystemColor(COLOR_WINDOWFRAME)},
        {"clmenutext", SystemColor(COLOR_MENUTEXT)},
        {"clwindowtext", SystemColor(COLOR_WINDOWTEXT)},
        {"clcaptiontext", SystemColor(COLOR_CAPTIONTEXT)},
        {"clactiveborder", SystemColor(COLOR_ACTIVEBORDER)},
        {"clinactiveborder", SystemColor(COLOR_INACTIVEBORDER)},
        {"clappworkspace", SystemColor(COLOR_APPWORKSPACE)},
        {"clhighlight", SystemColor(COLOR_HIGHLIGHT)},
        {"clhighlighttext", SystemColor(COLOR_HIGHLIGHTTEXT)},
        {"clbtnface", SystemColor(COLOR_BTNFACE)},
        {"clbtnshadow", SystemColor(COLOR_BTNSHADOW)},
        {"clgraytext", SystemColor(COLOR_GRAYTEXT)},
        {"clbtntext", SystemColor(COLOR_BTNTEXT)},
        {"clinactivecaptiontext", SystemColor(COLOR_INACTIVECAPTIONTEXT)},
        {"clbtnhighlight", SystemColor(COLOR_BTNHIGHLIGHT)},
        {"cl3ddkshadow", SystemColor(COLOR_3DDKSHADOW)},
        {"cl3dlight", SystemColor(COLOR_3DLIGHT)},
        {"clinfotext", SystemColor(COLOR_INFOTEXT)},
        {"clinfobk", SystemColor(COLOR_INFOBK)},
    };
    std::string lower = value;
    std::transform(lower.begin(), lower.end(), lower.begin(), FoldCase);
    for (const auto& [name, color] : names)
        if (name == lower)
            return color;
    return clBlack;
}

std::string StripHtmlTags(const std::string& text) {
    // One pass per step, each over the whole text, so that a step sees what
    // the one before left, as line breaks and Z sections do.
    std::string lines;
    lines.reserve(text.size());
    std::size_t copied = 0;
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        const std::string_view tag = std::string_view(text).substr(at, 4);
        if (tag.size() == 4 && tag[3] == '>' && FoldCase(tag[2]) == 'r' &&
            (FoldCase(tag[1]) == 'b' || FoldCase(tag[1]) == 'h')) {
            lines.append(text, copied, at - copied) += "\r\n";
            copied = at + tag.size();
        }
    }
    lines.append(text, copied);
    // Z sections and their text are dropped; the two spellings are separate.
    // Then every tag goes; a "<" without a ">" stays with what follows it.
    return DropSections(DropSections(DropSections(lines, "<z>", "</z>"), "<Z>", "</Z>"), "<", ">");
}
