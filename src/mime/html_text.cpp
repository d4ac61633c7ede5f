#include "mime/mime_message.h"
#include "mime/strip_tags.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <string_view>

namespace mime {

namespace {

// The named entities that newsletters and notifications use; StripTags has already
// turned "&nbsp;" and "&quot;" into text.
const QHash<QString, char32_t>& namedEntities() {
    static const QHash<QString, char32_t> names = {
        {QStringLiteral("amp"), U'&'},         {QStringLiteral("lt"), U'<'},
        {QStringLiteral("gt"), U'>'},          {QStringLiteral("apos"), U'\''},
        {QStringLiteral("nbsp"), U' '},        {QStringLiteral("quot"), U'"'},
        {QStringLiteral("copy"), U'\u00a9'},   {QStringLiteral("reg"), U'\u00ae'},
        {QStringLiteral("trade"), U'\u2122'},  {QStringLiteral("euro"), U'\u20ac'},
        {QStringLiteral("pound"), U'\u00a3'},  {QStringLiteral("laquo"), U'\u00ab'},
        {QStringLiteral("raquo"), U'\u00bb'},  {QStringLiteral("middot"), U'\u00b7'},
        {QStringLiteral("bull"), U'\u2022'},   {QStringLiteral("hellip"), U'\u2026'},
        {QStringLiteral("ndash"), U'\u2013'},  {QStringLiteral("mdash"), U'\u2014'},
        {QStringLiteral("lsquo"), U'\u2018'},  {QStringLiteral("rsquo"), U'\u2019'},
        {QStringLiteral("ldquo"), U'\u201c'},  {QStringLiteral("rdquo"), U'\u201d'},
        {QStringLiteral("zwnj"), U'\u200c'},   {QStringLiteral("shy"), U'\u00ad'},
        {QStringLiteral("eacute"), U'\u00e9'}, {QStringLiteral("egrave"), U'\u00e8'},
        {QStringLiteral("agrave"), U'\u00e0'}, {QStringLiteral("uuml"), U'\u00fc'},
        {QStringLiteral("ouml"), U'\u00f6'},   {QStringLiteral("auml"), U'\u00e4'},
        {QStringLiteral("szlig"), U'\u00df'},  {QStringLiteral("ccedil"), U'\u00e7'}};
    return names;
}

constexpr qsizetype MaxEntityLength = 10;

// The character an entity body ("amp", "#233", "#xE9") stands for, or 0.
char32_t entityValue(QStringView body) {
    if (body.startsWith(QLatin1Char('#'))) {
        const bool hex =
            body.size() > 1 && (body[1] == QLatin1Char('x') || body[1] == QLatin1Char('X'));
        bool ok = false;
        const uint code = body.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        const bool valid = ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        return valid ? static_cast<char32_t>(code) : 0;
    }
    return namedEntities().value(body.toString(), 0);
}

QString decodeEntities(const QString& s) {
    qsizetype amp = s.indexOf(QLatin1Char('&'));
    if (amp < 0)
        return s;
    QString out;
    out.reserve(s.size());
    qsizetype from = 0;
    for (; amp >= 0; amp = s.indexOf(QLatin1Char('&'), from)) {
        const qsizetype semi = s.indexOf(QLatin1Char(';'), amp + 1);
        const char32_t value = semi < 0 || semi - amp - 1 > MaxEntityLength
                                   ? 0
                                   : entityValue(QStringView(s).mid(amp + 1, semi - amp - 1));
        out += QStringView(s).mid(from, amp - from);
        if (value == 0) {
            out += QLatin1Char('&');
            from = amp + 1;
            continue;
        }
        const char32_t units[] = {value};
        out += QString::fromUcs4(units, 1);
        from = semi + 1;
    }
    out += QStringView(s).mid(from);
    return out;
}

// Tags before which a browser starts a new line: the name right after "<" or "</", in any
// letter case, ended by anything but a letter or digit.
bool breaksLine(QStringView tag) {
    static constexpr std::array<std::string_view, 12> Names = {
        "br", "p", "div", "tr", "li", "h1", "h2", "h3", "h4", "h5", "h6", "table"};
    constexpr size_t LongestName = 5;
    if (tag.startsWith(QLatin1Char('/')))
        tag = tag.sliced(1);
    char name[LongestName];
    size_t length = 0;
    for (const QChar c : tag) {
        if (!c.isLetterOrNumber())
            break;
        if (length == LongestName || c.unicode() > 0x7f)
            return false;
        name[length++] = static_cast<char>(c.toLower().unicode());
    }
    const std::string_view found(name, length);
    return std::find(Names.begin(), Names.end(), found) != Names.end();
}

// A line break before each tag that starts a new line, so blocks keep their lines once the
// tags are gone; the blank lines this leaves are collapsed by whoever shows the text.
QString breakLines(const QString& html) {
    constexpr qsizetype LongestName = 6; // "/table"
    QString out;
    out.reserve(html.size() + html.size() / 16);
    qsizetype from = 0;
    for (qsizetype open = html.indexOf(QLatin1Char('<')); open >= 0;
         open = html.indexOf(QLatin1Char('<'), open + 1)) {
        if (!breaksLine(QStringView(html).mid(open + 1, LongestName + 1)))
            continue;
        out += QStringView(html).mid(from, open - from);
        out += QLatin1String("\r\n");
        from = open;
    }
    out += QStringView(html).mid(from);
    return out;
}

} // namespace

QString readableHtml(const QString& html) {
    return decodeEntities(StripTags(breakLines(html)));
}

} // namespace mime
