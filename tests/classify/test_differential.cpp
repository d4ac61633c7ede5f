#include "classify/phrase_matcher.h"
#include "classify_fixture.h"
#include "store/text.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The tests written as plainly as they are described: linear scans of every list and rule
// (the tables already end before their first empty entry), one substring search per phrase
// and text. The differential test holds the indexed classifier to it.
struct Plain {
    const Global& g;

    static void mark(Candidate& c, bool when, const QString& action, const QString& reason) {
        if (when)
            c.mark = Mark{action, reason};
    }
    static QStringList lines(const Candidate& c) {
        QStringList all;
        for (qsizetype i = 0; i < c.message.lineCount(); ++i)
            all << c.message.line(i);
        return all;
    }

    // The sender is the text inside the last <...> of From (nothing when reversed), or all of
    // it; its domain what follows the first "@", or all of it.
    static void checkList(Candidate& c, const EntryList& list, const QString& action,
                          const QString& kind) {
        const QString from = c.cells.From;
        const qsizetype p = from.lastIndexOf('<'), q = from.lastIndexOf('>');
        const QString sender = p < 0 || q < 0 ? from
                               : q > p        ? text::trimSpaces(from.mid(p + 1, q - p - 1))
                                              : QString();
        const QString domain = sender.mid(sender.indexOf('@') + 1);
        for (const QString& entry : list.entries()) {
            mark(c, entry.contains('@') && entry == sender, action, kind + " sender");
            mark(c, !entry.contains('@') && entry == domain, action, kind + " domain");
        }
    }
    void CheckBlacklist(Candidate& c) const {
        checkList(c, g.blacklist, "B", "Blacklisted");
        mark(c,
             text::leadingNumber(g.settings[25]) == 1 && c.mark.value_or(Mark{}).action.isEmpty() &&
                 g.blackIP.entries().contains(c.cells.IP),
             "B", "Blacklisted IP address");
    }
    void CheckWhitelist(Candidate& c) const { checkList(c, g.whitelist, "W", "Whitelisted"); }

    // A rule matches the stored texts, or the stored and decoded ones taken together.
    void ApplyRules(Candidate& c) const {
        QString head, body;
        bool inBody = false;
        for (const QString& line : lines(c)) {
            (inBody ? body : head) += " " + line;
            inBody = inBody || line.isEmpty();
        }
        head = head.replace('\t', ' ').toLower();
        body = body.replace('\t', ' ').toLower();
        const DecodedTexts decoded = decodedTexts(c.message);
        const auto read = [](QString s) {
            for (QChar& unit : s)
                if (unit == '\r' || unit == '\n')
                    unit = ' ';
            return s.replace('\t', ' ').toLower();
        };
        const QString subject = c.cells.Subject.toLower();
        for (const Rule& rule : g.rules.rules())
            mark(c,
                 !rule.Use.isEmpty() &&
                     (matches(rule, head, body, subject) ||
                      (c.message.lineCount() > 0 &&
                       matches(rule, head + QChar(0xFFFF) + read(decoded.head),
                               body + QChar(0xFFFF) + read(decoded.body), subject))),
                 "D", "Rule: " + rule.Phrase1 + " " + rule.Op2 + " " + rule.Phrase2 + "...");
    }
    static bool matches(const Rule& rule, const QString& head, const QString& body,
                        const QString& subject) {
        auto t = [&](const QString* phrase) {
            const QString& w = rule.Where;
            return !phrase->isEmpty() &&
                   (((w == "Anywhere" || w == "Head") && head.contains(*phrase)) ||
                    ((w == "Anywhere" || w == "Body") && body.contains(*phrase)) ||
                    ((w == "Anywhere" || w == "Subject") && subject.contains(*phrase)));
        };
        const auto f = rule.fields(); // Use, Where, Phrase1, then operator and phrase pairs
        bool result = t(f[2]);
        for (int k = 3; k < Rule::FieldCount; k += 2)
            result = *f[k] == "AND"   ? result && t(f[k + 1])
                     : *f[k] == "OR"  ? result || t(f[k + 1])
                     : *f[k] == "NOT" ? result && !t(f[k + 1])
                                      : result;
        return result;
    }

    void CheckAttachments(Candidate& c) const {
        for (QString line : lines(c)) {
            line = text::trimSpaces(line.remove('"'));
            const qsizetype p = line.indexOf(';') + 1; // counted from 1, 0 when absent
            const QString type = text::trimSpaces(p == 0    ? line.mid(14)
                                                  : p >= 15 ? line.mid(14, p - 15)
                                                            : QString());
            for (int slot = 50; slot <= 59; ++slot)
                mark(c,
                     line.left(13) == "Content-Type:" && !g.settings[slot].isEmpty() &&
                         g.settings[slot] == type,
                     "D", "Small " + type + " suspicious");
        }
    }
};
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
    QString word(int maxLength) {
        QString w;
        for (int n = below(maxLength + 1); n > 0; --n)
            w += pick(tokens_);
        return w;
    }
    QString address() {
        const QString domain = pick({"x", "y", "x.y", "X"});
        return chance(80) ? pick({"a", "b", "ab", "A", ""}) + "@" + domain : domain;
    }
    QString type() { return pick({"image/gif", "image/GIF", "a/b", "a", "", " a ", "mage/gif"}); }
    QString ip() { return pick({"1", "2", "1.2", " 2 "}); }

    // Every kind of line is made and one kept, plain words most often.
    QString headerLine() {
        const QString a = address(), space = pick({" ", "", "  ", "\t"}), w = word(6);
        QString content = pick({"Content-Type:", "Content-type:", " \"Content-Type:"}) +
                          pick({" ", "", "  "}) + type() + pick({"", ";", "; name=x", " ;a"});
        if (chance(20))
            content.insert(below(content.size() + 1), '"');
        const QString from =
            pick({a, a, "\"" + word(3) + "\" <" + a + ">", word(2) + " < " + a + " >", a + "> <",
                  "<" + address() + "> <" + a + ">"});
        return pick({"From:" + space + from, pick({"Subject:", "subject:"}) + space + word(3),
                     "To:" + space + a, pick({" ", "\t"}) + w, "Subject: =?UTF-8?Q?" + w + "?=",
                     "Received: " + word(2) + pick({"[", "]", ""}) + ip() + pick({"]", "[", ""}),
                     content, pick({"", "   ", "\t"}), w, w, w, w, w});
    }

    // Usually ends with the closing dot, sometimes cut off; the last line may lack its end.
    QByteArray message() {
        QString text = "+OK " + word(3);
        for (int n = below(12); n >= 0; --n)
            text += pick({"\r\n", "\n", "\r\n"}) + (n > 0 || chance(20) ? headerLine() : ".");
        return (text + pick({"\r\n", "", "\r", "\n"})).toLatin1();
    }

    // Now and then an empty entry, which ends the list.
    QStringList entries(int maxCount, bool ips = false) {
        QStringList list;
        for (int n = below(maxCount + 1); n > 0; --n)
            list << (chance(5) ? "" : ips ? ip() : chance(60) ? address() : pick({"@x", "x", "y"}));
        return list;
    }

    // New settings, lists and rules; from Phrase1 on, phrases and operators take turns.
    void fill(Global& global) {
        for (int entry : {11, 12, 13, 25})
            global.settings[entry] = pick({"1", "1", "0", " 1", "1.0", ""});
        for (int slot = 50; slot < 60; ++slot)
            global.settings[slot] = chance(30) ? type() : QString();
        global.blacklist.setEntries(entries(6));
        global.whitelist.setEntries(entries(3));
        global.blackIP.setEntries(entries(3, true));
        QList<Rule> rules(below(10));
        for (Rule& r : rules) {
            r.Use = pick({"X", "X", "", "x"});
            r.Where = chance(3) ? "" : pick({"Anywhere", "Head", "Body", "Subject", "body", "?"});
            for (int f = 2; f < Rule::FieldCount; ++f)
                *r.fields()[f] = f % 2        ? pick({"AND", "OR", "NOT", "", "and", "XOR"})
                                 : chance(15) ? QString()
                                              : word(3);
        }
        global.rules.setRules(rules);
    }

private:
    QRandomGenerator random_;
    QStringList tokens_;
};

} // namespace

class TestDifferential : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // After the header extraction each candidate goes through every indexed test in turn,
    // whatever the earlier ones marked.
    void randomTables() {
        using Test = void (Classifier::*)(Candidate&) const;
        using PlainTest = void (Plain::*)(Candidate&) const;
        const QList<QPair<Test, PlainTest>> tests = {
            {&Classifier::CheckBlacklist, &Plain::CheckBlacklist},
            {&Classifier::CheckAttachments, &Plain::CheckAttachments},
            {&Classifier::ApplyRules, &Plain::ApplyRules},
            {&Classifier::CheckWhitelist, &Plain::CheckWhitelist}};
        Desk desk;
        for (quint32 seed = 1; seed <= 1500; ++seed) {
            Generator g(seed);
            g.fill(desk.global);
            const Classifier classifier(desk.global);
            const Plain plain{desk.global};
            for (int r = 0, count = 1 + g.below(6); r < count; ++r) {
                const MessageFile file = MessageFile::fromBytes(g.message());
                Candidate a{{}, g.pick({"1k", "1k", "150k"}), file};
                classifier.ProcessHeader(a);
                Candidate b = a;
                for (int t = 0; t < tests.size(); ++t) {
                    (classifier.*tests[t].first)(a);
                    (plain.*tests[t].second)(b);
                    const QString at = QString("seed %1 row %2 test %3").arg(seed).arg(r).arg(t);
                    QVERIFY2(outcome(a) == outcome(b),
                             qPrintable(at + ": " + outcome(b).join('|')));
                }
            }
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

    // A long text is walked in stretches side by side; phrases cross every seam between them
    // and between the pieces the text is fed in, in each of the three readings.
    void matcherOverLongTexts() {
        Generator g(5, {"a", "b", "A", "\u00e9", "\u00c9", " ", "\t", "\r\n"});
        const auto lowered = [](QString s) {
            for (QChar& unit : s)
                if (unit == '\r' || unit == '\n')
                    unit = ' ';
            return s.replace('\t', ' ').toLower();
        };
        for (int round = 0; round < 8; ++round) {
            QStringList phrases;
            for (int i = 0; i < 200; ++i)
                phrases << lowered(g.word(round % 2 ? 9 : 40));
            phrases.removeAll(QString());
            phrases.removeDuplicates();
            const PhraseMatcher matcher(phrases);
            QString text;
            while (text.size() < 20000)
                text += g.word(50);
            if (round % 3 == 2)
                text.insert(g.below(text.size()), QStringLiteral("\u0130\U00010400"));
            const qsizetype cut = g.below(text.size());
            PhraseMatcher::Scan exact(matcher), folded(matcher), read(matcher);
            for (const QString& piece : {text.left(cut), text.mid(cut)}) {
                exact.feed(piece);
                folded.feedFolded(piece.toLatin1());
                read.feedLowered(piece);
            }
            const QString foldedText =
                QString::fromLatin1(text.toLatin1()).replace('\t', ' ').toLower();
            for (qsizetype i = 0; i < phrases.size(); ++i) {
                const QByteArray at = QByteArray::number(round) + " phrase " + phrases[i].toUtf8();
                QVERIFY2(exact.found(i) == text.contains(phrases[i]), at);
                QVERIFY2(folded.found(i) == foldedText.contains(phrases[i]), at);
                QVERIFY2(read.found(i) == lowered(text).contains(phrases[i]), at);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestDifferential)
#include "test_differential.moc"
