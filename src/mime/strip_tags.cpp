#include "mime/strip_tags.h"

#include <array>

namespace {

// A block whose contents are never text: its opening tag and the two spellings of its closing
// tag, each matched exactly as written.
struct Block {
    QLatin1String open;
    QLatin1String close;
    QLatin1String spacedClose;
};

const std::array<Block, 4> Blocks = {{
    {QLatin1String("<style"), QLatin1String("</style"), QLatin1String("< /style")},
    {QLatin1String("<STYLE"), QLatin1String("</STYLE"), QLatin1String("< /STYLE")},
    {QLatin1String("<script"), QLatin1String("</script"), QLatin1String("< /script")},
    {QLatin1String("<SCRIPT"), QLatin1String("</SCRIPT"), QLatin1String("< /SCRIPT")},
}};

const QLatin1String Nbsp("&nbsp;");
const QLatin1String Quot("&quot;");
const QLatin1String TwoBlanks("  ");
const QLatin1String Blank(" ");
const QLatin1String DoubleQuote("\"");
constexpr QLatin1Char TagOpen('<');
constexpr QLatin1Char TagClose('>');

// How many characters at the end of `out` begin an opening tag that `rest` completes, or 0.
// Cutting a block can join "<sty" before it with "le" after it into a new opening tag, which
// a search from the start of the text would find first.
qsizetype joinedOpening(const QString& out, QStringView rest, QLatin1String open) {
    for (qsizetype k = open.size() - 1; k > 0; --k)
        if (out.endsWith(open.left(k)) && rest.startsWith(open.mid(k)))
            return k;
    return 0;
}

// The position after the block that starts at `start`: after the first ">" at or after its
// closing tag. A block that is never closed, or whose closing tag has no ">", runs to the
// end of the text, as a browser would treat it; showing the raw script or style sheet would
// be worse. `closeMissing` remembers that the plain closing tag does not occur again, so a
// text full of unclosed blocks is not searched to its end once per block.
qsizetype blockEnd(const QString& s, qsizetype start, const Block& block, bool& closeMissing) {
    qsizetype close = closeMissing ? -1 : s.indexOf(block.close, start);
    if (close < 0) {
        closeMissing = true;
        close = s.indexOf(block.spacedClose, start);
    }
    const qsizetype end = close < 0 ? -1 : s.indexOf(TagClose, close);
    return end < 0 ? s.size() : end + 1;
}

// Cuts every block of one kind out of s in one pass, with the result of cutting the first
// block and searching again from the start until none is left.
QString cutBlocks(const QString& s, const Block& block) {
    QString out;
    out.reserve(s.size());
    qsizetype from = 0;
    bool closeMissing = false;
    for (;;) {
        qsizetype start = from;
        if (const qsizetype joined = joinedOpening(out, QStringView(s).mid(from), block.open)) {
            out.chop(joined);
        } else {
            start = s.indexOf(block.open, from);
            if (start < 0)
                break;
            out += QStringView(s).mid(from, start - from);
        }
        from = blockEnd(s, start, block, closeMissing);
    }
    if (from == 0)
        return s; // nothing cut: share the text rather than copy it
    out += QStringView(s).mid(from);
    return out;
}

// Cuts each "<" through the next ">". Once no ">" is left, every remaining "<" goes alone.
QString cutTags(const QString& s) {
    qsizetype open = s.indexOf(TagOpen);
    if (open < 0)
        return s;
    QString out;
    out.reserve(s.size());
    qsizetype from = 0;
    for (; open >= 0; open = s.indexOf(TagOpen, from)) {
        out += QStringView(s).mid(from, open - from);
        const qsizetype close = s.indexOf(TagClose, open + 1);
        if (close < 0) {
            out += QStringView(s).mid(open + 1).toString().remove(TagOpen);
            return out;
        }
        from = close + 1;
    }
    out += QStringView(s).mid(from);
    return out;
}

// Whether "<s" or "<S", with which every block opens, occurs at all: most mail has no style
// or script block, and one look for the tag openings spares the search for each block.
bool mayHoldBlock(const QString& s) {
    for (qsizetype at = s.indexOf(TagOpen); at >= 0 && at + 1 < s.size();
         at = s.indexOf(TagOpen, at + 1))
        if (s[at + 1] == QLatin1Char('s') || s[at + 1] == QLatin1Char('S'))
            return true;
    return false;
}

} // namespace

QString replaceEach(const QString& s, QLatin1String before, QLatin1String after) {
    qsizetype at = before.isEmpty() ? -1 : s.indexOf(before);
    if (at < 0)
        return s;
    QString out;
    out.reserve(s.size());
    qsizetype from = 0;
    for (; at >= 0; at = s.indexOf(before, from)) {
        out += QStringView(s).mid(from, at - from);
        out += after;
        from = at + before.size();
    }
    out += QStringView(s).mid(from);
    return out;
}

QString StripTags(const QString& s) {
    QString text = s;
    if (mayHoldBlock(text))
        for (const Block& block : Blocks)
            text = cutBlocks(text, block);
    text = cutTags(text);
    text = replaceEach(text, Nbsp, Blank);
    text = replaceEach(text, Quot, DoubleQuote);
    return replaceEach(text, TwoBlanks, Blank);
}
