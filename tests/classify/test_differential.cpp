#include "classify/classifier.h"
#include "classify/phrase_matcher.h"
#include "classify_fixture.h"
#include "plain_classifier.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Random tables and messages made of few tokens, so that phrases, entries and subjects
// collide often and every odd corner of the texts is reached.
class Generator {
public:
    explicit Generator(quint32 seed, const QStringList& tokens = {"a", "b", " ", "A", "B", "\t",
                                                                  "\u00e9", "\u00c9"})
        : random_(seed), tokens_(tokens) {}

    int below(qsizetype n) { return static_cast<int>(random_.bounded(static_cast<int>(n))); }
    bool chance(int percent) { return below(100) < percent; }
    QString pick(const QStringList& from) { return from[below(from.size())]; }
    // From minLength to maxLength tokens.
    QString word(int maxLength, int minLength = 0) {
        QString w;
        for (int n = minLength + below(maxLength - minLength + 1); n > 0; --n)
            w += pick(tokens_);
        return w;
    }

    QString address() {
        const QString domain = pick({"x", "y", "x.y", "X"});
        return chance(80) ? pick({"a", "b", "ab", "A", ""}) + "@" + domain : domain;
    }

    QString type() { return pick({"image/gif", "image/GIF", "a/b", "a", "", " a ", "mage/gif"}); }

    // Every kind of line is made and one kept, plain words most often.
    QString headerLine() {
        const QString a = address(), space = pick({" ", "", "  ", "\t"}), w = word(6);
        QString content = pick({"Content-Type:", "Content-type:", " \"Content-Type:"}) +
                          pick({" ", "", "  "}) + type() + pick({"", ";", "; name=x", " ;a"});
        if (chance(20))
            content.insert(below(content.size() + 1), '"');
        const QString from =
            pick({a, a, a, "\"" + word(3) + "\" <" + a + ">", word(2) + " < " + a + " >", a + "> <",
                  "<" + address() + "> <" + a + ">"});
        return pick({pick({"From:", "FROM:", " From:"}) + space + from,
                     pick({"Subject:", "subject:"}) + space + word(3),
                     "To:" + space + a + pick({"", ", " + address()}),
                     "Received: " + word(2) + pick({"[", "]", ""}) + pick({"1", " 2 ", "1.2"}) +
                         pick({"]", "[", ""}) + word(2),
                     content, pick({"", "   ", "\t", " "}), w, w, w, w, w, w, w});
    }

    // Usually ends with the closing dot, sometimes cut off; the last line may lack its end.
    QByteArray message() {
        QString text = "+OK " + word(3);
        for (int n = below(12); n >= 0; --n)
            text += pick({"\r\n", "\n", "\r\n"}) + (n > 0 || chance(20) ? headerLine() : ".");
        return (text + pick({"\r\n", "", "\r", "\n"})).toLatin1();
    }

    QStringList entries(int maxCount, const QStringList& ips = {}) {
        QStringList list;
        for (int n = below(maxCount + 1); n > 0; --n)
            list << (!ips.isEmpty() ? pick(ips) : chance(60) ? address() : "@x");
        return list;
    }

    // From Phrase1 on, phrases and operators take turns.
    Rule rule(const QString& use, const QString& where, const QStringList& ops, int minWords = 0) {
        Rule r;
        for (int f = 2; f < Rule::FieldCount; ++f)
            *r.fields()[f] = f % 2 ? pick(ops) : chance(15) ? QString() : word(3, minWords);
        r.Use = use;
        r.Where = where;
        return r;
    }

    // New settings, tables and rows; the table's previous rows are cleared.
    void fill(Desk& desk) {
        desk.table.ClearGrid();
        Settings& s = desk.global.settings;
        for (int entry : {setting::MarkNoSubject, setting::MarkBlankTo, setting::MarkBlankFrom,
                          setting::UseBlacklist, setting::UseWhitelist, setting::MarkNotToMe,
                          setting::MarkDuplicates, setting::UseBlackIP})
            s[entry] = pick({"1", "1", "0", " 1", "1.0", ""});
        s[setting::MaxSizeK] = pick({"100", "2", "1.5", " 3", "x"});
        for (int slot = 0; slot < setting::SmallImageTypeSlots; ++slot)
            s[setting::SmallImageTypes + slot] = chance(30) ? type() : QString();
        desk.global.blacklist.setEntries(entries(6));
        desk.global.whitelist.setEntries(entries(3));
        desk.global.blackIP.setEntries(entries(3, {"1", "2", "1.2", " 2 "}));
        QList<Rule> rules;
        for (int n = below(10); n > 0; --n)
            rules << rule(pick({"X", "X", "", "x"}),
                          chance(3) ? QString()
                                    : pick({"Anywhere", "Head", "Body", "Subject", "Anywhere",
                                            "body", "Other"}),
                          {"AND", "OR", "NOT", "", "and", "XOR"});
        desk.global.rules.setRules(rules);
        QStringList accounts;
        for (int n = below(3); n > 0; --n)
            accounts << (chance(10) ? QString() : address());
        desk.setAccounts(accounts);
        for (int r = 1, rows = 1 + below(6); r <= rows; ++r)
            desk.addRow(r, QString("email%1.eml").arg(r), chance(5) ? QByteArray() : message(),
                        pick({"0k", "1k", "2k", "4k", ""}));
    }

private:
    QRandomGenerator random_;
    QStringList tokens_;
};

// Where the two tables first differ in a cell, a colour or the cursor, after `context`; or
// nothing.
QString difference(const MessageTable& a, const MessageTable& b, const QString& context) {
    const GridModel &x = a.grid(), &y = b.grid();
    if (x.Row() != y.Row() || x.Col() != y.Col())
        return context + ": current cell";
    for (int r = 0; r < x.Rows(); ++r)
        for (int c = 0; c < col::Count; ++c)
            if (a.cell(r, c) != b.cell(r, c) || x.CellBackColor(r, c) != y.CellBackColor(r, c))
                return QString("%1: row %2 column %3, plain \"%4\", indexed \"%5\"")
                    .arg(context, QString::number(r), QString::number(c), a.cell(r, c),
                         b.cell(r, c));
    return {};
}

void copyCells(const MessageTable& from, MessageTable& to) {
    for (int r = 1; from.isOccupied(r); ++r)
        for (int c = 0; c < col::Count; ++c)
            to.setCell(r, c, from.cell(r, c));
}

// The whole pass over copies of the desk's table, plain and indexed.
QString passDifference(const Desk& desk, const QString& context) {
    MessageTable plain, indexed;
    copyCells(desk.table, plain);
    copyCells(desk.table, indexed);
    PlainClassifier(plain, desk.global).classifyRows();
    classifyRows(indexed, desk.global, [] {});
    return difference(plain, indexed, context);
}

} // namespace

class TestDifferential : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each table goes through the whole pass, then (since the pass skips most tests on marked
    // rows) through each test on each row regardless.
    void randomTables() {
        using Plain = void (PlainClassifier::*)();
        using Indexed = void (Classifier::*)();
        const QList<QPair<Plain, Indexed>> tests = {
            {&PlainClassifier::ProcessHeader, &Classifier::ProcessHeader},
            {&PlainClassifier::CheckBlacklist, &Classifier::CheckBlacklist},
            {&PlainClassifier::CheckAttachments, &Classifier::CheckAttachments},
            {&PlainClassifier::ApplyRules, &Classifier::ApplyRules},
            {&PlainClassifier::CheckAccount, &Classifier::CheckAccount},
            {&PlainClassifier::CheckWhitelist, &Classifier::CheckWhitelist},
            {&PlainClassifier::DuplicateSubjects, &Classifier::DuplicateSubjects}};
        Desk desk;
        for (quint32 seed = 1; seed <= 1200; ++seed) {
            Generator(seed).fill(desk);
            const QString context = QString("seed %1").arg(seed);
            const QString diff = passDifference(desk, context);
            QVERIFY2(diff.isEmpty(), qPrintable(diff));
            MessageTable plainTable, indexedTable;
            copyCells(desk.table, plainTable);
            copyCells(desk.table, indexedTable);
            PlainClassifier plain(plainTable, desk.global);
            Classifier classifier(indexedTable, desk.global);
            for (int r = 1; plainTable.isOccupied(r); ++r) {
                plainTable.grid().setRow(r);
                indexedTable.grid().setRow(r);
                for (int t = 0; t < tests.size(); ++t) {
                    (plain.*tests[t].first)();
                    (classifier.*tests[t].second)();
                    const QString step =
                        difference(plainTable, indexedTable,
                                   context + QString(" row %1 test %2").arg(r).arg(t));
                    QVERIFY2(step.isEmpty(), qPrintable(step));
                }
            }
        }
    }

    // Lists and rules at their stored limits against large messages. Phrases of two or three
    // of 300 words are rare enough in them that each row is named by a different rule.
    void fullSizeTables() {
        QStringList words;
        for (int i = 0; i < 300; ++i)
            words << QString("w%1 ").arg(i);
        Generator g(7, words);
        Desk desk;
        QList<Rule> rules;
        for (int i = 0; i < RuleTable::MaxRules; ++i)
            rules << g.rule("X", g.pick({"Anywhere", "Head", "Body", "Subject"}),
                            {"AND", "OR", "NOT"}, 2);
        desk.global.rules.setRules(rules);
        QStringList black, white, ips;
        for (int i = 0; i < Global::ListCapacity; ++i) {
            black << QString("s%1@d%2.com").arg(i).arg(i % 50) << QString("d%1.org").arg(i);
            ips << QString("10.%1.%2.1").arg(i / 256).arg(i % 256);
            if (i < Global::WhitelistCapacity)
                white << QString("w%1@d%1.net").arg(i);
        }
        desk.global.whitelist.setEntries(white);
        desk.global.blackIP.setEntries(ips);
        desk.global.settings[setting::MarkNotToMe] = "0";
        // Two listed senders, a listed domain, a whitelisted sender and two others, the last
        // from a listed address. Some bodies are one line, some a line per "w1".
        const QStringList senders = {"s977@d27.com", "s1954@d4.com", "a@d2931.org",
                                     "w4@d4.net",    "s@d99.com",    "t@d99.com"};
        for (int r = 1; r <= 6; ++r) {
            const QString subject = g.word(3);
            const QString body = g.word(12000).replace("w1 ", g.pick({"w1 ", "w1\r\n"}));
            desk.addRow(
                r, QString("email%1.eml").arg(r),
                QString("+OK\r\nFrom: %1\r\nTo: u@x\r\nSubject: re: %2\r\n"
                        "Received: [%3]\r\n\r\n%4\r\n.\r\n")
                    .arg(senders[r - 1], subject, QString(r == 6 ? "10.0.6.1" : "192.0.2.1"), body)
                    .toLatin1());
        }
        // A short blacklist leaves rows 1 to 3 to the rules; the full one marks them first.
        for (const qsizetype listed : {qsizetype(3), black.size()}) {
            desk.global.blacklist.setEntries(black.mid(0, listed));
            const QString diff = passDifference(desk, QString::number(listed));
            QVERIFY2(diff.isEmpty(), qPrintable(diff));
        }
    }

    // Phrases over hundreds of distinct characters need more full rows than the matcher
    // keeps; the deeper states then follow their failure links, with the same results.
    void matcherBeyondDenseRows() {
        QStringList alphabet;
        for (char16_t u = 0x0400; u < 0x0400 + 400; ++u)
            alphabet << QString(QChar(u));
        Generator g(11, alphabet);
        QStringList phrases;
        for (int i = 0; i < 2000; ++i)
            phrases << g.word(14);
        phrases.removeAll(QString());
        phrases.removeDuplicates();
        const PhraseMatcher matcher(phrases);
        for (int round = 0; round < 20; ++round) {
            QString text;
            for (int n = 0; n < 200; ++n)
                text += g.chance(50) ? g.pick(phrases).left(1 + g.below(14)) : g.word(3);
            PhraseMatcher::Scan scan(matcher);
            scan.feed(text);
            for (qsizetype i = 0; i < phrases.size(); ++i)
                QCOMPARE(scan.found(i), text.contains(phrases[i]));
        }
    }
};

QTEST_GUILESS_MAIN(TestDifferential)
#include "test_differential.moc"
