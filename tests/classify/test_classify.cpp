#include "classify_fixture.h"

#include <QTest>

// The plain behaviour of each test, case by case; the differential test holds the indexed
// classifier to a plain one over random tables.

namespace {

// A downloaded RETR reply: status line, header, blank line, body, closing dot.
QByteArray mail(const QString& from, const QString& to, const QString& subject,
                const QString& body) {
    QStringList lines{"+OK 1 octets", "From: " + from, "To: " + to, "Subject: " + subject, ""};
    lines << body.split('\n') << ".";
    return lines.join("\r\n").toLatin1() + "\r\n";
}

// Rows of the data tables are string lists, so each case reads as one line.
void addRow(const char* name, const QStringList& row) {
    QTest::newRow(name) << row;
}

} // namespace

class TestClassify : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each file classified whole with the default settings, one account user@example.com,
    // empty lists and rules, and a change of settings: file, change, then the outcome.
    void headerFiles_data() {
        QTest::addColumn<QStringList>("row");
        const QString user = "user@example.com";
        addRow("folded headers unfolded, an indented To: is no header",
               {"folded_headers.eml", "", "Alice Example <alice@example.org>",
                "Weekly report for the whole team", user + ", carol@example.net", "192.0.2.10", "",
                ""});
        addRow("several Received: the last bracketed pair; second Subject:",
               {"several_received.eml", "", "sender@example.com", "second subject", user,
                "203.0.113.7", "", ""});
        addRow("quoted display name loses its quotes, other headers keep them",
               {"quoted_display_name.eml", "", "Smith, Bob <bob@example.com>",
                "\"Quoted\" subject stays quoted", "\"User\" <user@example.com>", "", "", ""});
        addRow("unusual letter case not recognised; From:x loses a character",
               {"unusual_case_headers.eml", "", "arol@example.com", "", "", "", "D", "No To:"});
        const QString near = "mime_image_near_misses.eml";
        addRow("MIME image, quoted name; the later png part wins",
               {"mime_image_quoted.eml", "", "ads@example.com", "Pictures", user, "", "D",
                "Small image/png suspicious"});
        addRow("png slot emptied, gif remains",
               {"mime_image_quoted.eml", "52=", "ads@example.com", "Pictures", user, "", "D",
                "Small image/gif suspicious"});
        addRow("MIME image, bare name", {"mime_image_bare.eml", "", "ads@example.com", "A photo",
                                         user, "", "D", "Small image/jpeg suspicious"});
        addRow("Content-Type near misses mark nothing",
               {near, "", "ads@example.com", "Near misses", user, "", "", ""});
        for (const QString type : {"53=image/GIF", "59=multipart/mixed", "55=mage/gif"})
            addRow(qPrintable("near misses, slot " + type),
                   {near, type, "ads@example.com", "Near misses", user, "", "D",
                    "Small " + type.mid(3) + " suspicious"});
        addRow("8-bit bytes, one character each", {"eight_bit.eml", "", "Zo\u00eb <zoe@example.fr>",
                                                   "Caf\u00e9 \u00c0 GAGNER", user, "", "", ""});
        addRow("no blank line: every header still read",
               {"no_blank_line.eml", "", "a@example.com", "Headers only", user, "", "", ""});
        addRow("a line of spaces ends the header, a tab line does not",
               {"spaces_line_header.eml", "", "a@example.com", "", user, "", "D", "No Subject:"});
        addRow("missing file", {"missing.eml", "", "", "", "", "", "D", "No From:"});
    }
    void headerFiles() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.setAccounts({"user@example.com"});
        desk.change(row[1]);
        const MessageFile file = MessageFile::fromBytes(testData("classify/" + row[0]));
        Candidate c{{}, "1k", file};
        Classifier(desk.global).classify(c);
        QCOMPARE(outcome(c), row.mid(2));
    }

    // The header tests on a message with none of the three headers: MarkNoSubject,
    // MarkBlankTo, MarkBlankFrom, MaxSizeK, the Size cell, Action, Reason.
    void blankFieldSwitches_data() {
        QTest::addColumn<QStringList>("row");
        addRow("switches are exact text: only no-subject",
               {"11=1;12=1.0;13=0;10=100", "1k", "D", "No Subject:"});
        addRow("switches are exact text: only blank To", {"11= 1;12=1;13=01", "1k", "D", "No To:"});
        addRow("over the limit clears a mark", {"", "150k", "", "Large emails not spam"});
        addRow("at the limit is no large mail", {"10=150", "150k", "D", "No From:"});
        addRow("limit read as a number", {"10= 99 kB", "100k", "", "Large emails not spam"});
        addRow("all off and small: no mark", {"11=0;12=0;13=0", "1k", "", ""});
    }
    void blankFieldSwitches() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.change(row[0]);
        const MessageFile file = MessageFile::fromBytes("+OK\r\nX-Nothing: here\r\n\r\nbody\r\n");
        Candidate c{{}, row[1], file};
        Classifier(desk.global).ProcessHeader(c);
        QCOMPARE(outcome(c), (QStringList{"", "", "", "", row[2], row[3]}));
    }

    // ApplyRules alone, after the header extraction: rules, message, reason. Rules that must
    // not fire share a row; whichever fires names itself in the reason.
    void rules_data() {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("reason");
        const QByteArray crlf = testData("classify/crlf_lines.eml");
        const QByteArray lf = testData("classify/lf_lines.eml");
        const QByteArray eightBit = testData("classify/eight_bit.eml");
        const QByteArray noBlank = testData("classify/no_blank_line.eml");
        const QByteArray body =
            mail("a@example.com", "u@example.com", "Free offer", "Play CASINO games\nbbb ccc\nxx");
        auto add = [](const char* name, const QStringList& rules, const QByteArray& message,
                      const QString& reason) { QTest::newRow(name) << rules << message << reason; };
        add("anywhere, upper-case body", {"X|Anywhere|casino"}, body, "Rule: casino  ...");
        add("head holds the status line", {"X|Head|+ok 1"}, body, "Rule: +ok 1  ...");
        add("none of these fire",
            {"X|Subject|casino", "X|Body|a@example.com", "X|Head|play", "|Anywhere|games",
             "X|anywhere|offer", "X|Anywhere|CASINO", "X|Anywhere|casino|OR|bbb|AND|zzz",
             "X|Anywhere|xx|NOT|ccc", "X|Anywhere|bbb|AND|", "X|Anywhere|zz|OR|",
             "X|Anywhere|ccc|AND|bbb|OR|q|NOT|xx"},
            body, "");
        add("(a OR b) AND c", {"X|Anywhere|aaa|OR|bbb|AND|ccc"}, body, "Rule: aaa OR bbb...");
        add("x NOT y; unknown and lower-case operators ignored",
            {"X|Anywhere|xx|NOT|yy|XOR|zz|and|qq"}, body, "Rule: xx NOT yy...");
        add("NOT an empty phrase", {"X|Anywhere|xx|NOT|"}, body, "Rule: xx NOT ...");
        add("any Use text is in use", {"no|Anywhere|casino"}, body, "Rule: casino  ...");
        add("the later rule names the reason", {"X|Anywhere|casino", "X|Body|bbb", "X|Body|zzz"},
            body, "Rule: bbb  ...");
        add("out of use, then an empty Where that ends the table",
            {"X|Anywhere|casino", "|Body|bbb", "X||bbb", "X|Body|xx"}, body, "Rule: casino  ...");
        add("across a CR LF line join", {"X|Body|your prize"}, crlf, "Rule: your prize  ...");
        add("tabs read as spaces", {"X|Body| tabbed line", "X|Body|tabbed\tline"}, lf,
            "Rule:  tabbed line  ...");
        add("head ends with the empty line's space", {"X|Head|your chance "}, crlf,
            "Rule: your chance   ...");
        add("head and body are separate texts", {"X|Anywhere|chance  act"}, crlf, "");
        add("8-bit body lower-cased", {"X|Body|\u00e9norme"}, eightBit, "Rule: \u00e9norme  ...");
        add("8-bit subject lower-cased", {"X|Subject|caf\u00e9 \u00e0 g"}, eightBit,
            "Rule: caf\u00e9 \u00e0 g  ...");
        add("no blank line: the head is the whole file, no body",
            {"X|Head|sender .", "X|Body|lottery"}, noBlank, "Rule: sender .  ...");
        add("the head runs past a line of spaces", {"X|Head|jackpot"},
            testData("classify/spaces_line_header.eml"), "Rule: jackpot  ...");
        // A phrase in any script finds the text the reader sees, whatever the charset.
        const QByteArray cyrillicHead = "+OK\r\nFrom: a@example.com\r\nSubject: s\r\n"
                                        "Content-Type: text/plain; charset=";
        const char* gratis = "\u0431\u0435\u0441\u043f\u043b\u0430\u0442\u043d\u043e";
        for (const auto& [charset, text] :
             {std::pair<QByteArray, QByteArray>{"utf-8", QString(gratis).toUpper().toUtf8()},
              {"iso-8859-5", "\xb1\xb5\xc1\xbf\xbb\xb0\xc2\xbd\xbe"}})
            QTest::addRow("Cyrillic phrase, %s body", charset.constData())
                << QStringList{QString("X|Body|") + gratis}
                << cyrillicHead + charset + "\r\n\r\nvse " + text + "\r\n.\r\n"
                << QString("Rule: ") + gratis + "  ...";
        add("missing file: the subject cell alone", {"X|Subject|win", "X|Head|+ok"}, QByteArray(),
            "Rule: win  ...");
    }
    void rules() {
        QFETCH(QStringList, rules);
        QFETCH(QByteArray, message);
        QFETCH(QString, reason);
        Desk desk;
        desk.setRules(rules);
        const Classifier classifier(desk.global);
        const MessageFile file = MessageFile::fromBytes(message);
        // A file gone since it was fetched keeps the subject its row had.
        Candidate c{{"", message.isNull() ? "Win big" : "", "", ""}, "1k", file};
        classifier.ProcessHeader(c);
        c.mark.reset();
        classifier.ApplyRules(c);
        QCOMPARE(outcome(c).mid(4), (QStringList{reason.isEmpty() ? "" : "D", reason}));
    }

    // CheckBlacklist then CheckWhitelist with the IP blacklist 10.0.0.1, 192.0.2.1: From, IP,
    // reason of an earlier "D" or "", UseBlackIP, blacklist, whitelist, Action, Reason. Lists
    // are written "a,b".
    void lists_data() {
        QTest::addColumn<QStringList>("row");
        const QString bob = "Bob <b@x.org>", ip = "192.0.2.1";
        auto sender = [&](const char* name, const QString& from, const QString& black,
                          const QString& white, const QString& action, const QString& reason) {
            addRow(name, {from, "", "", "1", black, white, action, reason});
        };
        sender("domain entry", bob, "x.org", "", "B", "Blacklisted domain");
        sender("whitelisted domain wins", bob, "b@x.org", "x.org", "W", "Whitelisted domain");
        sender("parent domain does not match", "b@mail.x.org", "x.org", "", "", "");
        sender("letter case, @domain, part of a domain", bob, "B@x.org,X.ORG,@x.org,x.or", "", "",
               "");
        sender("@domain matches only itself", "<@x.org>", "@x.org", "", "B", "Blacklisted sender");
        sender("no brackets: the whole text", "b@x.org", "b@x.org", "", "B", "Blacklisted sender");
        sender("comment in parentheses", "b@x.org (Bob)", "b@x.org", "", "", "");
        sender("the last bracketed part, trimmed", "A <a@y.org> B < b@x.org >", "y.org,b@x.org", "",
               "B", "Blacklisted sender");
        sender("reversed brackets compare nothing", "b@x.org> x <", "b@x.org", "x.org> x <", "",
               "");
        sender("no @: the whole address is the domain", "x.org", "x.org", "", "B",
               "Blacklisted domain");
        sender("a repeated entry counts at its last place", bob, "x.org,b@x.org,x.org", "", "B",
               "Blacklisted domain");
        sender("so does a repeated sender", bob, "b@x.org,x.org,b@x.org", "", "B",
               "Blacklisted sender");
        sender("the list ends at its first empty entry", bob, "y.org,,b@x.org", "", "", "");
        addRow("blacklist replaces a header mark",
               {bob, "", "No Subject:", "1", "b@x.org", "", "B", "Blacklisted sender"});
        addRow("IP switch read as a number",
               {bob, ip, "", " 1.0", "", "", "B", "Blacklisted IP address"});
        addRow("IP switch off", {bob, ip, "", "0", "", "", "", ""});
        addRow("a marked row skips the IP list",
               {bob, ip, "No Subject:", "1", "", "", "D", "No Subject:"});
        addRow("whitelist beats the IP list",
               {bob, ip, "", "1", "", "b@x.org", "W", "Whitelisted sender"});
    }
    void lists() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.global.blacklist.setEntries(row[4].split(','));
        desk.global.whitelist.setEntries(row[5].split(','));
        desk.global.blackIP.setEntries({"10.0.0.1", "192.0.2.1"});
        desk.global.settings[setting::UseBlackIP] = row[3];
        const MessageFile none;
        Candidate c{{row[0], "", "", row[1]}, "1k", none};
        if (!row[2].isEmpty())
            c.mark = Mark{"D", row[2]};
        const Classifier classifier(desk.global);
        classifier.CheckBlacklist(c);
        classifier.CheckWhitelist(c);
        QCOMPARE(outcome(c), (QStringList{row[0], "", "", row[1], row[6], row[7]}));
    }

    // The whole sequence on a message from spam@example.com, which is on both lists, with a
    // rule "win", the lists switched off (14, 15) unless the change says otherwise: change,
    // own addresses ("a,b"), To, Subject, body, Action, Reason; then the learned verdict (Good
    // 0.02, Unsure 0.3, Spam 0.97) and another sender, when given.
    void passOrder_data() {
        QTest::addColumn<QStringList>("row");
        const QString image = "Content-Type: image/gif\nwin", nobody = "nobody@example.com",
                      u = "u@example.com";
        addRow("blacklisted row not offered to later tests",
               {"14=1", nobody, u, "win", image, "B", "Blacklisted sender"});
        addRow("blacklist switch is exact text",
               {"14=1.0", nobody, u, "win", image, "D", "Small image/gif suspicious"});
        addRow("rules after attachments", {"", nobody, u, "win", "win", "D", "Rule: win  ..."});
        addRow("not-to-me after rules", {"", nobody, u, "hi", "hi", "D", "Bad email address"});
        addRow("whitelist switch read as a number",
               {"14=1;15= 1.0", nobody, u, "win", image, "W", "Whitelisted sender"});
        addRow("a header mark stops the later tests",
               {"", nobody, u, "", image, "D", "No Subject:"});
        addRow("whitelist overrides a header mark",
               {"15=1", nobody, u, "", image, "W", "Whitelisted sender"});
        const QString ab = "a@x.org,b@y.org";
        addRow("own address: the second, as a substring",
               {"", ab, "c@z.org, xb@y.orgy", "hi", "hi", "", ""});
        addRow("own address: letter case does not count", {"", ab, "A@X.ORG", "hi", "hi", "", ""});
        addRow("not-to-me switch is exact text", {"16= 1", ab, "c@z.org", "hi", "hi", "", ""});
        addRow("an empty own address matches every To",
               {"", "a@x.org,", "c@z.org", "hi", "hi", "", ""});
        const QString notMarked = "Learned good mail, score 0.02 - not marked: ";
        addRow("good mail: no subject", {"", u, u, "", "hi", "", notMarked + "No Subject:", "G"});
        addRow("good mail: no To", {"16=0", u, "", "hi", "hi", "", notMarked + "No To:", "G"});
        addRow("good mail: no From", {"", u, u, "hi", "hi", "", notMarked + "No From:", "G", ""});
        addRow("good mail: small image", {"", u, u, "hi", "Content-Type: image/gif", "",
                                          notMarked + "Small image/gif suspicious", "G"});
        addRow("good mail: not to me",
               {"", "a@x.org", "c@z.org", "hi", "hi", "", notMarked + "Bad email address", "G"});
        addRow("good mail: a mark taken back leaves the rule its turn",
               {"", u, u, "hi", image, "D", "Rule: win  ...", "G"});
        addRow("good mail: the blacklist stands",
               {"14=1", u, u, "hi", "hi", "B", "Blacklisted sender", "G"});
        addRow("good mail: a rule stands", {"", u, u, "win", "win", "D", "Rule: win  ...", "G"});
        addRow("spam: the whitelist stands",
               {"15=1", u, u, "hi", "hi", "W", "Whitelisted sender", "S"});
        addRow("spam", {"", u, u, "hi", "hi", "D", "Learned spam, score 0.97", "S"});
        addRow("unsure: a mark of form stays",
               {"", u, "", "hi", "hi", "D", "No To: - learned score 0.30", "U"});
        addRow("unsure", {"", u, u, "hi", "hi", "", "Learned unsure, score 0.30", "U"});
        addRow("good mail", {"", u, u, "hi", "hi", "", "Learned good mail, score 0.02", "G"});
    }
    void passOrder() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.change("14=0;15=0;" + row[0]);
        desk.setAccounts(row[1].split(','));
        desk.global.blacklist.setEntries({"spam@example.com"});
        desk.global.whitelist.setEntries({"spam@example.com"});
        desk.setRules({"X|Anywhere|win"});
        const MessageFile file =
            MessageFile::fromBytes(mail(row.value(8, "spam@example.com"), row[2], row[3], row[4]));
        Candidate c{{}, "1k", file};
        const QHash<QString, LearnedScore> scores{{"G", {LearnedScore::Verdict::Good, 0.02}},
                                                  {"U", {LearnedScore::Verdict::Unsure, 0.3}},
                                                  {"S", {LearnedScore::Verdict::Spam, 0.97}}};
        if (row.size() > 7)
            c.score = scores.value(row[7]);
        Classifier(desk.global).classify(c);
        QCOMPARE(outcome(c).mid(4), row.mid(5, 2));
    }

    // Subjects and actions, one letter per row ("-" for empty), and the rows marked.
    void duplicateSubjects_data() {
        QTest::addColumn<QStringList>("row");
        addRow("A B A A", {"ABAA", "--W-", "0 2 3"});
        addRow("a marked first row starts no group", {"AA", "B-", ""});
        addRow("the second row starts the group", {"AAA", "B-B", "1 2"});
        addRow("interleaved groups; later members of any action", {"ABBAB", "-D-WW", "0 2 3 4"});
        addRow("empty subjects are equal", {"--", "--", "0 1"});
        addRow("letter case differs", {"Aa", "--", ""});
    }
    void duplicateSubjects() {
        QFETCH(QStringList, row);
        auto letter = [](const QString& s, qsizetype i) {
            return s[i] == '-' ? QString() : s.mid(i, 1);
        };
        QList<SubjectAndAction> rows;
        for (qsizetype i = 0; i < row[0].size(); ++i)
            rows.append({letter(row[0], i), letter(row[1], i)});
        QStringList marked;
        for (const qsizetype i : DuplicateSubjects(rows))
            marked << QString::number(i);
        QCOMPARE(marked.join(' '), row[2]);
    }
};

QTEST_GUILESS_MAIN(TestClassify)
#include "test_classify.moc"
