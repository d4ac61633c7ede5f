#include "review/message_viewer.h"

#include "mime/mime_message.h"
#include "mime/strip_tags.h"
#include "review/message_table.h"
#include "review/message_viewer_sections.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "store/text.h"
#include "store/text_file.h"

#include <QFile>

namespace viewer {

const QString PlainBanner =
    QStringLiteral("========== PLAIN TEXT SECTION ==========================================");
const QString HtmlBanner =
    QStringLiteral("========== HTML SECTION (TAGS STRIPPED) =================================");
const QString SingleText = QStringLiteral("TEXT");
const QString SingleHtml = QStringLiteral("HTML");
const QString SingleOther = QStringLiteral("OTHER");

QString otherBanner(const QString& type) {
    return QStringLiteral("========== ") + type +
           QStringLiteral(" ==========================================");
}

QString cleanLine(const QString& line) {
    return text::trimSpaces(QString(line).replace(QLatin1Char('\t'), QLatin1Char(' ')));
}

QString collapseBlankLines(const QString& s) {
    const QLatin1String blankLine("\r\n\r\n");
    return replaceEach(replaceEach(s, blankLine, Crlf), blankLine, Crlf);
}

} // namespace viewer

namespace {

using namespace viewer;

const QString MissingFile = QStringLiteral("Error: Missing file...");
const QString NameSeparator = QStringLiteral(": ");

const QLatin1String ContentTypeField("Content-Type:");
const QLatin1String SubjectField("Subject:");
const QLatin1String BoundaryParameter("boundary=");
const QLatin1String NameParameter("name=");
const QLatin1String TextPlain("text/plain");
const QLatin1String TextHtml("text/html");
const QLatin1String TextPrefix("text");
constexpr QLatin1Char DoubleQuote('"');
constexpr QLatin1Char Semicolon(';');

// The type starts after "Content-Type:" and one blank.
constexpr qsizetype TypeStart = 14;
constexpr qsizetype MaxBoundaries = 5;
// No media type is longer (a subtype name has at most 127 characters). The type is carried
// over to parts without a Content-Type line, and every such part repeats it in its banner, so
// an unbounded type would let a small message blow up into a huge text.
constexpr qsizetype MaxTypeLength = 127;
// Names add to the current type and pile up over parts without a Content-Type line; room for a
// few file names of the longest kind (255 bytes) is plenty for a banner.
constexpr qsizetype MaxTypeWithNamesLength = 1024;

enum class HeaderKind { Message, Part };
enum class BodyKind { Plain, Html };

// Quoted-printable soft line ends lose their "=" (and a preceding encoded blank); lines are
// not joined.
QString removeSoftLineEnds(const QString& s) {
    QString out = replaceEach(s, QLatin1String("20=\r\n"), Crlf);
    out = replaceEach(out, QLatin1String("=20\r\n"), Crlf);
    return replaceEach(out, QLatin1String("=\r\n"), Crlf);
}

// One reading of a message: walks its lines once, following the nested boundaries.
class MessageReader {
public:
    explicit MessageReader(const QStringList& lines) : lines_(lines) {}

    Reading read();

private:
    bool atEnd() const { return next_ >= lines_.size(); }
    void readLine() { line_ = lines_[next_++]; }
    bool atDelimiter() const { return line_.contains(boundaries_.last()); }

    void readHeader(HeaderKind kind);
    void handleHeaderLine(HeaderKind kind);
    void takeType();
    void pushBoundary();
    void addName();
    QString readSinglePart();
    void readParts();
    void readPart();
    void addSection(const QString& banner, const QString& text);
    QString readBody(BodyKind kind);
    void readBodyLine(BodyKind kind);

    const QStringList& lines_;
    qsizetype next_ = 0;
    QString line_;
    // The current type, with the names of the parts read since its Content-Type line. A name
    // met before a part's Content-Type line is thus replaced by that line's type.
    QString type_ = TextPlain;
    QStringList boundaries_;
    QString out_;
    QStringList layout_;
};

Reading MessageReader::read() {
    if (!atEnd())
        readLine();
    readHeader(HeaderKind::Message);
    if (boundaries_.isEmpty())
        return {collapseBlankLines(readSinglePart()), layout_};
    const qsizetype bodyStart = next_;
    const QString messageType = type_;
    readParts();
    // A multipart message that gives no section at all (delimiters that never appear or do not
    // match, only named text parts, digest parts without headers) would show an empty pane:
    // its body is shown as that of a single-part message instead. Spam is often malformed so.
    if (out_.isEmpty()) {
        next_ = bodyStart;
        type_ = messageType;
        layout_.clear();
        return {collapseBlankLines(readSinglePart()), layout_};
    }
    return {collapseBlankLines(out_), layout_};
}

// Handles the current line, then reads and handles lines up to an empty one or the file's end.
void MessageReader::readHeader(HeaderKind kind) {
    handleHeaderLine(kind);
    while (!line_.isEmpty() && !atEnd()) {
        readLine();
        handleHeaderLine(kind);
    }
}

void MessageReader::handleHeaderLine(HeaderKind kind) {
    line_.remove(DoubleQuote);
    if (text::startsExactly(line_, ContentTypeField))
        takeType();
    // A subject may well mention "boundary=".
    if (kind == HeaderKind::Part || !text::startsExactly(line_, SubjectField))
        pushBoundary();
    if (kind == HeaderKind::Part)
        addName();
}

void MessageReader::takeType() {
    const qsizetype semicolon = line_.indexOf(Semicolon);
    const QString type = semicolon < 0 ? text::from(line_, TypeStart)
                                       : text::cut(line_, TypeStart, semicolon - TypeStart);
    type_ = text::trimSpaces(type).left(MaxTypeLength);
}

void MessageReader::pushBoundary() {
    const qsizetype at = line_.indexOf(BoundaryParameter);
    if (at < 0 || boundaries_.size() >= MaxBoundaries)
        return;
    const QString boundary = text::trimSpaces(text::from(line_, at + BoundaryParameter.size()));
    // An empty boundary would make every line a delimiter.
    if (!boundary.isEmpty())
        boundaries_.append(boundary);
}

void MessageReader::addName() {
    const qsizetype at = line_.indexOf(NameParameter);
    if (at < 0)
        return;
    const qsizetype start = at + NameParameter.size();
    const qsizetype semicolon = line_.indexOf(Semicolon, start);
    type_ += NameSeparator;
    type_ += semicolon < 0 ? text::from(line_, start) : text::cut(line_, start, semicolon - start);
    type_.truncate(MaxTypeWithNamesLength);
}

QString MessageReader::readSinglePart() {
    QString body;
    while (!atEnd()) {
        readLine();
        body += cleanLine(line_);
        body += Crlf;
    }
    layout_ = {type_ == TextHtml ? SingleHtml : SingleText};
    return type_ == TextHtml ? StripTags(body) : body;
}

void MessageReader::readParts() {
    while (!atEnd() && !boundaries_.isEmpty()) {
        while (!atDelimiter() && !atEnd())
            readLine();
        // A delimiter on the last line, or none at all, starts no part: the message simply
        // ends there, rather than with an empty section for the previous part's type.
        if (atEnd())
            break;
        readLine();
        // A closing delimiter followed by an empty line ends the innermost level.
        if (line_.isEmpty()) {
            boundaries_.removeLast();
            continue;
        }
        // Nor does the last line after a delimiter: it is the reply's "." end mark, which
        // follows the closing delimiter of many messages directly.
        if (atEnd())
            break;
        readPart();
    }
}

// Reads one part from its first header line; the line that ends it stays current, so the
// search for the next delimiter finds it at once.
void MessageReader::readPart() {
    readHeader(HeaderKind::Part);
    if (type_ == TextPlain)
        addSection(PlainBanner, readBody(BodyKind::Plain));
    else if (type_ == TextHtml) // the banner holds no markup, so only the text is stripped
        addSection(HtmlBanner, StripTags(readBody(BodyKind::Html)));
    else if (!type_.startsWith(TextPrefix))
        addSection(otherBanner(type_), QString());
    // Other text parts, and text parts that carry a name, show nothing.
}

// Soft line ends are removed from the part's text only: every banner ends in "=" and would
// otherwise lose it.
void MessageReader::addSection(const QString& banner, const QString& text) {
    layout_.append(banner);
    out_ += banner;
    out_ += Crlf;
    out_ += removeSoftLineEnds(text);
}

// The lines up to the next delimiter; the delimiter, or the file's last line, is left out.
QString MessageReader::readBody(BodyKind kind) {
    QString body;
    if (!atEnd())
        readBodyLine(kind);
    while (!atDelimiter() && !atEnd()) {
        body += kind == BodyKind::Html ? line_ : text::trimSpaces(line_);
        body += Crlf;
        readBodyLine(kind);
    }
    return body;
}

// HTML lines are cleaned as they are read, so the delimiter test sees the cleaned line.
void MessageReader::readBodyLine(BodyKind kind) {
    readLine();
    if (kind == BodyKind::Html)
        line_ = cleanLine(line_);
}

} // namespace

namespace viewer {

Reading storedReading(const QStringList& lines) {
    return MessageReader(lines).read();
}

} // namespace viewer

// Lines end at CR LF or a lone LF (files saved on Linux); a lone CR stays in its line.
void ShowEmail(const MessageTable& table, TextPane& pane, const Global& global) {
    QFile file(global.dataPath(table.grid().Text()));
    pane.setText(file.open(QIODevice::ReadOnly) ? messageText(file.readAll()) : MissingFile);
}

QString rawMessageText(const QStringList& lines, bool withHeader) {
    qsizetype first = 0;
    if (!withHeader) {
        const qsizetype blank = lines.indexOf(QString());
        first = blank < 0 ? lines.size() : blank + 1;
    }
    QString text;
    for (qsizetype i = first; i < lines.size(); ++i) {
        text += lines[i];
        text += Crlf;
    }
    return text;
}
