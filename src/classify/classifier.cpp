#include "classify/classifier.h"

#include "review/message_table.h"
#include "store/global.h"
#include "store/text.h"

#include <QHash>
#include <QList>

namespace {

const QString ReasonNoSubject = QStringLiteral("No Subject:");
const QString ReasonNoTo = QStringLiteral("No To:");
const QString ReasonNoFrom = QStringLiteral("No From:");
const QString ReasonLarge = QStringLiteral("Large emails not spam");
const QString ReasonBlacklistedSender = QStringLiteral("Blacklisted sender");
const QString ReasonBlacklistedDomain = QStringLiteral("Blacklisted domain");
const QString ReasonBlacklistedIP = QStringLiteral("Blacklisted IP address");
const QString ReasonWhitelistedSender = QStringLiteral("Whitelisted sender");
const QString ReasonWhitelistedDomain = QStringLiteral("Whitelisted domain");
const QString ReasonRule = QStringLiteral("Rule: ");
const QString ReasonRuleEnd = QStringLiteral("...");
const QString ReasonSmall = QStringLiteral("Small ");
const QString ReasonSuspicious = QStringLiteral(" suspicious");
const QString ReasonBadAddress = QStringLiteral("Bad email address");
const QString ReasonDuplicate = QStringLiteral("Duplicate subject");

const QString HeaderFrom = QStringLiteral("From:");
const QString HeaderSubject = QStringLiteral("Subject:");
const QString HeaderTo = QStringLiteral("To:");
const QString HeaderReceived = QStringLiteral("Received:");
const QString HeaderContentType = QStringLiteral("Content-Type:");

// Where each header's value begins: the prefix and the one character after it are skipped,
// whatever that character is.
constexpr qsizetype FromValue = 6;
constexpr qsizetype SubjectValue = 9;
constexpr qsizetype ToValue = 4;
constexpr qsizetype ContentTypeValue = 14;

const QChar Quote = QLatin1Char('"');
const QChar Space = QLatin1Char(' ');
const QChar Semicolon = QLatin1Char(';');
const QChar OpenBracket = QLatin1Char('[');
const QChar CloseBracket = QLatin1Char(']');

QString withoutQuotes(QString s) {
    return s.remove(Quote);
}

// True when the line, once its quotes are removed and it is trimmed, begins "Content-Type:".
// Checked on the raw bytes so the many lines of a body cost no conversion.
bool isContentTypeLine(QByteArrayView line) {
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '"'))
        ++i;
    qsizetype matched = 0;
    for (; i < line.size() && matched < HeaderContentType.size(); ++i) {
        if (line[i] == '"')
            continue;
        if (line[i] != HeaderContentType[matched].toLatin1())
            return false;
        ++matched;
    }
    return matched == HeaderContentType.size();
}

// The type of a "Content-Type:" line already stripped of quotes and trimmed: from the
// fifteenth character up to the first ";", trimmed.
QString contentType(const QString& line) {
    const qsizetype semicolon = line.indexOf(Semicolon);
    const QString type = semicolon < 0
                             ? text::from(line, ContentTypeValue)
                             : text::cut(line, ContentTypeValue, semicolon - ContentTypeValue);
    return text::trimSpaces(type);
}

} // namespace

Classifier::Classifier(MessageTable& table, const Global& global)
    : table_(table), global_(global), blacklist_(global.blacklist.entries()),
      whitelist_(global.whitelist.entries()), rules_(global.rules.rules()) {
    for (const QString& ip : global.blackIP.entries()) {
        if (ip.isEmpty())
            break;
        blackIP_.insert(ip);
    }
}

int Classifier::row() const {
    return table_.grid().Row();
}

QString Classifier::cell(int column) const {
    return table_.cell(row(), column);
}

void Classifier::setCell(int column, const QString& text) {
    table_.setCell(row(), column, text);
}

void Classifier::mark(const QString& action, uint colour, const QString& reason) {
    table_.ColourRow(action, row(), colour, reason);
}

const MessageFile& Classifier::message() {
    const QString name = cell(col::File);
    if (row() != messageRow_ || name != messageName_) {
        message_ = MessageFile::read(global_.dataPath(name));
        messageRow_ = row();
        messageName_ = name;
    }
    return message_;
}

// Reading stops at the first line that trims to nothing, or where the file ends; a missing
// file reads as empty, so the blank-field tests then decide the row.
void Classifier::ProcessHeader() {
    const MessageFile& file = message();
    for (qsizetype i = 0; i < file.lineCount(); ++i) {
        const QString line = text::trimSpaces(file.line(i));
        if (line.isEmpty())
            break;
        readHeaderLine(line);
    }
    const Settings& settings = global_.settings;
    if (cell(col::Subject).isEmpty() && settings.isExactlyOne(setting::MarkNoSubject))
        mark(action::Delete, colour::LightRed, ReasonNoSubject);
    if (cell(col::To).isEmpty() && settings.isExactlyOne(setting::MarkBlankTo))
        mark(action::Delete, colour::LightRed, ReasonNoTo);
    if (cell(col::From).isEmpty() && settings.isExactlyOne(setting::MarkBlankFrom))
        mark(action::Delete, colour::LightRed, ReasonNoFrom);
    if (text::leadingNumber(cell(col::Size)) > text::leadingNumber(settings[setting::MaxSizeK]))
        mark(action::Keep, colour::White, ReasonLarge);
}

// Each line stands alone: folded continuations are not joined, and a later line with the
// same prefix overwrites the earlier value.
void Classifier::readHeaderLine(const QString& line) {
    if (text::startsExactly(line, HeaderFrom)) {
        setCell(col::From, text::trimSpaces(withoutQuotes(text::from(line, FromValue))));
    } else if (text::startsExactly(line, HeaderSubject)) {
        setCell(col::Subject, text::trimSpaces(text::from(line, SubjectValue)));
    } else if (text::startsExactly(line, HeaderTo)) {
        setCell(col::To, text::trimSpaces(text::from(line, ToValue)));
    } else if (text::startsExactly(line, HeaderReceived)) {
        const qsizetype open = line.indexOf(OpenBracket);
        const qsizetype close = open < 0 ? -1 : line.indexOf(CloseBracket, open + 1);
        if (close >= 0)
            setCell(col::IP, text::trimSpaces(text::between(line, open, close)));
    }
}

void Classifier::checkSenderList(const SenderList& list, const QString& action, uint colour,
                                 const QString& senderReason, const QString& domainReason) {
    switch (list.lastMatch(sender::address(cell(col::From)))) {
    case SenderList::Match::Sender:
        mark(action, colour, senderReason);
        break;
    case SenderList::Match::Domain:
        mark(action, colour, domainReason);
        break;
    case SenderList::Match::None:
        break;
    }
}

void Classifier::CheckBlacklist() {
    checkSenderList(blacklist_, action::Blacklist, colour::LightGrey, ReasonBlacklistedSender,
                    ReasonBlacklistedDomain);
    if (global_.settings.isNumericOne(setting::UseBlackIP) && cell(col::Action).isEmpty() &&
        blackIP_.contains(cell(col::IP)))
        mark(action::Blacklist, colour::LightGrey, ReasonBlacklistedIP);
}

void Classifier::CheckWhitelist() {
    checkSenderList(whitelist_, action::Whitelist, colour::White, ReasonWhitelistedSender,
                    ReasonWhitelistedDomain);
}

void Classifier::ApplyRules() {
    const Rule* rule = rules_.lastMatch(cell(col::Subject), message());
    if (rule)
        mark(action::Delete, colour::LightRed,
             ReasonRule + rule->Phrase1 + Space + rule->Op2 + Space + rule->Phrase2 +
                 ReasonRuleEnd);
}

// An unreadable file reads as empty and so marks nothing: a part that cannot be seen is no
// evidence of spam.
void Classifier::CheckAttachments() {
    const Settings& settings = global_.settings;
    QSet<QString> listed;
    for (int slot = 0; slot < setting::SmallImageTypeSlots; ++slot)
        listed.insert(settings[setting::SmallImageTypes + slot]);
    listed.remove(QString());
    if (listed.isEmpty())
        return;
    const MessageFile& file = message();
    QString lastType; // a later matching line overwrites the reason of an earlier one
    for (qsizetype i = 0; i < file.lineCount(); ++i) {
        if (!isContentTypeLine(file.lineBytes(i)))
            continue;
        const QString type = contentType(text::trimSpaces(withoutQuotes(file.line(i))));
        if (listed.contains(type))
            lastType = type;
    }
    if (!lastType.isEmpty())
        mark(action::Delete, colour::LightRed, ReasonSmall + lastType + ReasonSuspicious);
}

void Classifier::CheckAccount() {
    const QString to = cell(col::To);
    const AccountTable& accounts = global_.accounts;
    for (int r = 1; r <= accounts.count(); ++r)
        if (to.contains(accounts.row(r).EmailAddress))
            return;
    mark(action::Delete, colour::LightRed, ReasonBadAddress);
}

// Rows with equal subjects form a group; groups never touch each other's rows. Within a
// group, the first row still unmarked when its turn comes that has a later duplicate marks
// itself and every later member, whatever their actions, and the rows before it stay as they
// are. That is what comparing every pair in row order leaves, at the cost of one hash.
void Classifier::DuplicateSubjects() {
    QHash<QString, QList<int>> groups;
    for (int r = 1; table_.isOccupied(r); ++r)
        groups[table_.cell(r, col::Subject)].append(r);
    for (const QList<int>& rows : std::as_const(groups)) {
        for (qsizetype k = 0; k + 1 < rows.size(); ++k) {
            if (!table_.cell(rows[k], col::Action).isEmpty())
                continue;
            for (qsizetype j = k; j < rows.size(); ++j)
                table_.ColourRow(action::Delete, rows[j], colour::LightRed, ReasonDuplicate);
            break;
        }
    }
}
