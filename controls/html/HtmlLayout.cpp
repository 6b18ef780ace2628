#include "controls/html/HtmlLayout.h"

#include "controls/paint/AdvGradient.h"
#include "framework/Controls.h"
#include "framework/Text.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Digits after an optional sign, up to the first other character; `valid`
// tells whether there was a digit at all.
int ParseInt(std::string_view text, bool* valid = nullptr) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    const std::size_t first = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1 << 30);
    if (valid)
        *valid = i > first;
    return static_cast<int>(negative ? -value : value);
}

// Text between the first two double quotes at or after `from`; up to the end
// of the tag when the second is missing.
std::string FirstQuoted(const std::string& tag, std::size_t from) {
    const std::size_t open = from == std::string::npos ? std::string::npos : tag.find('"', from);
    if (open == std::string::npos)
        return {};
    std::size_t close = tag.find('"', open + 1);
    if (close == std::string::npos)
        close = tag.size() - (tag.back() == '>' ? 1 : 0);
    return close > open ? tag.substr(open + 1, close - open - 1) : std::string();
}

} // namespace

// A tag with its upper-cased copy, for reading attributes.
struct THtmlLayout::TTag {
    const std::string& Text;
    std::string Upper;

    explicit TTag(const std::string& text) : Text(text), Upper(UpperCase(text)) {}

    char At(std::size_t i) const { return i < Upper.size() ? Upper[i] : '\0'; }
    bool Contains(std::string_view what) const { return Upper.find(what) != std::string::npos; }
    // Position just after `name=`, blanks allowed around the "="; std::string::npos when
    // the attribute is absent.
    std::size_t ValueStart(std::string_view name) const {
        for (std::size_t at = Upper.find(name); at != std::string::npos;
             at = Upper.find(name, at + 1)) {
            std::size_t p = at + name.size();
            while (p < Upper.size() && Upper[p] == ' ')
                ++p;
            if (p < Upper.size() && Upper[p] == '=') {
                ++p;
                while (p < Upper.size() && Upper[p] == ' ')
                    ++p;
                return p;
            }
        }
        return std::string::npos;
    }
    bool Has(std::string_view name) const { return ValueStart(name) != std::string::npos; }
    // The quoted value, case kept; empty when absent or not quoted.
    std::string Value(std::string_view name) const {
        const std::size_t p = ValueStart(name);
        return p < Text.size() && Text[p] == '"' ? FirstQuoted(Text, p) : std::string();
    }
    std::string UpperValue(std::string_view name) const { return UpperCase(Value(name)); }
    TColor Color(std::string_view name) const {
        const std::string value = UpperValue(name);
        return value.empty() ? clNone : ParseHtmlColor(value);
    }
};

bool THtmlLayout::Run(const std::string& text) {
    FEntryBrushColor = FCanvas.Brush.Color();
    const TBrushStyle entryBrushStyle = FCanvas.Brush.Style();
    FFontColorBeforeHighlight = FFontColorBeforeHover = FBaseFont.Color();
    FCanvas.Brush.SetColor(clNone);
    SetBkMode(FCanvas.Handle(), TRANSPARENT);
    FResult.FocusHref.clear();
    FResult.ExtentX = FResult.ExtentY = FResult.AnchorCount = 0;
    FResult.HitAnchorIndex = -1;

    bool hit = false;
    int top = FRect.top;
    TFont startFont(FCanvas.Font), measuredFont;
    std::string_view rest = text;
    while (!rest.empty()) {
        const bool inAnchor = FInAnchor, hidden = FHidden, shadow = FShadow;
        const std::string href = FAnchorHref;
        const int anchors = FAnchorCount, listLevel = FListLevel, images = FImageCount,
                  offset = FCarriedOffset;
        FSubscript = FSuperscript = false;
        FLine = TLine{};
        FLine.Height = GhHeight();
        const int ghHeight = FLine.Height;

        const RECT measureRect{FRect.left + 1, top, FRect.right, top + ghHeight};
        const std::string line = LayoutLine(rest, measureRect, TPass::psMeasure);
        FInAnchor = inAnchor;
        FAnchorHref = href;
        FLine.Height += FOptions.LineSpacing;
        // The next line starts below this rectangle, whatever the second pass
        // makes of the line (WRAP sets its height back without the spacing),
        // so that drawing advances exactly as measuring does.
        const int height = FLine.Height + FLine.SubscriptExtra + FLine.SuperscriptExtra;

        RECT lineRect{measureRect.left, top, FRect.right, top + height};
        if (FAlignment == TAlignment::taRight && FRect.right - FLine.Width > lineRect.left)
            lineRect.left = FRect.right - FLine.Width;
        if (FAlignment == TAlignment::taCenter && FRect.right - lineRect.left - FLine.Width > 0)
            lineRect.left += (FRect.right - lineRect.left - FLine.Width) / 2;
        lineRect.left += FParagraphIndent;

        if (!FOptions.MeasureOnly) {
            // The second pass replays the line from the state it started in.
            measuredFont.Assign(FCanvas.Font);
            FCanvas.Font.Assign(startFont);
            FAnchorCount = anchors;
            FListLevel = listLevel;
            FImageCount = images;
            FHidden = hidden;
            FShadow = shadow;
            FSubscript = FSuperscript = false;
            const TPass pass = FOptions.AnchorTestOnly ? TPass::psAnchorTest : TPass::psDraw;
            if (pass == TPass::psDraw)
                lineRect.left += offset;
            std::string_view replay = line;
            LayoutLine(replay, lineRect, pass);
            const int textBottom = lineRect.bottom - FLine.BaselineRaise;
            if (FAnchorImageHit || (FAnchorTextHit && FOptions.HitY < textBottom &&
                                    FOptions.HitY > textBottom - GhHeight()))
                hit = true;
            FCanvas.Font.Assign(measuredFont);
        }
        startFont.Assign(FCanvas.Font);

        top += height;
        FResult.ExtentY += height;
        ++FLineIndex;
        // A line that could not show at least a "gh" height is left out.
        if (!FOptions.MeasureOnly && top + ghHeight > FRect.bottom)
            break;
    }
    if (FResult.ExtentY == 0)
        FResult.ExtentY = GhHeight();
    FResult.AnchorCount = FAnchorCount;
    FCanvas.Brush.SetColor(FEntryBrushColor);
    FCanvas.Brush.SetStyle(entryBrushStyle);
    FCanvas.Font.Assign(FBaseFont);
    return hit;
}

std::string THtmlLayout::LayoutLine(std::string_view& rest, const RECT& lineRect, TPass pass) {
    FPass = pass;
    FLeft = FCurrentX = lineRect.left;
    FTop = lineRect.top;
    FRight = lineRect.right;
    FBottom = lineRect.bottom - FLine.SubscriptExtra;
    FLine.Width = FLine.TrailingSpaceWidth = 0;
    FLineBreak = FListItemSeen = FAnchorTextHit = FAnchorImageHit = false;
    FLaidText.clear();
    if (Drawing() && FParagraphFill)
        FillLine();

    std::string markup;
    while (!rest.empty() && !FLineBreak) {
        // A piece runs up to a tag or, when measuring with WordWrap, up to and
        // including a blank before it. Looking for whichever comes first,
        // rather than for each through the rest of the text, keeps long texts
        // linear. The line, once laid out, goes to the system from tag to tag:
        // its glyphs may advance less than their measured widths (Wine's
        // fonts do), so words drawn one by one from their measured ends would
        // stand apart by more than a blank.
        const bool byWord = FOptions.WordWrap && pass == TPass::psMeasure;
        const std::size_t end = rest.find_first_of(byWord ? "< " : "<");
        const std::size_t length = end == std::string::npos ? rest.size()
                                   : rest[end] == ' '       ? end + 1
                                                            : end;
        if (length > 0) {
            // Measuring may take only the start of a word that passes the edge.
            std::string raw(rest.substr(0, length));
            const TPieceResult piece = TextPiece(raw);
            if (piece == TPieceResult::prBreak)
                break;
            if (piece == TPieceResult::prKeep)
                markup += raw;
            rest.remove_prefix(raw.size());
        }
        if (rest.empty() || rest[0] != '<' || FLineBreak)
            continue;
        if (rest.size() <= 2) {
            rest = {};
            break;
        }
        const std::size_t gt = rest.find('>');
        const std::string tag(rest.substr(0, gt == std::string::npos ? std::string::npos : gt + 1));
        if (!HandleTag(tag, rest.size() >= 4))
            break; // the line is full; the tag starts the next one
        markup += tag;
        rest.remove_prefix(tag.size());
    }

    FLine.Width -= FLine.TrailingSpaceWidth;
    if (FLine.Width > FResult.ExtentX)
        FResult.ExtentX = FLine.Width + 2;
    if (Drawing() && FInAnchor && FAnchorCount == FOptions.FocusAnchorIndex + 1) {
        FCanvas.DrawFocusRect(MakeRect(FFocusStart.x - 1, FFocusStart.y, FCurrentX + 1, FBottom));
        FFocusStart = POINT{lineRect.left + 1, FBottom};
    }
    return markup;
}

namespace {

// Decoded per piece, so that a decoded "<" is never read as a tag.
std::string DecodePiece(const std::string& raw) {
    std::string text = raw;
    if (text.find('&') != std::string::npos) {
        ReplaceAll(text, "&nbsp;", " ");
        ReplaceAll(text, "&lt;", "<");
        ReplaceAll(text, "&gt;", ">");
    }
    return text;
}

// Length of the character at `at` of a raw piece: an entity and, with prefix
// processing, an ampersand with the character it marks stay whole.
std::size_t CharLength(const std::string& raw, std::size_t at, bool prefixes) {
    if (raw[at] == '&') {
        for (std::string_view entity : {"&nbsp;", "&lt;", "&gt;"})
            if (raw.compare(at, entity.size(), entity) == 0)
                return entity.size();
        return prefixes && at + 1 < raw.size() ? 2 : 1;
    }
    return static_cast<std::size_t>(CharNextA(raw.c_str() + at) - (raw.c_str() + at));
}

} // namespace

int THtmlLayout::PieceWidth(const std::string& text) {
    RECT r{FLeft, FTop, FRight, FTop + FLine.Height};
    FCanvas.DrawText(text, r, FTextFlags | DT_CALCRECT);
    return r.right - r.left;
}

bool THtmlLayout::FitPiece(std::string& raw, std::string& text, int& width) {
    const int before = FLine.Width;
    const int available = FRight - FLeft - FCarriedOffset;
    // A word glued to the one before it is not split off.
    if (before + width < available || (!FLaidText.empty() && FLaidText.back() != ' '))
        return true;
    // After other words, a word that does not fit starts the next line; if
    // it is wider than a whole line it is broken there.
    if (FLaidText.find_first_not_of(' ') != std::string::npos)
        return false;
    // On a line that holds no word yet (an image before a path, say) a word
    // wider than the rest of the line is broken, so nothing is cut off. Its
    // blank may hang over the edge.
    std::string word = raw;
    while (!word.empty() && word.back() == ' ')
        word.pop_back();
    const auto startWidth = [&](std::size_t end) {
        return PieceWidth(DecodePiece(word.substr(0, end)));
    };
    if (word.empty() || before + startWidth(word.size()) <= available)
        return true;
    // A path breaks after a delimiter; inside a part only where the part
    // alone is wider than a line.
    std::vector<std::size_t> ends, delimited;
    for (std::size_t at = 0; at < word.size();) {
        const std::size_t length = CharLength(word, at, !(FTextFlags & DT_NOPREFIX));
        if (length == 1 && (word[at] == '\\' || word[at] == '/'))
            delimited.push_back(at + length);
        ends.push_back(at += length);
    }
    // The last of the ascending `cuts` whose start of the word fits; 0 if none.
    const auto lastFitting = [&](const std::vector<std::size_t>& cuts) {
        std::size_t low = 0, high = cuts.size();
        while (low < high) {
            const std::size_t middle = (low + high + 1) / 2;
            if (before + startWidth(cuts[middle - 1]) <= available)
                low = middle;
            else
                high = middle - 1;
        }
        return low == 0 ? 0 : cuts[low - 1];
    };
    const bool lineUsed = before > 0 || !FLaidText.empty();
    std::size_t cut = lastFitting(delimited);
    if (cut == 0) {
        const std::size_t part = delimited.empty() ? word.size() : delimited.front();
        if (lineUsed && startWidth(part) <= available)
            return false; // a fresh line holds the first part whole
        cut = lastFitting(ends);
    }
    if (cut == 0) {
        if (lineUsed)
            return false;   // a fresh line has more room
        cut = ends.front(); // one character at least, or nothing would ever be laid out
    }
    raw.resize(cut);
    text = DecodePiece(raw);
    width = PieceWidth(text);
    FLineBreak = true;
    return true;
}

THtmlLayout::TPieceResult THtmlLayout::TextPiece(std::string& raw) {
    std::string text = DecodePiece(raw);
    const int height = FCanvas.TextHeight(text);
    if (FSubscript)
        FLine.SubscriptExtra = std::max(FLine.SubscriptExtra, height / 4);
    if (FSuperscript)
        FLine.SuperscriptExtra = std::max(FLine.SuperscriptExtra, height / 4);
    FLine.Height = std::max(FLine.Height, height);
    if (FHidden)
        return TPieceResult::prDrop;

    const int before = FLine.Width;
    int width;
    if (Measuring()) {
        width = PieceWidth(text);
        if (FPass == TPass::psMeasure && FOptions.WordWrap && !FitPiece(raw, text, width)) {
            FLineBreak = true;
            return TPieceResult::prBreak;
        }
        if (FInAnchor)
            HitTestAnchorText(before, before + width);
        FCurrentX += width;
    } else {
        int right = FCurrentX;
        DrawPiece(text, right);
        width = right - FCurrentX;
        FCurrentX = right;
    }
    FLine.Width += width;
    FLaidText += text;
    FLine.TrailingSpaceWidth = text.back() == ' ' ? FCanvas.TextWidth(" ") : 0;
    return TPieceResult::prKeep;
}

void THtmlLayout::DrawPiece(const std::string& text, int& right) {
    int bottom = FBottom - FLine.BaselineRaise;
    if (FSuperscript)
        bottom -= FLine.SuperscriptExtra;
    if (FSubscript)
        bottom += FLine.SubscriptExtra;
    const UINT flags = FTextFlags & ~DT_EXTERNALLEADING;
    RECT r{FCurrentX, FTop, FRight, bottom};
    if (FShadow) {
        const TColor color = FCanvas.Font.Color();
        FCanvas.Font.SetColor(FOptions.ShadowColor);
        RECT shadow = r;
        OffsetRect(&shadow, FOptions.ShadowOffset, FOptions.ShadowOffset);
        FCanvas.DrawText(text, shadow, flags);
        FCanvas.Font.SetColor(color);
    }
    RECT drawn = r;
    FCanvas.DrawText(text, drawn, flags);
    FCanvas.DrawText(text, r, FTextFlags | DT_CALCRECT);
    right = r.right;
    if (FInAnchor && FAnchorCount == FOptions.FocusAnchorIndex + 1)
        FResult.FocusHref = FAnchorHref;
    if (FErrorMarking) {
        FCanvas.Pen.SetColor(clRed);
        FCanvas.Pen.SetWidth(1);
        int x = FCurrentX / 2 * 2;
        int y = x % 4 == 0 ? FBottom + 1 : FBottom - 1;
        FCanvas.MoveTo(x, y);
        while (x < right) {
            x += 2;
            y = y == FBottom + 1 ? FBottom - 1 : FBottom + 1;
            FCanvas.LineTo(x, y);
        }
    }
}

void THtmlLayout::HitTestAnchorText(int before, int after) {
    const int x = FOptions.HitX - FLeft;
    if (x < before || x > after)
        return;
    FAnchorTextHit = true;
    if (FOptions.HitY > FTop) {
        FResult.AnchorHref = FAnchorHref;
        FHitRecordOpen = true;
    }
}

void THtmlLayout::SetStyle(TFontStyle style, bool on) {
    FCanvas.Font.SetStyle(on ? FCanvas.Font.Style() | style : FCanvas.Font.Style() & ~style);
}

bool THtmlLayout::HandleTag(const std::string& text, bool closingAllowed) {
    const TTag tag(text);
    if (closingAllowed && tag.At(1) == '/')
        CloseTag(tag);
    else if (tag.At(1) == 'I' && tag.At(2) == 'M')
        return ImageTag(tag);
    else if (tag.At(1) == 'L')
        return ListItem();
    else
        OpenTag(tag);
    return true;
}

void THtmlLayout::OpenTag(const TTag& tag) {
    const char second = tag.At(2);
    switch (tag.At(1)) {
    case 'A':
        OpenAnchor(tag);
        break;
    case 'B':
        if (second == '>')
            SetStyle(fsBold, true);
        else if (second == 'L' && !FOptions.BlinkVisible)
            FCanvas.Font.SetColor(FEntryBrushColor); // vanishes into the background
        else if (second == 'O')
            BodyTag(tag);
        else if (second == 'R')
            FLineBreak = true;
        break;
    case 'E':
        if (Drawing())
            FErrorMarking = true;
        break;
    case 'F':
        FontTag(tag);
        break;
    case 'H':
        if (second == 'I' && Drawing()) {
            FFontColorBeforeHighlight = FCanvas.Font.Color();
            FBrushBeforeHighlight = BrushColor();
            FCanvas.Brush.SetColor(clHighlight);
            FCanvas.Font.SetColor(clHighlightText);
        } else if (second == 'R') {
            FLineBreak = true;
            if (Drawing())
                HorizontalRule();
        }
        break;
    case 'I':
        if (second == '>')
            SetStyle(fsItalic, true);
        else if (second == 'N') {
            bool valid = false;
            const int value = ParseInt(FirstQuoted(tag.Text, tag.Upper.find('X')), &valid);
            if (valid && value > FLine.Width) {
                FLine.Width = value;
                FCurrentX = FRect.left + value;
            }
        }
        break;
    case 'O':
        if (second == 'F') {
            FCarriedOffset = ParseInt(FirstQuoted(tag.Text, tag.Upper.find('X')));
            FCurrentX = FLine.Width = FCarriedOffset;
        }
        break;
    case 'P':
        ParagraphTag(tag);
        break;
    case 'R':
        FFontBeforeRotation.Assign(FCanvas.Font);
        FRotated = true;
        // Whole turns change nothing and would let ten times the angle overflow.
        FCanvas.Font.SetOrientation(10 *
                                    (ParseInt(FirstQuoted(tag.Text, tag.Upper.find('A'))) % 360));
        break;
    case 'S':
        if (second == '>')
            SetStyle(fsStrikeOut, true);
        else if (second == 'H')
            FShadow = true;
        else if (tag.Upper == "<SUB>")
            FSubscript = true;
        else if (tag.Upper == "<SUP>")
            FSuperscript = true;
        break;
    case 'U':
        if (second == '>')
            SetStyle(fsUnderline, true);
        else {
            ++FListLevel;
            FLineBreak = true;
        }
        break;
    case 'Z':
        FHidden = true;
        break;
    }
}

void THtmlLayout::CloseTag(const TTag& tag) {
    const char second = tag.At(3);
    switch (tag.At(2)) {
    case 'A':
        CloseAnchor();
        break;
    case 'B':
        if (second == '>')
            SetStyle(fsBold, false);
        else
            FCanvas.Font.SetColor(FBaseFont.Color()); // ends BLINK
        break;
    case 'E':
        if (Drawing())
            FErrorMarking = false;
        break;
    case 'F':
        FCanvas.Font.SetName(FBaseFont.Name());
        FCanvas.Font.SetHeight(FBaseFont.Height());
        if (Drawing() && !FOptions.Selected) {
            FCanvas.Font.SetColor(FBaseFont.Color());
            FCanvas.Brush.SetColor(FBrushBeforeFont);
        }
        break;
    case 'H':
        if (Drawing()) {
            FCanvas.Font.SetColor(FFontColorBeforeHighlight);
            FCanvas.Brush.SetColor(FBrushBeforeHighlight);
        }
        break;
    case 'I':
        SetStyle(fsItalic, false);
        break;
    case 'L':
        FLineBreak = true;
        break;
    case 'O':
        FCarriedOffset = 0;
        break;
    case 'P':
        FLineBreak = true;
        if (Drawing()) {
            FCanvas.Brush.SetColor(FBrushBeforeParagraph);
            FParagraphFill = false;
        }
        break;
    case 'R':
        // The whole font, so that a FONT change inside ends with the rotation.
        if (FRotated)
            FCanvas.Font.Assign(FFontBeforeRotation);
        FRotated = false;
        break;
    case 'S':
        if (second == 'U')
            FSubscript = FSuperscript = false;
        else if (second == 'H')
            FShadow = false;
        else
            SetStyle(fsStrikeOut, false);
        break;
    case 'U':
        if (second != '>' && FListLevel > 0)
            --FListLevel;
        else
            SetStyle(fsUnderline, false);
        break;
    case 'Z':
        FHidden = false;
        break;
    }
}

void THtmlLayout::OpenAnchor(const TTag& tag) {
    ++FAnchorCount;
    if (HoverApplies() && Drawing()) {
        SetStyle(fsUnderline, true);
        if (FOptions.HoverColor != clNone) {
            FBrushBeforeHover = BrushColor();
            FCanvas.Brush.SetColor(FOptions.HoverColor);
        }
        if (FOptions.HoverFontColor != clNone) {
            FFontColorBeforeHover = FCanvas.Font.Color();
            FCanvas.Font.SetColor(FOptions.HoverFontColor);
        }
    }
    const bool hovered = FOptions.HoverOnly && FAnchorCount == FOptions.HoverAnchorIndex;
    if (!FOptions.Selected && (FOptions.HoverFontColor == clNone || !hovered))
        FCanvas.Font.SetColor(FOptions.URLColor);
    FAnchorHref = FirstQuoted(tag.Text, 0);
    FInAnchor = true;
    FAnchorStartWidth = FLine.Width;
    FAnchorStartTop = FTop;
    FAnchorLine = FLineIndex;
    if (Drawing() && FAnchorCount == FOptions.FocusAnchorIndex + 1)
        FFocusStart = POINT{FCurrentX, FTop};
}

void THtmlLayout::CloseAnchor() {
    if (HoverApplies() && Drawing()) {
        SetStyle(fsUnderline, false);
        if (FOptions.HoverColor != clNone)
            FCanvas.Brush.SetColor(FBrushBeforeHover);
        if (FOptions.HoverFontColor != clNone)
            FCanvas.Font.SetColor(FFontColorBeforeHover);
    }
    if (!FOptions.Selected)
        FCanvas.Font.SetColor(FBaseFont.Color());
    FInAnchor = false;
    if (FHitRecordOpen) {
        // An anchor that began on an earlier line counts from this line's start.
        const bool sameLine = FAnchorLine == FLineIndex;
        FResult.HitAnchorRect =
            MakeRect(FLeft + (sameLine ? FAnchorStartWidth : 0), sameLine ? FAnchorStartTop : FTop,
                     FLeft + FLine.Width, LineBottom());
        FResult.HitAnchorIndex = FAnchorCount;
        FHitRecordOpen = false;
    }
    if (Drawing() && FAnchorCount == FOptions.FocusAnchorIndex + 1) {
        const int bottom = FBottom - FLine.BaselineRaise;
        FCanvas.DrawFocusRect(
            MakeRect(FFocusStart.x - 1, bottom - GhHeight(), FCurrentX + 1, bottom));
    }
}

void THtmlLayout::FontTag(const TTag& tag) {
    if (const std::string face = tag.UpperValue("FACE"); !face.empty())
        FCanvas.Font.SetName(face);
    if (std::size_t size = tag.ValueStart("SIZE"); size != std::string::npos) {
        if (size < tag.Text.size() && tag.Text[size] == '"')
            ++size;
        static constexpr int points[] = {8, 10, 12, 14, 16};
        const int value = ParseInt(std::string_view(tag.Text).substr(size));
        FCanvas.Font.SetSize(value >= 1 && value <= 5 ? points[value - 1] : value);
    }
    if (!FOptions.Selected) {
        // " COLOR" with its blank, so that BGCOLOR does not match.
        if (const std::string color = tag.UpperValue(" COLOR"); !color.empty())
            FCanvas.Font.SetColor(ParseHtmlColor(color));
        if (Drawing() && tag.Has("BGCOLOR")) {
            FBrushBeforeFont = BrushColor();
            FCanvas.Brush.SetColor(tag.Color("BGCOLOR"));
        }
    }
}

void THtmlLayout::ParagraphTag(const TTag& tag) {
    if (tag.Has("ALIGN")) {
        const std::string align = tag.UpperValue("ALIGN");
        if (align.find("RIGHT") != std::string::npos)
            FAlignment = TAlignment::taRight;
        if (align.find("LEFT") != std::string::npos)
            FAlignment = TAlignment::taLeft;
        if (align.find("CENTER") != std::string::npos)
            FAlignment = TAlignment::taCenter;
    }
    if (tag.Has("INDENT"))
        FParagraphIndent = ParseInt(tag.Value("INDENT"));
    if (!Drawing())
        return;
    if (tag.Has("BGCOLORTO")) {
        DrawGradient(FCanvas, tag.Color("BGCOLOR"), tag.Color("BGCOLORTO"), 64,
                     MakeRect(FRect.left, FTop, FRect.right, FBottom + 2), true);
        FCanvas.Brush.SetColor(clNone);
    } else if (tag.Has("BGCOLOR")) {
        const TColor color = tag.Color("BGCOLOR");
        FParagraphFill = true;
        FBrushBeforeParagraph = BrushColor();
        FCanvas.Brush.SetColor(color);
        FCanvas.Pen.SetColor(color);
        FillLine();
    }
}

void THtmlLayout::BodyTag(const TTag& tag) {
    if (!Drawing() || FOptions.Selected)
        return;
    TBodyBackground body;
    body.Background = tag.Value("BACKGROUND");
    body.TopLeft = tag.Value("BGTOPLEFT");
    body.TopRight = tag.Value("BGTOPRIGHT");
    body.HasColor = tag.Has("BGCOLOR");
    body.HasColorTo = tag.Has("BGCOLORTO");
    body.Color = tag.Color("BGCOLOR");
    body.ColorTo = tag.Color("BGCOLORTO");
    body.Horizontal = !tag.Has("DIR") || tag.UpperValue("DIR") == "H";
    PaintBodyBackground(FCanvas, body, FRect, POINT{FCurrentX, FTop}, FSources, FBrushBeforeFont);
}

bool THtmlLayout::ImageTag(const TTag& tag) {
    const int number = FImageCount + 1;
    std::string source = FirstQuoted(tag.Text, tag.Upper.find("SRC", 2));
    // An image in an anchor shows its ALT image while the point is over it.
    if (tag.Has("ALT") && number == FImageUnderPoint)
        source = tag.UpperValue("ALT");
    const int dpiX = GetDeviceCaps(FCanvas.Handle(), LOGPIXELSX);
    const int dpiY = GetDeviceCaps(FCanvas.Handle(), LOGPIXELSY);
    const int width = ParseInt(tag.Value("WIDTH")), height = ParseInt(tag.Value("HEIGHT"));

    const std::vector<TMarkupImage> images = FindMarkupImages(source, FSources);
    SIZE size{0, 0};
    for (const TMarkupImage& image : images) {
        size = image.Size(width, height);
        // An image list holds its images at the screen's size, as they are
        // drawn; other pictures are given at 96 pixels per inch.
        if (!image.List) {
            size.cx = MulDiv(size.cx, dpiX, 96);
            size.cy = MulDiv(size.cy, dpiY, 96);
        }
    }
    const int lineWidth = FRight - FLeft;
    if (FPass == TPass::psMeasure && size.cx < lineWidth && FLine.Width + size.cx > lineWidth)
        return false;
    FImageCount = number;

    const int x = FOptions.HitX - FLeft;
    if (FInAnchor && FLine.Width < x && x < FLine.Width + size.cx && FTop < FOptions.HitY &&
        FOptions.HitY < FTop + size.cy) {
        FAnchorImageHit = true;
        FResult.AnchorHref = FAnchorHref;
        FImageUnderPoint = number;
    }
    if (Drawing())
        for (const TMarkupImage& image : images)
            image.Draw(FCanvas, FCurrentX, FTop, MulDiv(width, dpiX, 96), MulDiv(height, dpiY, 96),
                       FOptions.ScaleImages, FOptions.ImageScale);
    FLine.Width += size.cx;
    FCurrentX += size.cx;
    FLine.Height = std::max<int>(FLine.Height, size.cy);
    if (tag.Contains("\"TOP"))
        FLine.BaselineRaise = FLine.Height - GhHeight();
    else if (tag.Contains("\"MIDDLE"))
        FLine.BaselineRaise = (FLine.Height - GhHeight()) / 2;
    if (tag.Contains("WRAP")) {
        FLine.Height = GhHeight();
        FLine.BaselineRaise = 0;
    }
    return true;
}

bool THtmlLayout::ListItem() {
    if (FListItemSeen)
        return false; // one bullet per line
    FListItemSeen = true;
    FLine.Width += 12 * FListLevel;
    FCurrentX += 12 * (FListLevel - 1);
    if (Drawing() && !FHidden) {
        const std::string face = FCanvas.Font.Name();
        FCanvas.Font.SetName("Symbol");
        FCanvas.TextOut(FCurrentX, FTop, FListLevel % 2 ? "\xB7" : "o");
        FCanvas.Font.SetName(face);
    }
    FCurrentX += 12;
    return true;
}

void THtmlLayout::HorizontalRule() {
    const TColor pen = FCanvas.Pen.Color();
    FCanvas.Pen.SetColor(clBlack);
    FCanvas.Pen.SetWidth(1);
    FCanvas.MoveTo(FLeft, FBottom + 1);
    FCanvas.LineTo(FRight, FBottom + 1);
    FCanvas.Pen.SetColor(pen);
}

void THtmlLayout::FillLine() {
    FCanvas.FillRect(MakeRect(FRect.left, FTop, FRect.right, FTop + FLine.Height));
}
