#include "mime/mime_message.h"
#include "review/message_viewer.h"
#include "review/message_viewer_sections.h"
#include "store/clean_copies.h"
#include "store/text.h"
#include "store/text_file.h"

namespace viewer {

namespace {

using Kind = mime::Part::Kind;

// The lines of a decoded text; a last line break ends the last line rather than starting an
// empty one.
QStringList linesOf(const QString& text) {
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (s.endsWith(QLatin1Char('\n')))
        s.chop(1);
    return s.isEmpty() ? QStringList() : s.split(QLatin1Char('\n'));
}

// Plain sections keep their tabs as the stored reading keeps them; HTML and single-part text
// read tabs as blanks.
QString joined(const QString& text, bool tabsAsBlanks) {
    QString out;
    for (const QString& line : linesOf(text)) {
        out += tabsAsBlanks ? cleanLine(line) : text::trimSpaces(line);
        out += Crlf;
    }
    return out;
}

void addSinglePart(const mime::Part& part, Reading& r) {
    switch (part.kind) {
    case Kind::Plain:
    case Kind::HiddenText:
        r.layout = {SingleText};
        r.text = joined(part.text, true);
        break;
    case Kind::Html:
        r.layout = {SingleHtml};
        r.text = mime::readableHtml(joined(part.text, true));
        break;
    case Kind::Other:
        r.layout = {SingleOther};
        r.text = otherBanner(part.label) + Crlf;
        break;
    }
}

void addSection(const mime::Part& part, Reading& r) {
    QString banner;
    QString body;
    switch (part.kind) {
    case Kind::Plain:
        banner = PlainBanner;
        body = joined(part.text, false);
        break;
    case Kind::Html:
        banner = HtmlBanner;
        body = mime::readableHtml(joined(part.text, true));
        break;
    case Kind::Other:
        banner = otherBanner(part.label);
        break;
    case Kind::HiddenText:
        return; // other text types, and text files attached by name, show nothing
    }
    r.layout.append(banner);
    r.text += banner + Crlf + body;
}

} // namespace

Reading decodedReading(const mime::Structure& structure) {
    Reading r;
    if (!structure.multipart && !structure.parts.isEmpty())
        addSinglePart(structure.parts.first(), r);
    else if (structure.multipart)
        for (const mime::Part& part : structure.parts)
            addSection(part, r);
    r.text = collapseBlankLines(r.text);
    return r;
}

} // namespace viewer

namespace {

qsizetype sectionCount(const viewer::Reading& r) {
    const bool single = r.layout.size() == 1 &&
                        (r.layout[0] == viewer::SingleText || r.layout[0] == viewer::SingleHtml ||
                         r.layout[0] == viewer::SingleOther);
    return single ? 0 : r.layout.size();
}

} // namespace

// The stored reading stays for plain mail: every shown part as stored (no transfer encoding,
// a charset that reads each byte as the stored reading does), and either the same sections in
// the same order or more sections than the MIME library finds (loosely written delimiters and
// boundaries that it does not follow), so no part shown before is lost. Otherwise the decoded
// reading is shown, unless it has nothing to show where the stored reading shows the body raw.
QString messageText(const QByteArray& stored) {
    const viewer::Reading asStored = viewer::storedReading(textfile::splitLines(stored));
    const mime::Structure structure = mime::structure(cleancopy::message(stored));
    bool plain = true;
    for (const mime::Part& part : structure.parts)
        plain = plain && part.asStored;
    const viewer::Reading decoded = viewer::decodedReading(structure);
    if (plain &&
        (decoded.layout == asStored.layout || sectionCount(decoded) < sectionCount(asStored)))
        return asStored.text;
    return decoded.text.isEmpty() ? asStored.text : decoded.text;
}
