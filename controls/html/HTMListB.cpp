#include "controls/html/HTMListB.h"

#include "controls/paint/AdvGradient.h"
#include "framework/CaseFold.h"
#include "framework/Controls.h"

#include <algorithm>
#include <cctype>
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
