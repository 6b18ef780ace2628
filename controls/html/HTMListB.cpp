#include "controls/html/HTMListB.h"

#include "controls/paint/AdvGradient.h"
#include "framework/CaseFold.h"
#include "framework/Controls.h"

#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <vector>
#include <string_view>
#include <utility>

namespace {

constexpr auto npos = std::string::npos;

char LowerChar(char c) {
    return FoldCase(c);
}

// Position of `lowerWhat` in `text`, letters compared case-insensitively.
std::size_t FindNoCase(const std::string& text, std::string_view lowerWhat, std::size_t from = 0) {
    if (lowerWhat.size() > text.size())
        return npos;
    for (std::size_t i = from; i + lowerWhat.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < lowerWhat.size() && LowerChar(text[i + k]) == lowerWhat[k])
            ++k;
        if (k == lowerWhat.size())
            return i;
    }
    return npos;
}

bool EndsWithNoCase(const std::string& text, std::string_view lowerWhat) {
    return text.size() >= lowerWhat.size() &&
           FindNoCase(text, lowerWhat, text.size() - lowerWhat.size()) != npos;
}

// A replacement can form a new entity with its neighbours ("&amp;amp;" gives
// "&&amp;", then "&&&"), so the entities are replaced until none is left.
// That end is the same whatever the order: an entity holds "&" only at its
// start, so two never overlap, and no replacement holds ";". Hence one pass
// that replaces an entity as soon as its ";" arrives reaches it in linear
// time, where sweeping the whole text once per replacement would not.
void ReplaceEntities(std::string& text) {
    static constexpr std::pair<std::string_view, std::string_view> entities[] = {
        {"&amp;", "&&"},      {"&quot;", "\""},    {"&sect;", "\xA7"},
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

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (std::size_t at = text.find(what); at != npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

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
    const std::size_t open = from == npos ? npos : tag.find('"', from);
    if (open == npos)
        return {};
    std::size_t close = tag.find('"', open + 1);
    if (close == npos)
        close = tag.size() - (tag.back() == '>' ? 1 : 0);
    return close > open ? tag.substr(open + 1, close - open - 1) : std::string();
}

// A tag with its upper-cased copy, for reading attributes.
struct TTag {
    const std::string& Text;
    std::string Upper;

    explicit TTag(const std::string& text) : Text(text), Upper(UpperCaseAscii(text)) {}

    char At(std::size_t i) const { return i < Upper.size() ? Upper[i] : '\0'; }
    bool Contains(std::string_view what) const { return Upper.find(what) != npos; }
    // Position just after `name=`, blanks allowed around the "="; npos when
    // the attribute is absent.
    std::size_t ValueStart(std::string_view name) const {
        for (std::size_t at = Upper.find(name); at != npos; at = Upper.find(name, at + 1)) {
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
        return npos;
    }
    bool Has(std::string_view name) const { return ValueStart(name) != npos; }
    // The quoted value, case kept; empty when absent or not quoted.
    std::string Value(std::string_view name) const {
        const std::size_t p = ValueStart(name);
        return p < Text.size() && Text[p] == '"' ? FirstQuoted(Text, p) : std::string();
    }
    std::string UpperValue(std::string_view name) const { return UpperCaseAscii(Value(name)); }
    TColor Color(std::string_view name) const {
        const std::string value = UpperValue(name);
        return value.empty() ? clNone : ParseHtmlColor(value);
    }
};

enum class TAlignment { taLeft, taRight, taCenter };

// Measuring lays a line out and decides where it ends; the second pass runs on
// the line's markup only, to draw it or to hit-test it on the aligned line.
enum class TPass { psMeasure, psAnchorTest, psDraw };

class THtmlLayout {
  public:
    THtmlLayout(TCanvas& canvas, const RECT& rect, const THtmlRenderOptions& options,
                THtmlRenderResult& result)
        : C(canvas), FRect(rect), O(options), R(result),
          FBaseFont(canvas.Font), FSources{options.Images, options.PictureContainer,
                                           options.PictureCache} {}

    bool Run(std::string text);

  private:
    enum class TPieceResult { prKeep, prDrop, prBreak };

    void Prepare(std::string& text);
    // Consumes the line's markup from the front of `s` (a view, so that taking
    // a piece off costs nothing however long the text) and returns it.
    std::string LayoutLine(std::string_view& s, const RECT& lineRect, TPass pass);
    TPieceResult Piece(const std::string& raw);
    void DrawPiece(const std::string& text, int& right);
    void AnchorTextHit(int before, int after);
    bool Tag(const std::string& text, bool closingAllowed);
    void OpenTag(const TTag& tag);
    void CloseTag(const TTag& tag);
    void OpenAnchor(const TTag& tag);
    void CloseAnchor();
    void FontTag(const TTag& tag);
    void ParagraphTag(const TTag& tag);
    void BodyTag(const TTag& tag);
    bool ImageTag(const TTag& tag);
    bool ListItem();
    void HorizontalRule();
    void FillLine();
    void SetStyle(TFontStyle style, bool on);
    TColor BrushColor() const {
        return C.Brush.Style() == TBrushStyle::bsClear ? clNone : C.Brush.Color();
    }
    bool Drawing() const { return FPass == TPass::psDraw; }
    bool Measuring() const { return FPass != TPass::psDraw; }
    bool HoverApplies() const { return !O.HoverOnly || FAnchors == O.HoverAnchorIndex; }
    int LineBottom() const {
        return FPass == TPass::psMeasure ? FTop + FLine.Height + FLine.SupExtra : FBottom;
    }
    int Gh() { return C.TextHeight("gh"); }

    TCanvas& C;
    const RECT FRect;
    const THtmlRenderOptions& O;
    THtmlRenderResult& R;
    TFont FBaseFont;
    TMarkupImageSources FSources;
    UINT FFlags = 0;
    // The brush colour at entry, kept by a clear brush too: it is the
    // background the caller painted, which hidden blinking text takes.
    TColor FEntryBrush = clNone;

    // Render state over the whole text.
    bool FInAnchor = false;
    std::string FHref;
    int FAnchors = 0;
    bool FHidden = false, FShadow = false, FErrorMark = false;
    bool FSub = false, FSup = false;
    int FListLevel = 0, FImages = 0, FImageUnderPoint = -1;
    bool FParaFill = false;
    TAlignment FAlign = TAlignment::taLeft;
    int FParaIndent = 0, FOffset = 0;
    TColor FSavedFontBrush = clNone, FSavedParaBrush = clNone, FSavedHiBrush = clNone;
    TColor FSavedAnchorBrush = clNone;
    TColor FSavedHiFont, FSavedAnchorFont;
    int FSavedOrientation = 0;

    // Geometry of the line being laid out.
    struct TLine {
        int Height = 0, Width = 0, SubExtra = 0, SupExtra = 0, Raise = 0, TrailSpace = 0;
    } FLine;
    int FLineIndex = 0;

    // The pass over the current line.
    TPass FPass = TPass::psMeasure;
    int FLeft = 0, FTop = 0, FRight = 0, FBottom = 0, FX = 0;
    bool FBreak = false, FItemSeen = false, FTextHit = false, FImageHit = false;
    std::string FLaidText;

    // The open anchor, for its hit rectangle and focus rectangle.
    int FAnchorStartWidth = 0, FAnchorStartTop = 0, FAnchorLine = -1;
    bool FHitOpen = false;
    POINT FFocusStart{};
};

void THtmlLayout::Prepare(std::string& text) {
    FFlags = DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_EXTERNALLEADING;
    if (text.find(" & ") != npos)
        FFlags |= DT_NOPREFIX;
    if (!O.WordWrap)
        FFlags |= DT_END_ELLIPSIS;

    if (text.find('&') != npos)
        ReplaceEntities(text);
    if (const std::size_t hash = text.find("<#"); hash != npos) {
        text.erase(hash, 1);
        if (const std::size_t gt = text.find('>', hash); gt != npos)
            text.erase(gt, 1);
    }
    if (text.find_first_of("\r\n") != npos) {
        std::erase(text, '\n');
        ReplaceAll(text, "\r", "<BR>");
    }
}

bool THtmlLayout::Run(std::string text) {
    FEntryBrush = C.Brush.Color();
    const TBrushStyle entryBrushStyle = C.Brush.Style();
    FSavedHiFont = FSavedAnchorFont = FBaseFont.Color();
    C.Brush.SetColor(clNone);
    SetBkMode(C.Handle(), TRANSPARENT);
    R.FocusHref.clear();
    R.ExtentX = R.ExtentY = R.AnchorCount = 0;
    R.HitAnchorIndex = -1;
    Prepare(text);

    bool hit = false;
    int top = FRect.top;
    TFont startFont(C.Font), measuredFont;
    std::string_view rest = text;
    while (!rest.empty()) {
        const bool inAnchor = FInAnchor, hidden = FHidden, shadow = FShadow;
        const std::string href = FHref;
        const int anchors = FAnchors, listLevel = FListLevel, images = FImages, offset = FOffset;
        FSub = FSup = false;
        FLine = TLine{};
        FLine.Height = Gh();
        const int g = FLine.Height;

        const RECT measureRect{FRect.left + 1, top, FRect.right, top + g};
        const std::string line = LayoutLine(rest, measureRect, TPass::psMeasure);
        FInAnchor = inAnchor;
        FHref = href;
        FLine.Height += O.LineSpacing;
        // The next line starts below this rectangle, whatever the second pass
        // makes of the line (WRAP sets its height back without the spacing),
        // so that drawing advances exactly as measuring does.
        const int height = FLine.Height + FLine.SubExtra + FLine.SupExtra;

        RECT lineRect{measureRect.left, top, FRect.right, top + height};
        if (FAlign == TAlignment::taRight && FRect.right - FLine.Width > lineRect.left)
            lineRect.left = FRect.right - FLine.Width;
        if (FAlign == TAlignment::taCenter && FRect.right - lineRect.left - FLine.Width > 0)
            lineRect.left += (FRect.right - lineRect.left - FLine.Width) / 2;
        lineRect.left += FParaIndent;

        if (!O.MeasureOnly) {
            // The second pass replays the line from the state it started in.
            measuredFont.Assign(C.Font);
            C.Font.Assign(startFont);
            FAnchors = anchors;
            FListLevel = listLevel;
            FImages = images;
            FHidden = hidden;
            FShadow = shadow;
            FSub = FSup = false;
            const TPass pass = O.AnchorTestOnly ? TPass::psAnchorTest : TPass::psDraw;
            if (pass == TPass::psDraw)
                lineRect.left += offset;
            std::string_view replay = line;
            LayoutLine(replay, lineRect, pass);
            const int textBottom = lineRect.bottom - FLine.Raise;
            if (FImageHit || (FTextHit && O.HitY < textBottom && O.HitY > textBottom - Gh()))
                hit = true;
            C.Font.Assign(measuredFont);
        }
        startFont.Assign(C.Font);

        top += height;
        R.ExtentY += height;
        ++FLineIndex;
        // A line that could not show at least a "gh" height is left out.
        if (!O.MeasureOnly && top + g > FRect.bottom)
            break;
    }
    if (R.ExtentY == 0)
        R.ExtentY = Gh();
    R.AnchorCount = FAnchors;
    C.Brush.SetColor(FEntryBrush);
    C.Brush.SetStyle(entryBrushStyle);
    C.Font.Assign(FBaseFont);
    return hit;
}

std::string THtmlLayout::LayoutLine(std::string_view& s, const RECT& lineRect, TPass pass) {
    FPass = pass;
    FLeft = FX = lineRect.left;
    FTop = lineRect.top;
    FRight = lineRect.right;
    FBottom = lineRect.bottom - FLine.SubExtra;
    FLine.Width = FLine.TrailSpace = 0;
    FBreak = FItemSeen = FTextHit = FImageHit = false;
    FLaidText.clear();
    if (Drawing() && FParaFill)
        FillLine();

    std::string markup;
    while (!s.empty() && !FBreak) {
        // A piece runs up to a tag or, with WordWrap, up to and including a
        // blank before it. Looking for whichever comes first, rather than for
        // each through the rest of the text, keeps long texts linear.
        const std::size_t end = s.find_first_of(O.WordWrap ? "< " : "<");
        const std::size_t length = end == npos ? s.size() : s[end] == ' ' ? end + 1 : end;
        if (length > 0) {
            const std::string raw(s.substr(0, length));
            const TPieceResult piece = Piece(raw);
            if (piece == TPieceResult::prBreak)
                break;
            if (piece == TPieceResult::prKeep)
                markup += raw;
            s.remove_prefix(length);
        }
        if (s.empty() || s[0] != '<' || FBreak)
            continue;
        if (s.size() <= 2) {
            s = {};
            break;
        }
        const std::size_t gt = s.find('>');
        const std::string tag(s.substr(0, gt == npos ? npos : gt + 1));
        if (!Tag(tag, s.size() >= 4))
            break; // the line is full; the tag starts the next one
        markup += tag;
        s.remove_prefix(tag.size());
    }

    FLine.Width -= FLine.TrailSpace;
    if (FLine.Width > R.ExtentX)
        R.ExtentX = FLine.Width + 2;
    if (Drawing() && FInAnchor && FAnchors == O.FocusAnchorIndex + 1) {
        C.DrawFocusRect(MakeRect(FFocusStart.x - 1, FFocusStart.y, FX + 1, FBottom));
        FFocusStart = POINT{lineRect.left + 1, FBottom};
    }
    return markup;
}

THtmlLayout::TPieceResult THtmlLayout::Piece(const std::string& raw) {
    std::string text = raw;
    if (text.find('&') != npos) {
        // Decoded per piece, so that a decoded "<" is never read as a tag.
        ReplaceAll(text, "&nbsp;", " ");
        ReplaceAll(text, "&lt;", "<");
        ReplaceAll(text, "&gt;", ">");
    }
    const int height = C.TextHeight(text);
    if (FSub)
        FLine.SubExtra = std::max(FLine.SubExtra, height / 4);
    if (FSup)
        FLine.SupExtra = std::max(FLine.SupExtra, height / 4);
    FLine.Height = std::max(FLine.Height, height);
    if (FHidden)
        return TPieceResult::prDrop;

    const int before = FLine.Width;
    int width;
    if (Measuring()) {
        RECT r{FLeft, FTop, FRight, FTop + height};
        C.DrawText(text, r, FFlags | DT_CALCRECT);
        width = r.right - r.left;
        if (FInAnchor)
            AnchorTextHit(before, before + width);
        FX += width;
    } else {
        int right = FX;
        DrawPiece(text, right);
        width = right - FX;
        FX = right;
    }
    FLine.Width += width;

    if (FPass == TPass::psMeasure && O.WordWrap) {
        const int available = FRight - FLeft - FOffset;
        // A piece wider than the whole line, or glued to the word before it,
        // is never pushed down.
        const bool fits = FLine.Width < available || width >= available ||
                          (!FLaidText.empty() && FLaidText.back() != ' ');
        if (!fits) {
            FLine.Width -= width;
            FBreak = true;
            return TPieceResult::prBreak;
        }
    }
    FLaidText += text;
    FLine.TrailSpace = text.back() == ' ' ? C.TextWidth(" ") : 0;
    return TPieceResult::prKeep;
}

void THtmlLayout::DrawPiece(const std::string& text, int& right) {
    int bottom = FBottom - FLine.Raise;
    if (FSup)
        bottom -= FLine.SupExtra;
    if (FSub)
        bottom += FLine.SubExtra;
    const UINT flags = FFlags & ~DT_EXTERNALLEADING;
    RECT r{FX, FTop, FRight, bottom};
    if (FShadow) {
        const TColor color = C.Font.Color();
        C.Font.SetColor(O.ShadowColor);
        RECT shadow = r;
        OffsetRect(&shadow, O.ShadowOffset, O.ShadowOffset);
        C.DrawText(text, shadow, flags);
        C.Font.SetColor(color);
    }
    RECT drawn = r;
    C.DrawText(text, drawn, flags);
    C.DrawText(text, r, FFlags | DT_CALCRECT);
    right = r.right;
    if (FInAnchor && FAnchors == O.FocusAnchorIndex + 1)
        R.FocusHref = FHref;
    if (FErrorMark) {
        C.Pen.SetColor(clRed);
        C.Pen.SetWidth(1);
        int x = FX / 2 * 2;
        int y = x % 4 == 0 ? FBottom + 1 : FBottom - 1;
        C.MoveTo(x, y);
        while (x < right) {
            x += 2;
            y = y == FBottom + 1 ? FBottom - 1 : FBottom + 1;
            C.LineTo(x, y);
        }
    }
}

void THtmlLayout::AnchorTextHit(int before, int after) {
    const int x = O.HitX - FLeft;
    if (x < before || x > after)
        return;
    FTextHit = true;
    if (O.HitY > FTop) {
        R.AnchorHref = FHref;
        FHitOpen = true;
    }
}

void THtmlLayout::SetStyle(TFontStyle style, bool on) {
    C.Font.SetStyle(on ? C.Font.Style() | style : C.Font.Style() & ~style);
}

bool THtmlLayout::Tag(const std::string& text, bool closingAllowed) {
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
        else if (second == 'L' && !O.BlinkVisible)
            C.Font.SetColor(FEntryBrush); // vanishes into the background
        else if (second == 'O')
            BodyTag(tag);
        else if (second == 'R')
            FBreak = true;
        break;
    case 'E':
        if (Drawing())
            FErrorMark = true;
        break;
    case 'F':
        FontTag(tag);
        break;
    case 'H':
        if (second == 'I' && Drawing()) {
            FSavedHiFont = C.Font.Color();
            FSavedHiBrush = BrushColor();
            C.Brush.SetColor(clHighlight);
            C.Font.SetColor(clHighlightText);
        } else if (second == 'R') {
            FBreak = true;
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
                FX = FRect.left + value;
            }
        }
        break;
    case 'O':
        if (second == 'F') {
            FOffset = ParseInt(FirstQuoted(tag.Text, tag.Upper.find('X')));
            FX = FLine.Width = FOffset;
        }
        break;
    case 'P':
        ParagraphTag(tag);
        break;
    case 'R':
        FSavedOrientation = C.Font.Orientation();
        // Whole turns change nothing and would let ten times the angle overflow.
        C.Font.SetOrientation(10 * (ParseInt(FirstQuoted(tag.Text, tag.Upper.find('A'))) % 360));
        break;
    case 'S':
        if (second == '>')
            SetStyle(fsStrikeOut, true);
        else if (second == 'H')
            FShadow = true;
        else if (tag.Upper == "<SUB>")
            FSub = true;
        else if (tag.Upper == "<SUP>")
            FSup = true;
        break;
    case 'U':
        if (second == '>')
            SetStyle(fsUnderline, true);
        else {
            ++FListLevel;
            FBreak = true;
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
            C.Font.SetColor(FBaseFont.Color()); // ends BLINK
        break;
    case 'E':
        if (Drawing())
            FErrorMark = false;
        break;
    case 'F':
        C.Font.SetName(FBaseFont.Name());
        C.Font.SetHeight(FBaseFont.Height());
        if (Drawing() && !O.Selected) {
            C.Font.SetColor(FBaseFont.Color());
            C.Brush.SetColor(FSavedFontBrush);
        }
        break;
    case 'H':
        if (Drawing()) {
            C.Font.SetColor(FSavedHiFont);
            C.Brush.SetColor(FSavedHiBrush);
        }
        break;
    case 'I':
        SetStyle(fsItalic, false);
        break;
    case 'L':
        FBreak = true;
        break;
    case 'O':
        FOffset = 0;
        break;
    case 'P':
        FBreak = true;
        if (Drawing()) {
            C.Brush.SetColor(FSavedParaBrush);
            FParaFill = false;
        }
        break;
    case 'R':
        C.Font.SetOrientation(FSavedOrientation);
        break;
    case 'S':
        if (second == 'U')
            FSub = FSup = false;
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
    ++FAnchors;
    if (HoverApplies() && Drawing()) {
        SetStyle(fsUnderline, true);
        if (O.HoverColor != clNone) {
            FSavedAnchorBrush = BrushColor();
            C.Brush.SetColor(O.HoverColor);
        }
        if (O.HoverFontColor != clNone) {
            FSavedAnchorFont = C.Font.Color();
            C.Font.SetColor(O.HoverFontColor);
        }
    }
    const bool hovered = O.HoverOnly && FAnchors == O.HoverAnchorIndex;
    if (!O.Selected && (O.HoverFontColor == clNone || !hovered))
        C.Font.SetColor(O.URLColor);
    FHref = FirstQuoted(tag.Text, 0);
    FInAnchor = true;
    FAnchorStartWidth = FLine.Width;
    FAnchorStartTop = FTop;
    FAnchorLine = FLineIndex;
    if (Drawing() && FAnchors == O.FocusAnchorIndex + 1)
        FFocusStart = POINT{FX, FTop};
}

void THtmlLayout::CloseAnchor() {
    if (HoverApplies() && Drawing()) {
        SetStyle(fsUnderline, false);
        if (O.HoverColor != clNone)
            C.Brush.SetColor(FSavedAnchorBrush);
        if (O.HoverFontColor != clNone)
            C.Font.SetColor(FSavedAnchorFont);
    }
    if (!O.Selected)
        C.Font.SetColor(FBaseFont.Color());
    FInAnchor = false;
    if (FHitOpen) {
        // An anchor that began on an earlier line counts from this line's start.
        const bool sameLine = FAnchorLine == FLineIndex;
        R.HitAnchorRect =
            MakeRect(FLeft + (sameLine ? FAnchorStartWidth : 0), sameLine ? FAnchorStartTop : FTop,
                     FLeft + FLine.Width, LineBottom());
        R.HitAnchorIndex = FAnchors;
        FHitOpen = false;
    }
    if (Drawing() && FAnchors == O.FocusAnchorIndex + 1) {
        const int bottom = FBottom - FLine.Raise;
        C.DrawFocusRect(MakeRect(FFocusStart.x - 1, bottom - Gh(), FX + 1, bottom));
    }
}

void THtmlLayout::FontTag(const TTag& tag) {
    if (const std::string face = tag.UpperValue("FACE"); !face.empty())
        C.Font.SetName(face);
    if (std::size_t size = tag.ValueStart("SIZE"); size != npos) {
        if (size < tag.Text.size() && tag.Text[size] == '"')
            ++size;
        static constexpr int points[] = {8, 10, 12, 14, 16};
        const int value = ParseInt(std::string_view(tag.Text).substr(size));
        C.Font.SetSize(value >= 1 && value <= 5 ? points[value - 1] : value);
    }
    if (!O.Selected) {
        // " COLOR" with its blank, so that BGCOLOR does not match.
        if (const std::string color = tag.UpperValue(" COLOR"); !color.empty())
            C.Font.SetColor(ParseHtmlColor(color));
        if (Drawing() && tag.Has("BGCOLOR")) {
            FSavedFontBrush = BrushColor();
            C.Brush.SetColor(tag.Color("BGCOLOR"));
        }
    }
}

void THtmlLayout::ParagraphTag(const TTag& tag) {
    if (tag.Has("ALIGN")) {
        const std::string align = tag.UpperValue("ALIGN");
        if (align.find("RIGHT") != npos)
            FAlign = TAlignment::taRight;
        if (align.find("LEFT") != npos)
            FAlign = TAlignment::taLeft;
        if (align.find("CENTER") != npos)
            FAlign = TAlignment::taCenter;
    }
    if (tag.Has("INDENT"))
        FParaIndent = ParseInt(tag.Value("INDENT"));
    if (!Drawing())
        return;
    if (tag.Has("BGCOLORTO")) {
        DrawGradient(C, tag.Color("BGCOLOR"), tag.Color("BGCOLORTO"), 64,
                     MakeRect(FRect.left, FTop, FRect.right, FBottom + 2), true);
        C.Brush.SetColor(clNone);
    } else if (tag.Has("BGCOLOR")) {
        const TColor color = tag.Color("BGCOLOR");
        FParaFill = true;
        FSavedParaBrush = BrushColor();
        C.Brush.SetColor(color);
        C.Pen.SetColor(color);
        FillLine();
    }
}

void THtmlLayout::BodyTag(const TTag& tag) {
    if (!Drawing() || O.Selected)
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
    PaintBodyBackground(C, body, FRect, POINT{FX, FTop}, FSources, FSavedFontBrush);
}

bool THtmlLayout::ImageTag(const TTag& tag) {
    const int number = FImages + 1;
    std::string source = FirstQuoted(tag.Text, tag.Upper.find("SRC", 2));
    // An image in an anchor shows its ALT image while the point is over it.
    if (tag.Has("ALT") && number == FImageUnderPoint)
        source = tag.UpperValue("ALT");
    const int dpiX = GetDeviceCaps(C.Handle(), LOGPIXELSX);
    const int dpiY = GetDeviceCaps(C.Handle(), LOGPIXELSY);
    const int width = ParseInt(tag.Value("WIDTH")), height = ParseInt(tag.Value("HEIGHT"));

    const std::vector<TMarkupImage> images = FindMarkupImages(source, FSources);
    SIZE size{0, 0};
    for (const TMarkupImage& image : images) {
        size = image.Size(width, height);
        size.cx = MulDiv(size.cx, dpiX, 96);
        size.cy = MulDiv(size.cy, dpiY, 96);
    }
    const int lineWidth = FRight - FLeft;
    if (FPass == TPass::psMeasure && size.cx < lineWidth && FLine.Width + size.cx > lineWidth)
        return false;
    FImages = number;

    const int x = O.HitX - FLeft;
    if (FInAnchor && FLine.Width < x && x < FLine.Width + size.cx && FTop < O.HitY &&
        O.HitY < FTop + size.cy) {
        FImageHit = true;
        R.AnchorHref = FHref;
        FImageUnderPoint = number;
    }
    if (Drawing())
        for (const TMarkupImage& image : images)
            image.Draw(C, FX, FTop, MulDiv(width, dpiX, 96), MulDiv(height, dpiY, 96),
                       O.ScaleImages, O.ImageScale);
    FLine.Width += size.cx;
    FX += size.cx;
    FLine.Height = std::max<int>(FLine.Height, size.cy);
    if (tag.Contains("\"TOP"))
        FLine.Raise = FLine.Height - Gh();
    else if (tag.Contains("\"MIDDLE"))
        FLine.Raise = (FLine.Height - Gh()) / 2;
    if (tag.Contains("WRAP")) {
        FLine.Height = Gh();
        FLine.Raise = 0;
    }
    return true;
}

bool THtmlLayout::ListItem() {
    if (FItemSeen)
        return false; // one bullet per line
    FItemSeen = true;
    FLine.Width += 12 * FListLevel;
    FX += 12 * (FListLevel - 1);
    if (Drawing() && !FHidden) {
        const std::string face = C.Font.Name();
        C.Font.SetName("Symbol");
        C.TextOut(FX, FTop, FListLevel % 2 ? "\xB7" : "o");
        C.Font.SetName(face);
    }
    FX += 12;
    return true;
}

void THtmlLayout::HorizontalRule() {
    const TColor pen = C.Pen.Color();
    C.Pen.SetColor(clBlack);
    C.Pen.SetWidth(1);
    C.MoveTo(FLeft, FBottom + 1);
    C.LineTo(FRight, FBottom + 1);
    C.Pen.SetColor(pen);
}

void THtmlLayout::FillLine() {
    C.FillRect(MakeRect(FRect.left, FTop, FRect.right, FTop + FLine.Height));
}

} // namespace

bool RenderHtmlText(TCanvas& canvas, const std::string& text, const RECT& rect,
                    const THtmlRenderOptions& options, THtmlRenderResult& result) {
    return THtmlLayout(canvas, rect, options, result).Run(text);
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
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerChar);
    for (const auto& [name, color] : names)
        if (name == lower)
            return color;
    return clBlack;
}

std::string StripHtmlTags(const std::string& text) {
    std::string copy = text;
    for (const std::string_view lineTag : {"<br>", "<hr>"})
        for (std::size_t at = FindNoCase(copy, lineTag); at != npos;
             at = FindNoCase(copy, lineTag, at + 2))
            copy.replace(at, lineTag.size(), "\r\n");

    std::string result;
    // Z sections and their text are dropped; the two spellings are separate.
    for (const auto& [open, close] :
         {std::pair<std::string_view, std::string_view>{"<z>", "</z>"}, {"<Z>", "</Z>"}}) {
        for (std::size_t at = copy.find(open); at != npos; at = copy.find(open)) {
            result += copy.substr(0, at);
            const std::size_t end = copy.find(close, at);
            if (end == npos) {
                copy.erase(0, at);
                break;
            }
            copy.erase(0, end + close.size());
        }
    }
    for (std::size_t at = copy.find('<'); at != npos; at = copy.find('<')) {
        result += copy.substr(0, at);
        const std::size_t gt = copy.find('>', at);
        if (gt == npos) {
            copy.erase(0, at);
            break;
        }
        copy.erase(0, gt + 1);
    }
    return result + copy;
}

// ---- THTMListBox

namespace {

constexpr int kMaxItemHeight = 255;
constexpr int kHorizontalWidth = 4096;
constexpr int kGradientSteps = 128;
constexpr unsigned kBlinkInterval = 100;
// Blinking text changes every fifth tick of the blink timer.
constexpr int kTicksPerBlink = 5;
// How many items a batch adds before the list's top item follows them.
constexpr int kTopItemStep = 256;

// Two gradients split at the middle (left and right with `direction`, else
// top and bottom), or one over the whole rectangle without mirror colours.
void FillMirrorGradient(TCanvas& canvas, const RECT& r, const TGradientStyle& colors) {
    if (colors.ColorMirrorFrom() == clNone) {
        DrawGradient(canvas, colors.ColorFrom(), colors.ColorTo(), kGradientSteps, r,
                     !colors.Direction);
        return;
    }
    RECT first = r, second = r;
    if (colors.Direction)
        first.right = second.left = (r.left + r.right) / 2;
    else
        first.bottom = second.top = (r.top + r.bottom) / 2;
    DrawGradient(canvas, colors.ColorFrom(), colors.ColorTo(), kGradientSteps, first, false);
    DrawGradient(canvas, colors.ColorMirrorFrom(), colors.ColorMirrorTo(), kGradientSteps, second,
                 false);
}

std::string UpperCase(std::string text) {
    if (!text.empty())
        CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool StartsWithNoCase(const std::string& text, std::string_view lowerPrefix) {
    return text.size() >= lowerPrefix.size() && FindNoCase(text, lowerPrefix) == 0;
}

} // namespace

bool IsShellLink(const std::string& href) {
    for (std::string_view scheme : {"http://", "https://", "ftp://", "mailto:"})
        if (StartsWithNoCase(href, scheme))
            return true;
    return false;
}

void OpenShellLink(const std::string& href) {
    ShellExecuteA(nullptr, "open", href.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

THTMListBox::THTMListBox(TComponent* owner) : TListBox(owner), FBlinkTimer(new TTimer(this)) {
    FSelectionColors.OnChange = [this] { Invalidate(); };
    FBlinkTimer->SetEnabled(false);
    FBlinkTimer->SetInterval(kBlinkInterval);
    FBlinkTimer->SetOnTimer([this](TComponent*) { BlinkTick(); });
}

THTMListBox::~THTMListBox() {
    // The timer is owned and would otherwise outlive the members its tick uses.
    DestroyComponents();
}

void THTMListBox::CreateParams(TCreateParams& params) {
    TListBox::CreateParams(params);
    if (FScrollHorizontal)
        params.Style |= WS_HSCROLL;
}

int THTMListBox::ClientWidth() const {
    RECT r;
    if (HandleAllocated() && GetClientRect(Handle(), &r))
        return r.right;
    return Width();
}

int THTMListBox::ClientHeight() const {
    RECT r;
    if (HandleAllocated() && GetClientRect(Handle(), &r))
        return r.bottom;
    return Height();
}

THtmlRenderOptions THTMListBox::RenderOptions() const {
    THtmlRenderOptions o;
    o.Images = FImages;
    o.URLColor = FURLColor;
    o.ShadowColor = FShadowColor;
    o.ShadowOffset = FShadowOffset;
    o.PictureCache = const_cast<THTMLPictureCache*>(&FPictureCache);
    o.PictureContainer = FPictureContainer;
    o.LineSpacing = FLineSpacing;
    o.WordWrap = !FEllipsis;
    o.ImageScale = 1.0;
    o.HoverColor = o.HoverFontColor = clNone;
    return o;
}

RECT THTMListBox::MeasureRect(int margin) const {
    RECT r = MakeRect(0, 0, ClientWidth(), Height());
    if (FScrollHorizontal)
        r.right = r.left + kHorizontalWidth;
    else if (Height() < Count() * ItemHeight) // a vertical scroll bar is to be expected
        r.right -= GetSystemMetrics(SM_CXVSCROLL);
    else
        r.right -= margin;
    return r;
}

THtmlRenderResult THTMListBox::MeasureText(const std::string& text, const RECT& r) {
    THtmlRenderOptions o = RenderOptions();
    o.MeasureOnly = true;
    o.AnchorTestOnly = true;
    o.Selected = true;
    o.BlinkVisible = true;
    THtmlRenderResult result;
    RenderHtmlText(MeasureCanvas(), text, r, o, result);
    return result;
}

int THTMListBox::LimitHeight(int height) const {
    return std::min(std::min(height, ClientHeight()), kMaxItemHeight);
}

void THTMListBox::WidenTo(int extentX) {
    if (extentX + 6 > FMaxItemWidth) {
        FMaxItemWidth = extentX + 6;
        UpdateHorizontalExtent(FMaxItemWidth);
    }
}

int THTMListBox::MeasureItem(int index) {
    const THtmlRenderResult m = MeasureText(Strings(index), MeasureRect(2));
    if (FScrollHorizontal)
        WidenTo(m.ExtentX);
    return LimitHeight(m.ExtentY);
}

void THTMListBox::UpdateItemHeights() {
    if (Loading() || !HandleAllocated() || Count() == 0)
        return;
    const RECT r = MeasureRect(4);
    int widest = 0;
    // Each new height would otherwise update and repaint the list at once.
    const bool suspend = FUpdateCount == 0;
    if (suspend)
        SetRedraw(false);
    for (int i = 0; i < Count(); ++i) {
        if (!FAutoItemHeight) {
            SetItemHeights(i, ItemHeight);
            continue;
        }
        const THtmlRenderResult m = MeasureText(Strings(i), r);
        widest = std::max(widest, m.ExtentX);
        // A list item needs at least one pixel.
        SetItemHeights(i, std::max(LimitHeight(m.ExtentY) - 2, 1));
    }
    if (suspend)
        SetRedraw(true);
    if (FScrollHorizontal)
        WidenTo(widest);
}

int THTMListBox::WidestItem() {
    const RECT r = MakeRect(0, 0, kHorizontalWidth, Height());
    int widest = 0;
    for (int i = 0; i < Count(); ++i)
        widest = std::max(widest, MeasureText(Strings(i), r).ExtentX + 6);
    return widest;
}

void THTMListBox::UpdateHorizontalExtent(int width) {
    if (FUpdateCount > 0 || !HandleAllocated())
        return;
    const auto removeExtent = [this] {
        SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
        SendMessageA(Handle(), WM_HSCROLL, SB_LEFT, 0);
    };
    if (Count() == 0 || !FScrollHorizontal) {
        removeExtent();
        return;
    }
    if (width == 0)
        width = FMaxItemWidth = WidestItem();
    const RECT first = ItemRect(0);
    if (width > first.right - first.left) {
        SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
    } else {
        removeExtent();
        ShowScrollBar(Handle(), SB_HORZ, FALSE);
    }
}

void THTMListBox::SetRedraw(bool redraw) {
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), WM_SETREDRAW, redraw, 0);
    if (redraw)
        Invalidate();
}

void THTMListBox::BeginUpdate() {
    // A visible system list updates its scroll bar and repaints for every
    // insertion, which costs far more than measuring the item.
    if (FUpdateCount++ == 0 && HandleAllocated()) {
        FBatchTopIndex = TopIndex();
        SetRedraw(false);
    }
}

void THTMListBox::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount > 0)
        return;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(FBatchTopIndex), 0);
    SetRedraw(true);
    UpdateHorizontalExtent();
}

std::string THTMListBox::GetItemPlainText(int index) const {
    if (index < 0 || index >= Count())
        throw EHTMListBoxError("Item index out of range");
    return StripHtmlTags(Strings(index));
}

void THTMListBox::DrawItem(TCanvas& canvas, int index, const RECT& rect, bool selected,
                           bool focused) {
    if (index == Count() - 1 && rect.bottom < Height()) {
        // Nothing else paints the space below the last item.
        canvas.Brush.SetColor(Color());
        canvas.FillRect(MakeRect(rect.left, rect.bottom, rect.right, Height()));
    }
    const bool showSelected = selected && FShowSelection;
    const TGradientStyle& colors = FSelectionColors;
    TColor anchorColor = FURLColor;
    bool gradient = false;
    if (showSelected) {
        canvas.Brush.SetColor(colors.ColorFrom());
        canvas.Font.SetColor(FSelectionFontColor);
        canvas.Pen.SetColor(colors.ColorTo() == clNone ? colors.ColorFrom() : colors.BorderColor());
        anchorColor = FSelectionFontColor;
        gradient = colors.ColorTo() != clNone;
    } else {
        canvas.Brush.SetColor(Color());
        canvas.Pen.SetColor(Color());
        canvas.Font.SetColor(Font.Color());
    }
    if (gradient) {
        FillMirrorGradient(canvas, rect, colors);
        if (colors.BorderColor() != clNone) {
            canvas.Brush.SetColor(colors.BorderColor());
            canvas.FrameRect(rect);
        }
        canvas.Brush.SetColor(colors.ColorFrom());
    } else {
        canvas.Rectangle(rect);
    }
    if (focused && FShowFocus && FShowSelection)
        canvas.DrawFocusRect(rect);

    RECT text = rect;
    text.left += 2;
    if (FScrollHorizontal)
        text.right = text.left + kHorizontalWidth;
    text.bottom += 4;
    THtmlRenderOptions o = RenderOptions();
    o.Selected = showSelected;
    o.BlinkVisible = FBlinkVisible;
    o.URLColor = anchorColor;
    o.HitX = FMouseX + 2;
    o.HitY = FMouseY;
    THtmlRenderResult result;
    RenderHtmlText(canvas, Strings(index), text, o, result);
}

std::pair<std::string, int> THTMListBox::AnchorAtPoint(int x, int y) {
    const int index = ItemAtPos(x, y);
    if (index < 0)
        return {std::string(), -1};
    THtmlRenderOptions o = RenderOptions();
    o.AnchorTestOnly = true;
    o.Selected = true;
    o.LineSpacing = 0;
    o.HitX = x;
    o.HitY = y;
    THtmlRenderResult result;
    if (!RenderHtmlText(MeasureCanvas(), Strings(index), ItemRect(index), o, result))
        return {std::string(), -1};
    return {result.AnchorHref, index};
}

void THTMListBox::MouseMove(TShiftState shift, int x, int y) {
    TListBox::MouseMove(shift, x, y);
    FMouseX = x;
    FMouseY = y;
    const int item = ItemAtPos(x, y);
    const auto [href, index] = AnchorAtPoint(x, y);
    if (!href.empty()) {
        if (href != FHoverAnchor && !FHoverAnchor.empty() && OnAnchorExit)
            OnAnchorExit(this, FHoverItem, FHoverAnchor);
        if (Cursor() != TCursor::crHandPoint) {
            FSavedCursor = Cursor();
            SetCursor(TCursor::crHandPoint);
        }
        if (href != FHoverAnchor && OnAnchorEnter)
            OnAnchorEnter(this, index, href);
        FHoverAnchor = href;
        FHoverItem = index;
    } else if (!FHoverAnchor.empty() && Cursor() == TCursor::crHandPoint) {
        SetCursor(FSavedCursor);
        const std::string old = std::exchange(FHoverAnchor, std::string());
        if (OnAnchorExit)
            OnAnchorExit(this, FHoverItem, old);
        FHoverItem = -1;
    }
    UpdateHint(item, index, href);
}

void THTMListBox::UpdateHint(int item, int anchorItem, const std::string& href) {
    if (AnchorHint && !href.empty()) {
        std::string hint = href;
        if (OnAnchorHint)
            OnAnchorHint(this, anchorItem, hint);
        SetHint(hint);
    } else if (ItemHint && item >= 0) {
        SetHint(HTMLHint ? Strings(item) : GetItemPlainText(item));
    } else if (AnchorHint || ItemHint) {
        SetHint(std::string());
    }
}

void THTMListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const auto [href, index] = AnchorAtPoint(x, y);
    if (href.empty()) {
        TListBox::MouseDown(button, shift, x, y);
        return;
    }
    // An href from an item's text goes to the shell only as a web or mail
    // link; a file, a program or an unknown protocol is the owner's business.
    if (IsShellLink(href)) {
        if (ShellOpen)
            ShellOpen(href);
    } else if (OnAnchorClick) {
        OnAnchorClick(this, index, href);
    }
}

LRESULT THTMListBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CHAR: {
        // Typed characters are looked up in the plain texts (KeyDown); the
        // system list would search the markup.
        char ch = static_cast<char>(wParam);
        KeyPress(ch);
        return 0;
    }
    case WM_KEYDOWN: {
        const LRESULT result = TListBox::WindowProc(msg, wParam, lParam);
        Lookup(static_cast<WORD>(wParam));
        return result;
    }
    case LB_INSERTSTRING: {
        const LRESULT result = TListBox::WindowProc(msg, wParam, lParam);
        // The list does not update its scroll bar while a batch holds its
        // painting. Shown as soon as the items overflow, as it would be
        // without the batch, it resizes the list while it holds few items,
        // rather than at the end, when every item would be measured again.
        if (FUpdateCount > 0 && Height() < Count() * ItemHeight &&
            !(GetWindowLongPtrA(Handle(), GWL_STYLE) & WS_VSCROLL))
            ShowScrollBar(Handle(), SB_VERT, TRUE);
        // The system list finds the rectangle of each new item by adding up
        // the heights from its top item. Keeping the top item near the end
        // during a batch keeps every insertion from walking the whole list.
        if (FUpdateCount > 0 && Count() % kTopItemStep == 0)
            SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(Count() - 1), 0);
        return result;
    }
    case LB_DELETESTRING:
    case LB_RESETCONTENT: {
        const LRESULT result = TListBox::WindowProc(msg, wParam, lParam);
        if (FScrollHorizontal)
            UpdateHorizontalExtent();
        return result;
    }
    default:
        return TListBox::WindowProc(msg, wParam, lParam);
    }
}

int THTMListBox::FindPrefix(const std::string& prefix, int from) const {
    const std::string upper = UpperCase(prefix);
    for (int i = std::max(from, 0); i < Count(); ++i)
        if (UpperCase(GetItemPlainText(i)).compare(0, upper.size(), upper) == 0)
            return i;
    return -1;
}

void THTMListBox::Lookup(WORD key) {
    if (key == VK_ESCAPE || (key >= VK_PRIOR && key <= VK_DOWN)) {
        FLookupText.clear();
        return;
    }
    const char typed = static_cast<char>(key);
    if (key == VK_BACK) {
        if (!FLookupText.empty())
            FLookupText.pop_back();
    } else if (!IncrLookup) {
        FLookupText = std::string(1, typed);
    } else if (key >= 32 && key <= 255) {
        FLookupText += typed;
    }
    int found = -1;
    const int selected = ItemIndex();
    if (selected >= 0 || IncrLookup)
        found = FindPrefix(FLookupText, selected);
    if (found < 0)
        found = FindPrefix(FLookupText, 0);
    if (found < 0 && IncrLookup) {
        FLookupText = std::string(1, typed);
        found = FindPrefix(FLookupText, 0);
    }
    if (found >= 0)
        SetItemIndex(found);
}

void THTMListBox::DoEnter() {
    TListBox::DoEnter();
    FLookupText.clear();
}

void THTMListBox::Resize() {
    TListBox::Resize();
    // The system list reports a size after many insertions; only a real
    // change of the client area is worth measuring every item again.
    const SIZE client{ClientWidth(), ClientHeight()};
    if (client.cx == FClientSize.cx && client.cy == FClientSize.cy)
        return;
    FClientSize = client;
    if (FScrollHorizontal)
        UpdateHorizontalExtent();
    else
        UpdateItemHeights();
}

void THTMListBox::Loaded() {
    TListBox::Loaded();
    FBlinkTimer->SetEnabled(FEnableBlink);
    UpdateItemHeights();
}

void THTMListBox::Notification(TComponent* component, TOperation operation) {
    TListBox::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FImages)
        FImages = nullptr;
    if (component == FPictureContainer)
        FPictureContainer = nullptr;
}

void THTMListBox::SetImages(TImageList* value) {
    if (value == FImages)
        return;
    SetReference(FImages, value);
    UpdateItemHeights();
}

void THTMListBox::SetPictureContainer(TPictureContainer* value) {
    if (value == FPictureContainer)
        return;
    SetReference(FPictureContainer, value);
    UpdateItemHeights();
}

void THTMListBox::SetItemHeight(int value) {
    if (value == ItemHeight)
        return;
    ItemHeight = value;
    if (!FAutoItemHeight)
        UpdateItemHeights();
}

void THTMListBox::SetScrollHorizontal(bool value) {
    if (value == FScrollHorizontal)
        return;
    FScrollHorizontal = value;
    if (HandleAllocated()) {
        const LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
        SetWindowLongPtrA(Handle(), GWL_STYLE, value ? style | WS_HSCROLL : style & ~WS_HSCROLL);
    }
    UpdateHorizontalExtent();
}

void THTMListBox::SetEnableBlink(bool value) {
    if (value == FEnableBlink)
        return;
    FEnableBlink = value;
    if (!Loading())
        FBlinkTimer->SetEnabled(value);
    if (!value) {
        FBlinkPhase = false;
        FBlinkVisible = true;
        FTimerTicks = 0;
        Invalidate();
    }
}

void THTMListBox::BlinkTick() {
    if (Count() == 0)
        return;
    if (AnimatePictures(&FPictureCache, FPictureContainer))
        Invalidate();
    if (++FTimerTicks % kTicksPerBlink != 0)
        return;
    // Blinking items show the phase, then the phase turns for the next time.
    FBlinkVisible = FBlinkPhase;
    FBlinkPhase = !FBlinkPhase;
    if (!HandleAllocated())
        return;
    const int bottom = ClientHeight();
    for (int i = TopIndex(); i < Count(); ++i) {
        const RECT r = ItemRect(i);
        if (r.top >= bottom)
            break;
        if (UpperCase(Strings(i)).find("<BLINK") != std::string::npos)
            InvalidateRect(Handle(), &r, FALSE);
    }
}

void THTMListBox::SetSorted(bool value) {
    FSorted = value;
    if (!value || Count() < 2)
        return;
    struct TEntry {
        std::string Text;
        void* Object;
        std::string Key;
    };
    std::vector<TEntry> entries;
    for (int i = 0; i < Count(); ++i)
        entries.push_back(
            {Strings(i), Objects(i), FSortWithHTML ? Strings(i) : StripHtmlTags(Strings(i))});
    const auto compare = [&entries](int a, int b) {
        const std::string& x = entries[static_cast<std::size_t>(a)].Key;
        const std::string& y = entries[static_cast<std::size_t>(b)].Key;
        return CompareStringA(LOCALE_USER_DEFAULT, 0, x.data(), static_cast<int>(x.size()),
                              y.data(), static_cast<int>(y.size())) -
               CSTR_EQUAL;
    };
    // Quicksort with the middle element of each range as pivot.
    const std::function<void(int, int)> sort = [&](int left, int right) {
        int i = left;
        do {
            i = left;
            int j = right, pivot = (left + right) / 2;
            do {
                while (compare(i, pivot) < 0)
                    ++i;
                while (compare(j, pivot) > 0)
                    --j;
                if (i <= j) {
                    if (i != j)
                        std::swap(entries[static_cast<std::size_t>(i)],
                                  entries[static_cast<std::size_t>(j)]);
                    if (pivot == i)
                        pivot = j;
                    else if (pivot == j)
                        pivot = i;
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (left < j)
                sort(left, j);
            left = i;
        } while (i < right);
    };
    sort(0, Count() - 1);
    BeginUpdate();
    Clear();
    for (const TEntry& e : entries)
        AddItem(e.Text, e.Object);
    EndUpdate();
}

void THTMListBox::SetComponentStyle(TTelvarStyle style) {
    struct TSelectionLook {
        TColor Border, From, To, MirrorFrom, MirrorTo, Font;
    };
    constexpr TSelectionLook office2003{clNone, 12775167, clNone, clNone, clNone, clBlack};
    constexpr TSelectionLook office2007{clSilver, 15465983, 11267071, 6936319, 9889023, clBlack};
    constexpr TSelectionLook system{clNone, clHighlight, clNone, clNone, clNone, clHighlightText};
    TSelectionLook look{};
    switch (style) {
    case tsOffice2003Blue:
    case tsOffice2003Silver:
    case tsOffice2003Olive:
    case tsOffice2003Classic:
        look = office2003;
        break;
    case tsOffice2007Luna:
    case tsOffice2007Obsidian:
    case tsOffice2007Silver:
        look = office2007;
        break;
    case tsWindowsXP:
    case tsWhidbey:
        look = system;
        break;
    case tsCustom:
        return;
    }
    TGradientStyle& c = FSelectionColors;
    c.SetBorderColor(look.Border);
    c.SetColorFrom(look.From);
    c.SetColorTo(look.To);
    c.SetColorMirrorFrom(look.MirrorFrom);
    c.SetColorMirrorTo(look.MirrorTo);
    SetSelectionFontColor(look.Font);
}
