#include "classify/classifier.h"
#include "classify/phrase_matcher.h"
#include "classify_fixture.h"
#include "plain_classifier.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Random tables and messages over tiny alphabets, so that phrases, entries and subjects
// collide often and every odd corner of the texts is reached.
class Generator {
public:
    explicit Generator(quint32 seed) : random_(seed) {}

    int below(int n) { return static_cast<int>(random_.bounded(n)); }
    bool chance(int percent) { return below(100) < percent; }
    QString pick(const QStringList& from) { return from[below(static_cast<int>(from.size()))]; }

    QString word(int maxLength,
                 const QString& alphabet = QString::fromUtf8("ab AB\t\u00e9\u00c9")) {
        QString w;
        for (int n = below(maxLength + 1); n > 0; --n)
            w += alphabet[below(static_cast<int>(alphabet.size()))];
        return w;
    }

    QString address() {
        const QString local = pick({"a", "b", "ab", "A", ""});
        const QString domain = pick({"x", "y", "x.y", "X"});
        return chance(80) ? local + "@" + domain : domain;
    }

    QString fromValue() {
        switch (below(6)) {
        case 0:
            return "\"" + word(3) + "\" <" + address() + ">";
        case 1:
            return word(2) + " < " + address() + " >";
        case 2:
            return address() + "> <";
        case 3:
            return "<" + address() + "> <" + address() + ">";
        default:
            return address();
        }
    }

    QString type() { return pick({"image/gif", "image/GIF", "a/b", "a", "", " a ", "mage/gif"}); }

    QString headerLine() {
        const QString space = pick({" ", "", "  ", "\t"});
        switch (below(12)) {
        case 0:
            return pick({"From:", "FROM:", " From:"}) + space + fromValue();
        case 1:
            return pick({"Subject:", "subject:"}) + space + word(3);
        case 2:
            return "To:" + space + address() + pick({"", ", " + address()});
        case 3:
            return "Received: " + word(2) + pick({"[", "]", ""}) + pick({"1", " 2 ", "1.2"}) +
                   pick({"]", "[", ""}) + word(2);
        case 4:
            return contentTypeLine();
        case 5:
            return pick({"", "   ", "\t", " "});
        default:
            return word(6);
        }
    }

    QString contentTypeLine() {
        QString line = pick({"Content-Type:", "Content-type:", " \"Content-Type:"}) +
                       pick({" ", "", "  "}) + type() + pick({"", ";", "; name=x", " ;a"});
        if (chance(20))
            line.insert(below(static_cast<int>(line.size()) + 1), '"');
        return line;
    }

    QByteArray message() {
        QStringList lines{"+OK " + word(3)};
        for (int n = below(12); n > 0; --n)
            lines << headerLine();
        // Usually the closing dot, sometimes a cut-off reply; the last line may lack its end.
        lines << (chance(80) ? "." : headerLine());
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toLatin1() + pick({"\r\n", "\n", "\r\n"}).toLatin1();
        bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
        return bytes + pick({"\r\n", "", "\r", "\n"}).toLatin1();
    }

    QStringList entries(int maxCount, bool ip) {
        QStringList list;
        for (int n = below(maxCount + 1); n > 0; --n)
            list << (ip ? pick({"1", "2", "1.2", " 2 "}) : chance(60) ? address() : "@x");
        return list;
    }

    QString phrase() { return chance(15) ? QString() : word(3); }

    QList<Rule> rules() {
        QList<Rule> rules;
        for (int n = below(10); n > 0; --n) {
            Rule r;
            r.Use = pick({"X", "X", "", "x"});
            r.Where = pick({"Anywhere", "Head", "Body", "Subject", "Anywhere", "body", "Other"});
            if (chance(3))
                r.Where.clear();
            r.Phrase1 = phrase();
            for (QString* op : {&r.Op2, &r.Op3, &r.Op4})
                *op = pick({"AND", "OR", "NOT", "", "and", "XOR"});
            r.Phrase2 = phrase();
            r.Phrase3 = phrase();
            r.Phrase4 = phrase();
            rules << r;
        }
        return rules;
    }

    QString flag() { return pick({"1", "1", "0", " 1", "1.0", ""}); }

    // New settings, tables and rows; the table's previous rows are cleared.
    void fill(Desk& desk) {
        desk.table.ClearGrid();
        Settings& s = desk.global.settings;
        for (int entry : {setting::MarkNoSubject, setting::MarkBlankTo, setting::MarkBlankFrom,
                          setting::UseBlacklist, setting::UseWhitelist, setting::MarkNotToMe,
                          setting::MarkDuplicates, setting::UseBlackIP})
            s[entry] = flag();
        s[setting::MaxSizeK] = pick({"100", "2", "1.5", " 3", "x"});
        for (int slot = 0; slot < setting::SmallImageTypeSlots; ++slot)
            s[setting::SmallImageTypes + slot] = chance(30) ? type() : QString();
        desk.global.blacklist.setEntries(entries(6, false));
        desk.global.whitelist.setEntries(entries(3, false));
        desk.global.blackIP.setEntries(entries(3, true));
        desk.global.rules.setRules(rules());
        QStringList accounts;
        for (int n = below(3); n > 0; --n)
            accounts << (chance(10) ? QString() : address());
        desk.setAccounts(accounts);
        for (int r = 1, rows = 1 + below(6); r <= rows; ++r) {
            const QString name = QString("email%1.eml").arg(r);
            desk.addRow(r, name, chance(5) ? QByteArray() : message(),
                        pick({"0k", "1k", "2k", "4k", ""}));
        }
    }

private:
    QRandomGenerator random_;
};

// The first cell, colour or cursor where two tables differ, or nothing.
QString difference(const MessageTable& a, const MessageTable& b) {
    if (a.grid().Row() != b.grid().Row() || a.grid().Col() != b.grid().Col())
        return "current cell differs";
    for (int r = 0; r < a.grid().Rows(); ++r)
        for (int c = 0; c < col::Count; ++c)
            if (a.cell(r, c) != b.cell(r, c) ||
                a.grid().CellBackColor(r, c) != b.grid().CellBackColor(r, c))
                return QString("row %1 column %2: plain \"%3\" %4, indexed \"%5\" %6")
                    .arg(r)
                    .arg(c)
                    .arg(a.cell(r, c))
                    .arg(a.grid().CellBackColor(r, c), 0, 16)
                    .arg(b.cell(r, c))
                    .arg(b.grid().CellBackColor(r, c), 0, 16);
    return {};
}

void copyCells(const MessageTable& from, MessageTable& to) {
    for (int r = 1; from.isOccupied(r); ++r)
        for (int c = 0; c < col::Count; ++c)
            to.setCell(r, c, from.cell(r, c));
}

constexpr int Cases = 1000; // tables per test, each with up to six messages

} // namespace

class TestDifferential : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholePass();
    void everyTestOnEveryRow();
    void fullSizeTables();
    void matcherBeyondDenseRows();
};

void TestDifferential::wholePass() {
    Desk desk;
    for (quint32 seed = 1; seed <= Cases; ++seed) {
        Generator(seed).fill(desk);
        MessageTable plain, indexed;
        copyCells(desk.table, plain);
        copyCells(desk.table, indexed);
        PlainClassifier(plain, desk.global).classifyRows();
        classifyRows(indexed, desk.global, [] {});
        const QString diff = difference(plain, indexed);
        QVERIFY2(diff.isEmpty(), qPrintable(QString("seed %1: %2").arg(seed).arg(diff)));
    }
}

// The pass skips most tests on marked rows; here each runs on each row regardless.
void TestDifferential::everyTestOnEveryRow() {
    using Plain = void (PlainClassifier::*)();
    using Indexed = void (Classifier::*)();
    const QList<QPair<Plain, Indexed>> tests = {
        {&PlainClassifier::ProcessHeader, &Classifier::ProcessHeader},
        {&PlainClassifier::CheckBlacklist, &Classifier::CheckBlacklist},
        {&PlainClassifier::CheckAttachments, &Classifier::CheckAttachments},
        {&PlainClassifier::ApplyRules, &Classifier::ApplyRules},
        {&PlainClassifier::CheckAccount, &Classifier::CheckAccount},
        {&PlainClassifier::CheckWhitelist, &Classifier::CheckWhitelist}};
    Desk desk;
    for (quint32 seed = 1; seed <= Cases; ++seed) {
        Generator(seed + Cases).fill(desk);
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
                const QString diff = difference(plainTable, indexedTable);
                QVERIFY2(
                    diff.isEmpty(),
                    qPrintable(
                        QString("seed %1 row %2 test %3: %4").arg(seed).arg(r).arg(t).arg(diff)));
            }
        }
        plain.DuplicateSubjects();
        classifier.DuplicateSubjects();
        QVERIFY2(difference(plainTable, indexedTable).isEmpty(), qPrintable(QString::number(seed)));
    }
}

// Lists and rules at their stored limits against one large message of ordinary words.
void TestDifferential::fullSizeTables() {
    Generator g(7);
    const QStringList words = {"free",   "offer", "win",   "prize",   "casino", "credit", "loan",
                               "cheap",  "meds",  "click", "here",    "now",    "viagra", "money",
                               "urgent", "reply", "bank",  "account", "verify", "dear"};
    auto phrase = [&] {
        QString p = g.pick(words);
        for (int n = g.below(3); n > 0; --n)
            p += " " + g.pick(words);
        return p;
    };
    Desk desk;
    QList<Rule> rules;
    for (int i = 0; i < RuleTable::MaxRules; ++i)
        rules << Rule{"X",      g.pick({"Anywhere", "Head", "Body", "Subject"}),
                      phrase(), g.pick({"AND", "OR", "NOT"}),
                      phrase(), g.pick({"AND", "OR", "NOT"}),
                      phrase(), g.pick({"AND", "OR", "NOT"}),
                      phrase()};
    desk.global.rules.setRules(rules);
    QStringList black, white, ips;
    for (int i = 0; i < Global::ListCapacity; ++i) {
        black << QString("s%1@d%2.com").arg(i).arg(i % 50) << QString("d%1.org").arg(i);
        ips << QString("10.%1.%2.1").arg(i / 256).arg(i % 256);
    }
    for (int i = 0; i < Global::WhitelistCapacity; ++i)
        white << QString("w%1@d%1.net").arg(i);
    desk.global.whitelist.setEntries(white);
    desk.global.blackIP.setEntries(ips);
    desk.global.settings[setting::MarkNotToMe] = "0";
    for (int r = 1; r <= 6; ++r) {
        QStringList body;
        for (int n = 0; n < 3000; ++n)
            body << phrase();
        const QString from = QString("s%1@d%2.com").arg(r * 977).arg(r * 13 % 50);
        desk.addRow(r, QString("email%1.eml").arg(r),
                    ("+OK\r\nFrom: " + from + "\r\nTo: u@x\r\nSubject: " + phrase() +
                     "\r\nReceived: [10.0." + QString::number(r) + ".1]\r\n\r\n" +
                     body.join(g.pick({"\r\n", " "})) + "\r\n.\r\n")
                        .toLatin1());
    }
    const MessageTable& filled = desk.table;
    for (const bool fullLists : {false, true}) {
        // Short lists leave most rows to the rules; full ones mark some rows first.
        desk.global.blacklist.setEntries(fullLists ? black : black.mid(0, 3));
        MessageTable plain, indexed;
        copyCells(filled, plain);
        copyCells(filled, indexed);
        PlainClassifier(plain, desk.global).classifyRows();
        classifyRows(indexed, desk.global, [] {});
        const QString diff = difference(plain, indexed);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
}

// Phrases over hundreds of distinct characters need more full rows than the matcher keeps;
// the deeper states then follow their failure links, with the same results.
void TestDifferential::matcherBeyondDenseRows() {
    Generator g(11);
    QString alphabet;
    for (char16_t u = 0x0400; u < 0x0400 + 400; ++u)
        alphabet += QChar(u);
    QStringList phrases;
    for (int i = 0; i < 2000; ++i) {
        const QString p = g.word(14, alphabet);
        if (!p.isEmpty() && !phrases.contains(p))
            phrases << p;
    }
    const PhraseMatcher matcher(phrases);
    for (int round = 0; round < 20; ++round) {
        QString text;
        for (int n = 0; n < 200; ++n)
            text += g.chance(50) ? g.pick(phrases).left(1 + g.below(14)) : g.word(3, alphabet);
        PhraseMatcher::Scan scan(matcher);
        scan.feed(text);
        for (qsizetype i = 0; i < phrases.size(); ++i)
            QCOMPARE(scan.found(i), text.contains(phrases[i]));
    }
}

QTEST_GUILESS_MAIN(TestDifferential)
#include "test_differential.moc"
