#include "classify/header_reader.h"

#include "classify/classifier.h"
#include "mime/mime_text.h"
#include "store/text.h"

#include <array>
#include <cctype>
#include <optional>

namespace {

// Where each value begins: the field name and the one character after it are skipped,
// whatever that character is.
struct Name {
    QByteArrayView prefix;
    qsizetype valueStart;
};
const Name From{"From:", 6};
const Name Subject{"Subject:", 9};
const Name To{"To:", 4};
const Name Received{"Received:", 10};
const QByteArrayView ContentType = "content-type:";

QByteArrayView trimSpaces(QByteArrayView line) {
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && line[start] == ' ')
        ++start;
    while (end > start && line[end - 1] == ' ')
        --end;
    return line.sliced(start, end - start);
}

// The raw, unfolded values of the fields the cells come from; empty optionals for fields the
// header lacks.
struct RawFields {
    std::optional<QByteArray> from, subject, to, received, contentType;
    QList<QByteArray> allReceived;
    std::optional<QByteArray>* current = nullptr;

    void start(QByteArrayView line) {
        current = nullptr;
        for (auto [name, field] : {std::pair{From, &from}, std::pair{Subject, &subject},
                                   std::pair{To, &to}, std::pair{Received, &received}})
            if (line.startsWith(name.prefix)) {
                *field = line.size() < name.valueStart ? QByteArray()
                                                       : line.sliced(name.valueStart).toByteArray();
                current = field;
                break;
            }
        if (!current && line.size() > ContentType.size() &&
            qstrnicmp(line.data(), ContentType.size(), ContentType.data(), ContentType.size()) ==
                0) {
            contentType = line.sliced(ContentType.size()).toByteArray();
            current = &contentType;
        }
    }
    // The fold, its line break and the blanks and tabs that begin the continuation, reads as
    // one blank, as a person reads a folded header.
    void continueWith(QByteArrayView line) {
        if (!current)
            return;
        qsizetype start = 0;
        while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
            ++start;
        (*current)->append(' ');
        (*current)->append(line.sliced(start));
    }
    void finishReceived() {
        if (current == &received && received)
            allReceived.append(*received);
    }
};

bool isAscii(const std::optional<QByteArray>& value) {
    return !value || mime::isAscii(*value);
}

} // namespace

void readHeaderCells(const MessageFile& message, HeaderCells& cells) {
    RawFields raw;
    for (qsizetype i = 0; i < message.lineCount(); ++i) {
        const QByteArrayView line = message.lineBytes(i);
        const QByteArrayView trimmed = trimSpaces(line);
        if (trimmed.isEmpty())
            break;
        if (line.startsWith(' ') || line.startsWith('\t')) {
            raw.continueWith(line);
            continue;
        }
        raw.finishReceived();
        raw.start(trimmed);
    }
    raw.finishReceived();
    const bool ascii = isAscii(raw.from) && isAscii(raw.subject) && isAscii(raw.to);
    const QByteArray charset =
        ascii || !raw.contentType ? QByteArray() : mime::charsetOf(*raw.contentType);
    auto decoded = [&](const QByteArray& value) { return mime::decodeHeader(value, charset); };
    const QChar quote = QLatin1Char('"');
    if (raw.from)
        cells.From =
            text::trimSpaces(decoded(QByteArray(*raw.from).replace('"', "")).remove(quote));
    if (raw.subject)
        cells.Subject = text::trimSpaces(decoded(*raw.subject));
    if (raw.to)
        cells.To = text::trimSpaces(decoded(*raw.to));
    // The last Received: line that names an address gives it.
    for (auto value = raw.allReceived.crbegin(); value != raw.allReceived.crend(); ++value)
        if (const auto ip = received::address(QString::fromLatin1(*value))) {
            cells.IP = *ip;
            break;
        }
}

namespace {

const QLatin1String Ipv6Tag("IPv6:");

// Four numbers of one to three digits up to 255, joined by dots.
bool isIpv4(QStringView s, int* first = nullptr, int* second = nullptr) {
    std::array<int, 4> number{};
    int part = 0;
    int digits = 0;
    for (const QChar c : s) {
        if (c == QLatin1Char('.') && digits > 0 && part < 3) {
            ++part;
            digits = 0;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9') && digits < 3) {
            number[part] = number[part] * 10 + (c.unicode() - u'0');
            if (number[part] > 255)
                return false;
            ++digits;
        } else {
            return false;
        }
    }
    if (part != 3 || digits == 0)
        return false;
    if (first)
        *first = number[0];
    if (second)
        *second = number[1];
    return true;
}

// Real IPv6 texts hold "::" or all seven colons; this keeps times like 10:00:00 out.
bool isIpv6(QStringView s) {
    for (QChar c : s)
        if ((c.unicode() >= 0x80 || !isxdigit(c.unicode())) && c != QLatin1Char(':') &&
            c != QLatin1Char('.'))
            return false;
    return s.contains(QLatin1String("::")) || s.count(QLatin1Char(':')) >= 7;
}

// The text as an address, less an "IPv6:" tag, or null when it is none.
QString asAddress(QStringView text) {
    QStringView t = text.trimmed();
    if (t.startsWith(Ipv6Tag, Qt::CaseInsensitive))
        t = t.mid(Ipv6Tag.size());
    return isIpv4(t) || isIpv6(t) ? t.toString() : QString();
}

bool isPrivate(const QString& address) {
    int a = 0;
    int b = 0;
    if (isIpv4(address, &a, &b))
        return a == 0 || a == 10 || a == 127 || (a == 169 && b == 254) ||
               (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168);
    const QString v6 = address.toLower();
    const bool linkLocal =
        v6.startsWith(QLatin1String("fe")) && v6.size() > 2 && QStringView(u"89ab").contains(v6[2]);
    return v6 == QLatin1String("::1") || v6 == QLatin1String("::") ||
           v6.startsWith(QLatin1String("fc")) || v6.startsWith(QLatin1String("fd")) || linkLocal;
}

// Each "(...)" of the value, without nesting, and what lies outside them.
struct Spans {
    QStringList inside;
    QString outside;
};

Spans splitParentheses(const QString& value) {
    Spans spans;
    qsizetype from = 0;
    for (qsizetype open = value.indexOf(QLatin1Char('(')); open >= 0;
         open = value.indexOf(QLatin1Char('('), from)) {
        const qsizetype close = value.indexOf(QLatin1Char(')'), open + 1);
        if (close < 0)
            break;
        spans.outside += value.mid(from, open - from) + QLatin1Char(' ');
        spans.inside.append(value.mid(open + 1, close - open - 1));
        from = close + 1;
    }
    spans.outside += value.mid(from);
    return spans;
}

void addBracketed(const QString& text, QStringList& out) {
    qsizetype from = 0;
    for (qsizetype open = text.indexOf(QLatin1Char('[')); open >= 0;
         open = text.indexOf(QLatin1Char('['), from)) {
        const qsizetype close = text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0)
            return;
        const QString address = asAddress(QStringView(text).mid(open + 1, close - open - 1));
        if (!address.isNull())
            out.append(address);
        from = close + 1;
    }
}

bool separatesTokens(QChar c) {
    return c.isSpace() || QStringView(u"[]()<>,;=").contains(c);
}

void addBare(const QString& text, QStringList& out) {
    for (qsizetype at = 0; at < text.size();) {
        if (separatesTokens(text[at])) {
            ++at;
            continue;
        }
        qsizetype end = at;
        while (end < text.size() && !separatesTokens(text[end]))
            ++end;
        const QString address = asAddress(QStringView(text).sliced(at, end - at));
        if (!address.isNull())
            out.append(address);
        at = end;
    }
}

// The first address of `candidates` that is not private, if any.
std::optional<QString> firstPublic(const QStringList& candidates) {
    for (const QString& candidate : candidates)
        if (!isPrivate(candidate))
            return candidate;
    return std::nullopt;
}

} // namespace

namespace received {

std::optional<QString> address(const QString& value) {
    const Spans spans = splitParentheses(value);
    QStringList candidates; // in order of preference
    for (const QString& inside : spans.inside)
        addBracketed(inside, candidates);
    addBracketed(spans.outside, candidates);
    if (const auto bracketed = firstPublic(candidates))
        return bracketed; // bare addresses come after it, so they cannot change the choice
    const qsizetype bracketedCount = candidates.size();
    for (const QString& inside : spans.inside)
        addBare(inside, candidates);
    if (const auto bare = firstPublic(candidates.sliced(bracketedCount)))
        return bare;
    if (!candidates.isEmpty())
        return candidates.first();
    const qsizetype open = value.indexOf(QLatin1Char('['));
    const qsizetype close = open < 0 ? -1 : value.indexOf(QLatin1Char(']'), open + 1);
    if (close < 0)
        return std::nullopt;
    return text::trimSpaces(text::between(value, open, close));
}

} // namespace received
