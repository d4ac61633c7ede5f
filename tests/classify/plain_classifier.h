#pragma once

#include "review/message_table.h"
#include "store/global.h"
#include "store/text.h"
#include "store/text_file.h"

// The classification tests written as plainly as they are described: linear scans of every
// list (each ends before its first empty entry when set) and rule, one substring search per
// phrase and text, every pair of rows compared. The differential test holds the program's
// indexed tests to exactly these results.
class PlainClassifier {
public:
    PlainClassifier(MessageTable& table, const Global& global) : t_(table), g_(global) {}

    void ProcessHeader() {
        for (const QString& raw : lines()) {
            const QString line = trim(raw);
            if (line.left(5) == "From:")
                set(col::From, trim(line.mid(6).remove('"')));
            if (line.left(8) == "Subject:")
                set(col::Subject, trim(line.mid(9)));
            if (line.left(3) == "To:")
                set(col::To, trim(line.mid(4)));
            const qsizetype p = line.indexOf('['), q = p < 0 ? -1 : line.indexOf(']', p + 1);
            if (line.left(9) == "Received:" && q >= 0)
                set(col::IP, trim(line.mid(p + 1, q - p - 1)));
            if (line.isEmpty())
                break;
        }
        if (cell(col::Subject).isEmpty() && s(setting::MarkNoSubject) == "1")
            mark("D", 0xC0C0FF, "No Subject:");
        if (cell(col::To).isEmpty() && s(setting::MarkBlankTo) == "1")
            mark("D", 0xC0C0FF, "No To:");
        if (cell(col::From).isEmpty() && s(setting::MarkBlankFrom) == "1")
            mark("D", 0xC0C0FF, "No From:");
        if (number(cell(col::Size)) > number(s(setting::MaxSizeK)))
            mark("", 0xFFFFFF, "Large emails not spam");
    }

    void CheckBlacklist() {
        checkList(g_.blacklist.entries(), "B", 0xC0C0C0, "Blacklisted");
        if (number(s(setting::UseBlackIP)) == 1 && cell(col::Action).isEmpty() &&
            g_.blackIP.entries().contains(cell(col::IP)))
            mark("B", 0xC0C0C0, "Blacklisted IP address");
    }

    void CheckWhitelist() { checkList(g_.whitelist.entries(), "W", 0xFFFFFF, "Whitelisted"); }

    void ApplyRules() {
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
                const QString& w = rule.Where;
                return !phrase.isEmpty() &&
                       (((w == "Anywhere" || w == "Head") && head.contains(phrase)) ||
                        ((w == "Anywhere" || w == "Body") && body.contains(phrase)) ||
                        ((w == "Anywhere" || w == "Subject") && subject.contains(phrase)));
            };
            bool result = t(rule.Phrase1);
            const QString ops[] = {rule.Op2, rule.Op3, rule.Op4};
            const QString phrases[] = {rule.Phrase2, rule.Phrase3, rule.Phrase4};
            for (int k = 0; k < 3; ++k)
                result = ops[k] == "AND"   ? result && t(phrases[k])
                         : ops[k] == "OR"  ? result || t(phrases[k])
                         : ops[k] == "NOT" ? result && !t(phrases[k])
                                           : result;
            if (!rule.Use.isEmpty() && result)
                mark("D", 0xC0C0FF,
                     "Rule: " + rule.Phrase1 + " " + rule.Op2 + " " + rule.Phrase2 + "...");
        }
    }

    void CheckAttachments() {
        for (QString line : lines()) {
            line = trim(line.remove('"'));
            if (line.left(13) != "Content-Type:")
                continue;
            const qsizetype p = line.indexOf(';') + 1; // counted from 1, 0 when absent
            const QString type = trim(p == 0    ? line.mid(14)
                                      : p >= 15 ? line.mid(14, p - 15)
                                                : QString());
            for (int slot = 50; slot <= 59; ++slot)
                if (!s(slot).isEmpty() && s(slot) == type)
                    mark("D", 0xC0C0FF, "Small " + type + " suspicious");
        }
    }

    void CheckAccount() {
        bool mine = false;
        for (int a = 1; a <= 25 && !g_.accounts.row(a).AccountName.isEmpty(); ++a)
            mine = mine || cell(col::To).contains(g_.accounts.row(a).EmailAddress);
        if (!mine)
            mark("D", 0xC0C0FF, "Bad email address");
    }

    void DuplicateSubjects() {
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

    void classifyRows() {
        for (int r = 1; t_.isOccupied(r); ++r) {
            t_.grid().setRow(r);
            ProcessHeader();
            if (s(setting::UseBlacklist) == "1")
                CheckBlacklist();
            if (cell(col::Action).isEmpty())
                CheckAttachments();
            if (cell(col::Action).isEmpty())
                ApplyRules();
            if (cell(col::Action).isEmpty() && s(setting::MarkNotToMe) == "1")
                CheckAccount();
            if (number(s(setting::UseWhitelist)) == 1)
                CheckWhitelist();
        }
        t_.grid().setRow(t_.grid().Rows() - 1);
        if (number(s(setting::MarkDuplicates)) == 1)
            DuplicateSubjects();
    }

private:
    static QString trim(const QString& s) { return text::trimSpaces(s); }
    static double number(const QString& s) { return text::leadingNumber(s); }
    const QString& s(int entry) const { return g_.settings[entry]; }
    QString cell(int c) const { return t_.cell(t_.grid().Row(), c); }
    void set(int c, const QString& text) { t_.setCell(t_.grid().Row(), c, text); }
    void mark(const QString& action, uint colour, const QString& reason) {
        t_.ColourRow(action, t_.grid().Row(), colour, reason);
    }
    QStringList lines() const { return textfile::readLines(g_.dataPath(cell(col::File))); }

    // The sender is the text inside the last <...> of From (nothing when reversed), or all of
    // it; its domain what follows the first "@", or all of it.
    void checkList(const QStringList& list, const QString& action, uint colour,
                   const QString& kind) {
        const QString from = cell(col::From);
        const qsizetype p = from.lastIndexOf('<'), q = from.lastIndexOf('>');
        const QString sender = p < 0 || q < 0 ? from
                               : q > p        ? trim(from.mid(p + 1, q - p - 1))
                                              : QString();
        const QString domain = sender.mid(sender.indexOf('@') + 1);
        for (const QString& entry : list) {
            if (entry.contains('@') && entry == sender)
                mark(action, colour, kind + " sender");
            if (!entry.contains('@') && entry == domain)
                mark(action, colour, kind + " domain");
        }
    }

    MessageTable& t_;
    const Global& g_;
};
