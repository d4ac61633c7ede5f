#include "classify/classifier.h"

#include "classify/header_reader.h"
#include "store/global.h"
#include "store/text.h"

#include <QHash>

#include <algorithm>

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
const QString ReasonLearnedSpam = QStringLiteral("Learned spam, score ");
const QString ReasonLearnedUnsure = QStringLiteral("Learned unsure, score ");
const QString ReasonLearnedGood = QStringLiteral("Learned good mail, score ");
const QString ReasonNotMarked = QStringLiteral(" - not marked: ");
const QString ReasonLearnedScore = QStringLiteral(" - learned score ");

const QString HeaderContentType = QStringLiteral("Content-Type:");

// Where the type begins: "Content-Type:" and the one character after it are skipped, whatever
// that character is.
constexpr qsizetype ContentTypeValue = 14;

const QChar Quote = QLatin1Char('"');
const QChar Space = QLatin1Char(' ');
const QChar Semicolon = QLatin1Char(';');

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

void mark(Candidate& c, const QString& action, const QString& reason, bool heuristic = false) {
    c.mark = Mark{action, reason, heuristic};
}

void checkSenderList(Candidate& c, const SenderList& list, const QString& action,
                     const QString& senderReason, const QString& domainReason) {
    switch (list.lastMatch(sender::address(c.cells.From))) {
    case SenderList::Match::Sender:
        mark(c, action, senderReason);
        break;
    case SenderList::Match::Domain:
        mark(c, action, domainReason);
        break;
    case SenderList::Match::None:
        break;
    }
}

} // namespace

Classifier::Classifier(const Global& global)
    : global_(global), blacklist_(global.blacklist.entries()),
      whitelist_(global.whitelist.entries()), rules_(global.rules.rules()) {
    for (const QString& ip : global.blackIP.entries()) {
        if (ip.isEmpty())
            break;
        blackIP_.insert(ip);
    }
}

// Each test sees the mark as the earlier ones left it, so a test that marks switches the later
// conditional ones off.
void Classifier::classify(Candidate& c) const {
    const Settings& settings = global_.settings;
    ProcessHeader(c);
    if (settings.isExactlyOne(setting::UseBlacklist))
        CheckBlacklist(c);
    if (c.open())
        CheckAttachments(c);
    if (c.open())
        ApplyRules(c);
    if (c.open() && settings.isExactlyOne(setting::MarkNotToMe))
        CheckAccount(c);
    // The whitelist runs last and whatever it matches wins over every earlier mark.
    if (settings.isNumericOne(setting::UseWhitelist))
        CheckWhitelist(c);
    if (c.score)
        c.mark = LearnedMark(c.mark, *c.score);
}

// A missing file reads as empty, so the blank-field tests then decide.
void Classifier::ProcessHeader(Candidate& c) const {
    readHeaderCells(c.message, c.cells);
    const Settings& settings = global_.settings;
    if (c.cells.Subject.isEmpty() && settings.isExactlyOne(setting::MarkNoSubject))
        mark(c, action::Delete, ReasonNoSubject, true);
    if (c.cells.To.isEmpty() && settings.isExactlyOne(setting::MarkBlankTo))
        mark(c, action::Delete, ReasonNoTo, true);
    if (c.cells.From.isEmpty() && settings.isExactlyOne(setting::MarkBlankFrom))
        mark(c, action::Delete, ReasonNoFrom, true);
    if (text::leadingNumber(c.size) > text::leadingNumber(settings[setting::MaxSizeK]))
        mark(c, action::Keep, ReasonLarge);
}

void Classifier::CheckBlacklist(Candidate& c) const {
    checkSenderList(c, blacklist_, action::Blacklist, ReasonBlacklistedSender,
                    ReasonBlacklistedDomain);
    if (global_.settings.isNumericOne(setting::UseBlackIP) && c.open() &&
        blackIP_.contains(c.cells.IP))
        mark(c, action::Blacklist, ReasonBlacklistedIP);
}

void Classifier::CheckWhitelist(Candidate& c) const {
    checkSenderList(c, whitelist_, action::Whitelist, ReasonWhitelistedSender,
                    ReasonWhitelistedDomain);
}

void Classifier::ApplyRules(Candidate& c) const {
    const Rule* rule = rules_.lastMatch(c.cells.Subject, c.message);
    if (rule)
        mark(c, action::Delete,
             ReasonRule + rule->Phrase1 + Space + rule->Op2 + Space + rule->Phrase2 +
                 ReasonRuleEnd);
}

// An unreadable file reads as empty and so marks nothing: a part that cannot be seen is no
// evidence of spam.
void Classifier::CheckAttachments(Candidate& c) const {
    const Settings& settings = global_.settings;
    QSet<QString> listed;
    for (int slot = 0; slot < setting::SmallImageTypeSlots; ++slot)
        listed.insert(settings[setting::SmallImageTypes + slot]);
    listed.remove(QString());
    if (listed.isEmpty())
        return;
    QString lastType; // a later matching line overwrites the reason of an earlier one
    for (qsizetype i = 0; i < c.message.lineCount(); ++i) {
        if (!isContentTypeLine(c.message.lineBytes(i)))
            continue;
        const QString type = contentType(text::trimSpaces(withoutQuotes(c.message.line(i))));
        if (listed.contains(type))
            lastType = type;
    }
    if (!lastType.isEmpty())
        mark(c, action::Delete, ReasonSmall + lastType + ReasonSuspicious, true);
}

// The To cell holds the whole field, every address of it; addresses compare without regard to
// letter case, as mail systems treat them, so an own address written "User@Example.com" counts.
void Classifier::CheckAccount(Candidate& c) const {
    const AccountTable& accounts = global_.accounts;
    for (int r = 1; r <= accounts.count(); ++r)
        if (c.cells.To.contains(accounts.row(r).EmailAddress, Qt::CaseInsensitive))
            return;
    mark(c, action::Delete, ReasonBadAddress, true);
}

std::optional<Mark> LearnedMark(const std::optional<Mark>& mark, const LearnedScore& score) {
    if (mark && !mark->heuristic)
        return mark;
    const QString shown = score.shown();
    switch (score.verdict) {
    case LearnedScore::Verdict::Spam:
        return Mark{action::Delete,
                    mark ? mark->reason + ReasonLearnedScore + shown : ReasonLearnedSpam + shown};
    case LearnedScore::Verdict::Unsure:
        return mark ? Mark{mark->action, mark->reason + ReasonLearnedScore + shown, true}
                    : Mark{action::Keep, ReasonLearnedUnsure + shown};
    case LearnedScore::Verdict::Good:
        break;
    }
    return Mark{action::Keep,
                ReasonLearnedGood + shown + (mark ? ReasonNotMarked + mark->reason : QString())};
}

// Rows with equal subjects form a group; groups never touch each other's rows. Within a
// group, the first row still unmarked that has a later duplicate marks itself and every later
// member, whatever their actions, and the rows before it stay as they are. That is what
// comparing every pair in row order leaves, at the cost of one hash.
QList<qsizetype> DuplicateSubjects(const QList<SubjectAndAction>& rows) {
    QHash<QString, QList<qsizetype>> groups;
    for (qsizetype i = 0; i < rows.size(); ++i)
        groups[rows[i].subject].append(i);
    QList<qsizetype> marked;
    for (const QList<qsizetype>& group : std::as_const(groups)) {
        for (qsizetype k = 0; k + 1 < group.size(); ++k) {
            if (!rows[group[k]].action.isEmpty())
                continue;
            marked.append(group.mid(k));
            break;
        }
    }
    std::sort(marked.begin(), marked.end());
    return marked;
}
