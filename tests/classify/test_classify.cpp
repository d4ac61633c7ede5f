#include "classify/classifier.h"
#include "classify_fixture.h"

#include <QTest>

// The plain behaviour of each test, case by case; the differential test holds the indexed
// classifier to the plain one over random tables.

namespace {

// A downloaded RETR reply: status line, header, blank line, body, closing dot.
QByteArray mail(const QString& from, const QString& to, const QString& subject,
                const QString& body) {
    QStringList lines{"+OK 1 octets", "From: " + from, "To: " + to, "Subject: " + subject, ""};
    lines << body.split('\n') << ".";
    return lines.join("\r\n").toLatin1() + "\r\n";
}

uint colourFor(const QString& action) {
    return action == "D" ? colour::LightRed : action == "B" ? colour::LightGrey : colour::White;
}

// Action, reason and the colour of all eleven cells.
void compareMark(const MessageTable& table, int r, const QString& action, const QString& reason) {
    QCOMPARE(table.cell(r, col::Action), action);
    QCOMPARE(table.cell(r, col::Reason), reason);
    for (int c = 0; c < col::Count; ++c)
        QCOMPARE(table.grid().CellBackColor(r, c), colourFor(action));
}

// Rows of the data tables are string lists, so each case reads as one line.
void addRow(const char* name, const QStringList& row) {
    QTest::newRow(name) << row;
}

} // namespace

class TestClassify : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each file through the whole pass with the default settings, one account
    // user@example.com and empty lists and rules: file, From, Subject, To, IP, Action, Reason.
    void headerFiles_data() {
        QTest::addColumn<QStringList>("row");
        const QString user = "user@example.com";
        addRow("folded headers: first lines only, indented To: taken",
               {"folded_headers.eml", "Alice Example", "Weekly report for", "mallory@example.com",
                "192.0.2.10", "D", "Bad email address"});
        addRow("several Received: the last bracketed pair; second Subject:",
               {"several_received.eml", "sender@example.com", "second subject", user, "203.0.113.7",
                "", ""});
        addRow("quoted display name loses its quotes, other headers keep them",
               {"quoted_display_name.eml", "Smith, Bob <bob@example.com>",
                "\"Quoted\" subject stays quoted", "\"User\" <user@example.com>", "", "", ""});
        addRow("unusual letter case not recognised; From:x loses a character",
               {"unusual_case_headers.eml", "arol@example.com", "", "", "", "D", "No To:"});
        addRow("MIME image, quoted name; the later png part wins",
               {"mime_image_quoted.eml", "ads@example.com", "Pictures", user, "", "D",
                "Small image/png suspicious"});
        addRow("MIME image, bare name", {"mime_image_bare.eml", "ads@example.com", "A photo", user,
                                         "", "D", "Small image/jpeg suspicious"});
        addRow("Content-Type near misses mark nothing",
               {"mime_image_near_misses.eml", "ads@example.com", "Near misses", user, "", "", ""});
        for (const char* file : {"crlf_lines.eml", "lf_lines.eml"})
            addRow(file, {file, "Promo Team <promo@example.com>", "Your chance", user, "", "", ""});
        addRow("8-bit bytes, one character each", {"eight_bit.eml", "Zo\u00eb <zoe@example.fr>",
                                                   "Caf\u00e9 \u00c0 GAGNER", user, "", "", ""});
        addRow("no blank line: every header still read",
               {"no_blank_line.eml", "a@example.com", "Headers only", user, "", "", ""});
        addRow("a line of spaces ends the header, a tab line does not",
               {"spaces_line_header.eml", "a@example.com", "", user, "", "D", "No Subject:"});
        addRow("missing file", {"missing.eml", "", "", "", "", "D", "No From:"});
    }
    void headerFiles() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.setAccounts({"user@example.com"});
        desk.addRow(1, row[0], testData("classify/" + row[0]));
        desk.run();
        const MessageTable& t = desk.table;
        QCOMPARE((QStringList{t.cell(1, col::From), t.cell(1, col::Subject), t.cell(1, col::To),
                              t.cell(1, col::IP)}),
                 row.mid(1, 4));
        compareMark(t, 1, row[5], row[6]);
        QCOMPARE(t.cell(1, col::File), row[0]);
        QCOMPARE(t.cell(1, col::Account), QString("home"));
    }

    // MarkNoSubject, MarkBlankTo, MarkBlankFrom, MaxSizeK, the Size cell, Action, Reason; the
    // message has none of the three headers (with all three on, the missing file above shows
    // that the last test wins).
    void blankFieldSwitches_data() {
        QTest::addColumn<QStringList>("row");
        addRow("switches are exact text: only no-subject",
               {"1", "1.0", "0", "100", "1k", "D", "No Subject:"});
        addRow("switches are exact text: only blank To",
               {" 1", "1", "01", "100", "1k", "D", "No To:"});
        addRow("over the limit clears a mark",
               {"1", "1", "1", "100", "150k", "", "Large emails not spam"});
        addRow("at the limit is no large mail", {"1", "1", "1", "150", "150k", "D", "No From:"});
        addRow("limit read as a number",
               {"1", "1", "1", " 99 kB", "100k", "", "Large emails not spam"});
    }
    void blankFieldSwitches() {
        QFETCH(QStringList, row);
        Desk desk;
        for (int entry : {setting::MarkNoSubject, setting::MarkBlankTo, setting::MarkBlankFrom,
                          setting::MaxSizeK})
            desk.global.settings[entry] = row.takeFirst();
        desk.global.settings[setting::MarkNotToMe] = "0";
        desk.addRow(1, "e1.eml", "+OK\r\nX-Nothing: here\r\n\r\nbody\r\n.\r\n", row[0]);
        desk.run();
        compareMark(desk.table, 1, row[1], row[2]);
    }

    // Rules alone (the header switches and the not-to-me test off): rules, message, reason.
    // Rules that must not fire share a row; whichever fires names itself in the reason.
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
        add("missing file: the subject cell alone", {"X|Subject|win", "X|Head|+ok"}, QByteArray(),
            "Rule: win  ...");
    }
    void rules() {
        QFETCH(QStringList, rules);
        QFETCH(QByteArray, message);
        QFETCH(QString, reason);
        Desk desk;
        for (int entry : {setting::MarkNoSubject, setting::MarkBlankTo, setting::MarkBlankFrom,
                          setting::MarkNotToMe})
            desk.global.settings[entry] = "0";
        desk.setRules(rules);
        desk.addRow(1, "e1.eml", message);
        if (message.isNull()) // a file gone since it was fetched keeps the subject it had
            desk.table.setCell(1, col::Subject, "Win big");
        desk.run();
        compareMark(desk.table, 1, reason.isEmpty() ? "" : "D", reason);
    }

    // CheckBlacklist then CheckWhitelist on a row whose From and IP cells are filled, with the
    // IP blacklist 10.0.0.1, 192.0.2.1: From, IP, reason of an earlier "D" or "", UseBlackIP,
    // blacklist, whitelist, Action, Reason. Lists are written "a,b".
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
        sender("the list ends at its first empty entry", bob, "y.org,,b@x.org", "", "", "");
        sender("empty From", "", "x.org", "", "", "");
        addRow("blacklist replaces a header mark",
               {bob, "", "No Subject:", "1", "b@x.org", "", "B", "Blacklisted sender"});
        addRow("IP switch read as a number",
               {bob, ip, "", " 1.0", "", "", "B", "Blacklisted IP address"});
        addRow("IP switch off", {bob, ip, "", "0", "", "", "", ""});
        addRow("a marked row skips the IP list",
               {bob, ip, "No Subject:", "1", "", "", "D", "No Subject:"});
        addRow("whitelist beats the IP list",
               {bob, ip, "", "1", "", "b@x.org", "W", "Whitelisted sender"});
        addRow("empty IP", {bob, "", "", "1", "", "", "", ""});
    }
    void lists() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.global.blacklist.setEntries(row[4].split(','));
        desk.global.whitelist.setEntries(row[5].split(','));
        desk.global.blackIP.setEntries({"10.0.0.1", "192.0.2.1"});
        desk.global.settings[setting::UseBlackIP] = row[3];
        desk.addRow(1, "e1.eml", QByteArray());
        desk.table.setCell(1, col::From, row[0]);
        desk.table.setCell(1, col::IP, row[1]);
        if (!row[2].isEmpty())
            desk.table.ColourRow("D", 1, colour::LightRed, row[2]);
        desk.table.grid().setRow(1);
        Classifier classifier(desk.table, desk.global);
        classifier.CheckBlacklist();
        classifier.CheckWhitelist();
        compareMark(desk.table, 1, row[6], row[7]);
    }

    // The pass over one file with one settings entry changed: file, entry, text, Reason.
    void attachments_data() {
        QTest::addColumn<QStringList>("row");
        addRow("png slot emptied, gif remains",
               {"mime_image_quoted.eml", "52", "", "Small image/gif suspicious"});
        addRow("upper-case slot",
               {"mime_image_near_misses.eml", "53", "image/GIF", "Small image/GIF suspicious"});
        addRow("any listed type", {"mime_image_near_misses.eml", "59", "multipart/mixed",
                                   "Small multipart/mixed suspicious"});
        addRow("no space after the colon",
               {"mime_image_near_misses.eml", "55", "mage/gif", "Small mage/gif suspicious"});
    }
    void attachments() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.setAccounts({"user@example.com"});
        desk.global.settings[row[1].toInt()] = row[2];
        desk.addRow(1, row[0], testData("classify/" + row[0]));
        desk.run();
        compareMark(desk.table, 1, row[3].isEmpty() ? "" : "D", row[3]);
    }

    // Which test decides when several would mark the same message from spam@example.com,
    // which is on both lists, addressed to none of the accounts, and with a rule "win":
    // UseBlacklist, UseWhitelist, Subject, body, Action, Reason.
    void passOrder_data() {
        QTest::addColumn<QStringList>("row");
        const QString image = "Content-Type: image/gif\nwin";
        addRow("blacklisted row not offered to later tests",
               {"1", "0", "win", image, "B", "Blacklisted sender"});
        addRow("blacklist switch is exact text",
               {"1.0", "0", "win", image, "D", "Small image/gif suspicious"});
        addRow("rules after attachments", {"0", "0", "win", "win", "D", "Rule: win  ..."});
        addRow("not-to-me after rules", {"0", "0", "hi", "hi", "D", "Bad email address"});
        addRow("whitelist switch read as a number",
               {"1", " 1.0", "win", image, "W", "Whitelisted sender"});
        addRow("a header mark stops the later tests", {"0", "0", "", image, "D", "No Subject:"});
        addRow("whitelist overrides a header mark",
               {"0", "1", "", image, "W", "Whitelisted sender"});
    }
    void passOrder() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.global.settings[setting::UseBlacklist] = row[0];
        desk.global.settings[setting::UseWhitelist] = row[1];
        desk.setAccounts({"nobody@example.com"});
        desk.global.blacklist.setEntries({"spam@example.com"});
        desk.global.whitelist.setEntries({"spam@example.com"});
        desk.setRules({"X|Anywhere|win"});
        desk.addRow(1, "e1.eml", mail("spam@example.com", "u@example.com", row[2], row[3]));
        desk.run();
        compareMark(desk.table, 1, row[4], row[5]);
    }

    // Own addresses of the accounts ("a,b"), MarkNotToMe, To, Reason.
    void notToMe_data() {
        QTest::addColumn<QStringList>("row");
        addRow("the second address, as a substring",
               {"a@x.org,b@y.org", "1", "c@z.org, xb@y.orgy", ""});
        addRow("neither address", {"a@x.org,b@y.org", "1", "c@z.org", "Bad email address"});
        addRow("letter case differs", {"a@x.org,b@y.org", "1", "A@X.ORG", "Bad email address"});
        addRow("switch is exact text", {"a@x.org,b@y.org", " 1", "c@z.org", ""});
        addRow("an empty address matches every To", {"a@x.org,", "1", "c@z.org", ""});
    }
    void notToMe() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.setAccounts(row[0].split(','));
        desk.global.accounts.row(1).Enabled = ""; // disabled accounts count too
        desk.global.settings[setting::MarkNotToMe] = row[1];
        desk.addRow(1, "e1.eml", mail("s@example.com", row[2], "hello", "body"));
        desk.run();
        compareMark(desk.table, 1, row[3].isEmpty() ? "" : "D", row[3]);
    }

    // Subjects, actions before (with reason "earlier") and actions after, one letter per row
    // ("-" for an empty action or subject).
    void duplicateSubjects_data() {
        QTest::addColumn<QStringList>("row");
        addRow("A B A A", {"ABAA", "--W-", "D-DD"});
        addRow("a marked first row starts no group", {"AA", "B-", "B-"});
        addRow("the second row starts the group", {"AAA", "B-B", "BDD"});
        addRow("empty subjects are equal", {"--", "--", "DD"});
        addRow("letter case differs", {"Aa", "--", "--"});
    }
    void duplicateSubjects() {
        QFETCH(QStringList, row);
        auto letter = [](const QString& s, int r) {
            return s[r - 1] == '-' ? QString() : s.mid(r - 1, 1);
        };
        Desk desk;
        const int rows = static_cast<int>(row[0].size());
        for (int r = 1; r <= rows; ++r) {
            desk.addRow(r, QString("e%1.eml").arg(r), QByteArray());
            desk.table.setCell(r, col::Subject, letter(row[0], r));
            if (!letter(row[1], r).isEmpty())
                desk.table.ColourRow(letter(row[1], r), r, colourFor(letter(row[1], r)), "earlier");
        }
        Classifier(desk.table, desk.global).DuplicateSubjects();
        for (int r = 1; r <= rows; ++r) {
            const QString after = letter(row[2], r);
            compareMark(desk.table, r, after,
                        after == "D"                  ? "Duplicate subject"
                        : letter(row[1], r).isEmpty() ? ""
                                                      : "earlier");
        }
    }

    // One yield per row up to the first empty one; then duplicates are marked with the grid's
    // last row current.
    void passStopsAtFirstEmptyRow() {
        Desk desk;
        desk.setAccounts({"u@example.com"});
        const QByteArray same = mail("s@example.com", "u@example.com", "same", "body");
        for (int r : {1, 2, 4})
            desk.addRow(r, QString("e%1.eml").arg(r), same);
        int yields = 0;
        classifyRows(desk.table, desk.global, [&] { ++yields; });
        QCOMPARE(yields, 2);
        compareMark(desk.table, 1, "D", "Duplicate subject");
        compareMark(desk.table, 2, "D", "Duplicate subject");
        QCOMPARE(desk.table.cell(4, col::Subject), QString());
        QCOMPARE(desk.table.grid().Row(), desk.table.grid().Rows() - 1);
    }
};

QTEST_GUILESS_MAIN(TestClassify)
#include "test_classify.moc"
