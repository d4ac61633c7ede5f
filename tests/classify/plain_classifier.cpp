#include "plain_classifier.h"

#include "store/text.h"
#include "store/text_file.h"

namespace {

QString trim(const QString& s) {
    return text::trimSpaces(s);
}

QString address(const QString& from) {
    const qsizetype p = from.lastIndexOf('<');
    const qsizetype q = from.lastIndexOf('>');
    if (p < 0 || q < 0)
        return from;
    return q > p ? trim(from.mid(p + 1, q - p - 1)) : QString();
}

QString domain(const QString& address) {
    const qsizetype at = address.indexOf('@');
    return at < 0 ? address : address.mid(at + 1);
}

} // namespace

QStringList PlainClassifier::lines() const {
    return textfile::readLines(g_.dataPath(cell(col::File)));
}

void PlainClassifier::ProcessHeader() {
    for (const QString& raw : lines()) {
        const QString line = trim(raw);
        if (line.left(5) == "From:")
            t_.setCell(row(), col::From, trim(line.mid(6).remove('"')));
        if (line.left(8) == "Subject:")
            t_.setCell(row(), col::Subject, trim(line.mid(9)));
        if (line.left(3) == "To:")
            t_.setCell(row(), col::To, trim(line.mid(4)));
        if (line.left(9) == "Received:") {
            const qsizetype p = line.indexOf('[');
            const qsizetype q = p < 0 ? -1 : line.indexOf(']', p + 1);
            if (p >= 0 && q >= 0)
                t_.setCell(row(), col::IP, trim(line.mid(p + 1, q - p - 1)));
        }
        if (line.isEmpty())
            break;
    }
    const Settings& s = g_.settings;
    if (cell(col::Subject).isEmpty() && s[setting::MarkNoSubject] == "1")
        mark("D", 0xC0C0FF, "No Subject:");
    if (cell(col::To).isEmpty() && s[setting::MarkBlankTo] == "1")
        mark("D", 0xC0C0FF, "No To:");
    if (cell(col::From).isEmpty() && s[setting::MarkBlankFrom] == "1")
        mark("D", 0xC0C0FF, "No From:");
    if (text::leadingNumber(cell(col::Size)) > text::leadingNumber(s[setting::MaxSizeK]))
        mark("", 0xFFFFFF, "Large emails not spam");
}

void PlainClassifier::checkList(const QStringList& list, const QString& action, uint colour,
                                const QString& kind) {
    const QString sender = address(cell(col::From));
    for (const QString& entry : list) {
        if (entry.isEmpty())
            break;
        if (entry.contains('@') && entry == sender)
            mark(action, colour, kind + " sender");
        if (!entry.contains('@') && entry == domain(sender))
            mark(action, colour, kind + " domain");
    }
}

void PlainClassifier::CheckBlacklist() {
    checkList(g_.blacklist.entries(), "B", 0xC0C0C0, "Blacklisted");
    if (text::leadingNumber(g_.settings[setting::UseBlackIP]) == 1 && cell(col::Action).isEmpty())
        for (const QString& entry : g_.blackIP.entries()) {
            if (entry.isEmpty())
                break;
            if (entry == cell(col::IP))
                mark("B", 0xC0C0C0, "Blacklisted IP address");
        }
}

void PlainClassifier::CheckWhitelist() {
    checkList(g_.whitelist.entries(), "W", 0xFFFFFF, "Whitelisted");
}

void PlainClassifier::ApplyRules() {
    const QString subject = cell(col::Subject).toLower();
    QString head, body;
    bool inBody = false;
    for (const QString& line : lines()) {
        (inBody ? body : head) += " " + line;
        inBody = inBody || line.isEmpty();
    }
    head = head.replace('\t', ' ').toLower();
    body = body.replace('\t', ' ').toLower();
    for (const Rule& rule : g_.rules.rules()) {
        if (rule.Where.isEmpty())
            break;
        auto t = [&](const QString& phrase) {
            if (phrase.isEmpty())
                return false;
            const bool h = head.contains(phrase), b = body.contains(phrase),
                       s = subject.contains(phrase);
            return rule.Where == "Anywhere"  ? h || b || s
                   : rule.Where == "Head"    ? h
                   : rule.Where == "Body"    ? b
                   : rule.Where == "Subject" ? s
                                             : false;
        };
        bool result = t(rule.Phrase1);
        const QString* ops[] = {&rule.Op2, &rule.Op3, &rule.Op4};
        const QString* phrases[] = {&rule.Phrase2, &rule.Phrase3, &rule.Phrase4};
        for (int k = 0; k < 3; ++k) {
            if (*ops[k] == "AND")
                result = result && t(*phrases[k]);
            else if (*ops[k] == "OR")
                result = result || t(*phrases[k]);
            else if (*ops[k] == "NOT")
                result = result && !t(*phrases[k]);
        }
        if (!rule.Use.isEmpty() && result)
            mark("D", 0xC0C0FF,
                 "Rule: " + rule.Phrase1 + " " + rule.Op2 + " " + rule.Phrase2 + "...");
    }
}

void PlainClassifier::CheckAttachments() {
    for (QString line : lines()) {
        line = trim(line.remove('"'));
        if (line.left(13) != "Content-Type:")
            continue;
        const qsizetype p = line.indexOf(';') + 1; // counted from 1, 0 when absent
        QString type;
        if (p == 0)
            type = line.mid(14);
        else if (p >= 15)
            type = line.mid(14, p - 15);
        type = trim(type);
        for (int slot = 50; slot <= 59; ++slot) {
            const QString& listed = g_.settings[slot];
            if (!listed.isEmpty() && listed == type)
                mark("D", 0xC0C0FF, "Small " + listed + " suspicious");
        }
    }
}

void PlainClassifier::CheckAccount() {
    bool mine = false;
    for (int a = 1; a <= 25 && !g_.accounts.row(a).AccountName.isEmpty(); ++a)
        if (cell(col::To).contains(g_.accounts.row(a).EmailAddress))
            mine = true;
    if (!mine)
        mark("D", 0xC0C0FF, "Bad email address");
}

void PlainClassifier::DuplicateSubjects() {
    for (int i = 1; t_.isOccupied(i); ++i) {
        bool flag = false;
        for (int j = i + 1; t_.isOccupied(j); ++j)
            if (t_.cell(j, col::Subject) == t_.cell(i, col::Subject) &&
                t_.cell(i, col::Action).isEmpty()) {
                t_.ColourRow("D", j, 0xC0C0FF, "Duplicate subject");
                flag = true;
            }
        if (flag)
            t_.ColourRow("D", i, 0xC0C0FF, "Duplicate subject");
    }
}

void PlainClassifier::classifyRows() {
    const Settings& s = g_.settings;
    for (int r = 1; t_.isOccupied(r); ++r) {
        t_.grid().setRow(r);
        ProcessHeader();
        if (s[setting::UseBlacklist] == "1")
            CheckBlacklist();
        if (cell(col::Action).isEmpty())
            CheckAttachments();
        if (cell(col::Action).isEmpty())
            ApplyRules();
        if (cell(col::Action).isEmpty() && s[setting::MarkNotToMe] == "1")
            CheckAccount();
        if (text::leadingNumber(s[setting::UseWhitelist]) == 1)
            CheckWhitelist();
    }
    t_.grid().setRow(t_.grid().Rows() - 1);
    if (text::leadingNumber(s[setting::MarkDuplicates]) == 1)
        DuplicateSubjects();
}
