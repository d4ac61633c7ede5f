#include "classify/classifier.h"
#include "classify/phrase_matcher.h"
#include "classify_fixture.h"

#include <QTest>

namespace {

// A downloaded RETR reply: status line, header, blank line, body, closing dot.
QByteArray mail(const QString& from, const QString& to, const QString& subject,
                const QString& body) {
    QStringList lines{"+OK 1 octets", "From: " + from, "To: " + to, "Subject: " + subject, ""};
    lines << body.split('\n') << ".";
    return lines.join("\r\n").toLatin1() + "\r\n";
}

void compareMark(const MessageTable& table, int r, const QString& action, const QString& reason) {
    QCOMPARE(table.cell(r, col::Action), action);
    QCOMPARE(table.cell(r, col::Reason), reason);
    QCOMPARE(rowColour(table, r), colourFor(action));
}

// Rows of the data tables are string lists, so each case reads as one line.
void addRow(const char* name, const QStringList& row) {
    QTest::newRow(name) << row;
}

} // namespace

class TestClassify : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headerFiles_data();
    void headerFiles();
    void blankFieldSwitches_data();
    void blankFieldSwitches();
    void rules_data();
    void rules();
    void lists_data();
    void lists();
    void attachments_data();
    void attachments();
    void passOrder_data();
    void passOrder();
    void notToMe_data();
    void notToMe();
    void duplicateSubjects_data();
    void duplicateSubjects();
    void passStopsAtFirstEmptyRow();
    void unreadableFileSearchesSubjectOnly();
    void phraseMatcher_data();
    void phraseMatcher();
};

// Each file through the whole pass with the default settings, one account user@example.com
// and empty lists and rules: file, From, Subject, To, IP, Action, Reason.
void TestClassify::headerFiles_data() {
    QTest::addColumn<QStringList>("row");
    const QString user = "user@example.com";
    addRow("folded headers: first lines only, indented To: taken",
           {"folded_headers.eml", "Alice Example", "Weekly report for", "mallory@example.com",
            "192.0.2.10", "D", "Bad email address"});
    addRow("several Received: the last bracketed pair; second Subject:",
           {"several_received.eml", "sender@example.com", "second subject", user, "203.0.113.7", "",
            ""});
    addRow("quoted display name loses its quotes, other headers keep them",
           {"quoted_display_name.eml", "Smith, Bob <bob@example.com>",
            "\"Quoted\" subject stays quoted", "\"User\" <user@example.com>", "", "", ""});
    addRow("unusual letter case not recognised; From:x loses a character",
           {"unusual_case_headers.eml", "arol@example.com", "", "", "", "D", "No To:"});
    addRow("MIME image, quoted name; the later png part wins",
           {"mime_image_quoted.eml", "ads@example.com", "Pictures", user, "", "D",
            "Small image/png suspicious"});
    addRow("MIME image, bare name", {"mime_image_bare.eml", "ads@example.com", "A photo", user, "",
                                     "D", "Small image/jpeg suspicious"});
    addRow("Content-Type near misses mark nothing",
           {"mime_image_near_misses.eml", "ads@example.com", "Near misses", user, "", "", ""});
    addRow("CR LF lines",
           {"crlf_lines.eml", "Promo Team <promo@example.com>", "Your chance", user, "", "", ""});
    addRow("LF lines",
           {"lf_lines.eml", "Promo Team <promo@example.com>", "Your chance", user, "", "", ""});
    addRow("8-bit bytes, one character each", {"eight_bit.eml", "Zo\u00eb <zoe@example.fr>",
                                               "Caf\u00e9 \u00c0 GAGNER", user, "", "", ""});
    addRow("no blank line: every header still read",
           {"no_blank_line.eml", "a@example.com", "Headers only", user, "", "", ""});
    addRow("a line of spaces ends the header, a tab line does not",
           {"spaces_line_header.eml", "a@example.com", "", user, "", "D", "No Subject:"});
    addRow("missing file", {"missing.eml", "", "", "", "", "D", "No From:"});
}

void TestClassify::headerFiles() {
    QFETCH(QStringList, row);
    const QString file = row[0];
    Desk desk;
    desk.setAccounts({"user@example.com"});
    const QByteArray bytes = testData("classify/" + file);
    if (file.startsWith("crlf") || file.startsWith("lf"))
        QCOMPARE(bytes.contains('\r'), file.startsWith("crlf"));
    desk.addRow(1, file, bytes);
    desk.run();

    const MessageTable& t = desk.table;
    const QStringList cells = {t.cell(1, col::From), t.cell(1, col::Subject), t.cell(1, col::To),
                               t.cell(1, col::IP)};
    QCOMPARE(cells, row.mid(1, 4));
    compareMark(t, 1, row[5], row[6]);
    QCOMPARE(t.cell(1, col::File), file);
    QCOMPARE(t.cell(1, col::Account), QString("home"));
}

// MarkNoSubject, MarkBlankTo, MarkBlankFrom, MaxSizeK, the Size cell, Action, Reason; the
// message has none of the three headers.
void TestClassify::blankFieldSwitches_data() {
    QTest::addColumn<QStringList>("row");
    addRow("all on: the last test wins", {"1", "1", "1", "100", "1k", "D", "No From:"});
    addRow("no-subject off", {"0", "1", "1", "100", "1k", "D", "No From:"});
    addRow("only no-subject", {"1", "0", "0", "100", "1k", "D", "No Subject:"});
    addRow("only blank To", {"0", "1", "0", "100", "1k", "D", "No To:"});
    addRow("switches are exact text", {" 1", "1.0", "01", "100", "1k", "", ""});
    addRow("all off", {"0", "0", "0", "100", "1k", "", ""});
    addRow("over the limit clears a mark",
           {"1", "1", "1", "100", "150k", "", "Large emails not spam"});
    addRow("at the limit is no large mail", {"1", "1", "1", "150", "150k", "D", "No From:"});
    addRow("limit read as a number",
           {"1", "1", "1", " 99 kB", "100k", "", "Large emails not spam"});
}

void TestClassify::blankFieldSwitches() {
    QFETCH(QStringList, row);
    Desk desk;
    Settings& s = desk.global.settings;
    s[setting::MarkNoSubject] = row[0];
    s[setting::MarkBlankTo] = row[1];
    s[setting::MarkBlankFrom] = row[2];
    s[setting::MaxSizeK] = row[3];
    s[setting::MarkNotToMe] = "0";
    desk.addRow(1, "e1.eml", QByteArray("+OK\r\nX-Nothing: here\r\n\r\nbody\r\n.\r\n"), row[4]);
    desk.run();
    compareMark(desk.table, 1, row[5], row[6]);
}

// Rules alone (the header switches and the not-to-me test off): rules, message, reason.
void TestClassify::rules_data() {
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
    add("subject", {"X|Subject|free"}, body, "Rule: free  ...");
    add("subject ignores the body", {"X|Subject|casino"}, body, "");
    add("body ignores the header", {"X|Body|a@example.com"}, body, "");
    add("head ignores the body", {"X|Head|casino"}, body, "");
    add("head holds the status line", {"X|Head|+ok 1"}, body, "Rule: +ok 1  ...");
    add("a OR b AND c: b and c", {"X|Anywhere|aaa|OR|bbb|AND|ccc"}, body, "Rule: aaa OR bbb...");
    add("a OR b AND c: a and b", {"X|Anywhere|casino|OR|bbb|AND|zzz"}, body, "");
    add("x NOT y: y absent", {"X|Anywhere|xx|NOT|yy"}, body, "Rule: xx NOT yy...");
    add("x NOT y: y present", {"X|Anywhere|xx|NOT|ccc"}, body, "");
    add("AND an empty phrase never fires", {"X|Anywhere|xx|AND|"}, body, "");
    add("NOT an empty phrase", {"X|Anywhere|xx|NOT|"}, body, "Rule: xx NOT ...");
    add("OR an empty phrase", {"X|Anywhere|xx|OR|"}, body, "Rule: xx OR ...");
    add("unknown and lower-case operators ignored", {"X|Anywhere|xx|XOR|zz|and|qq"}, body,
        "Rule: xx XOR zz...");
    add("fourth phrase counts", {"X|Anywhere|xx|AND|bbb|OR|q|NOT|ccc"}, body, "");
    add("rule out of use", {"|Anywhere|casino"}, body, "");
    add("any Use text is in use", {"no|Anywhere|casino"}, body, "Rule: casino  ...");
    add("unknown Where", {"X|anywhere|casino"}, body, "");
    add("the later rule names the reason", {"X|Anywhere|casino", "X|Body|bbb", "X|Body|zzz"}, body,
        "Rule: bbb  ...");
    add("later rule out of use", {"X|Anywhere|casino", "|Body|bbb"}, body, "Rule: casino  ...");
    add("empty Where ends the table", {"X|Anywhere|casino", "X||bbb", "X|Body|xx"}, body,
        "Rule: casino  ...");
    add("upper-case phrase never matches", {"X|Anywhere|CASINO"}, body, "");
    add("across a CR LF line join", {"X|Body|your prize"}, crlf, "Rule: your prize  ...");
    add("across an LF line join", {"X|Body|your prize"}, lf, "Rule: your prize  ...");
    add("tabs read as spaces", {"X|Body| tabbed line"}, lf, "Rule:  tabbed line  ...");
    add("a tab in a phrase never matches", {"X|Body|tabbed\tline"}, lf, "");
    add("head ends with the empty line's space", {"X|Head|your chance "}, crlf,
        "Rule: your chance   ...");
    add("head and body are separate texts", {"X|Anywhere|chance  act"}, crlf, "");
    add("8-bit body lower-cased", {"X|Body|\u00e9norme"}, eightBit, "Rule: \u00e9norme  ...");
    add("8-bit subject lower-cased", {"X|Subject|caf\u00e9 \u00e0 g"}, eightBit,
        "Rule: caf\u00e9 \u00e0 g  ...");
    add("no blank line: no body", {"X|Body|lottery"}, noBlank, "");
    add("no blank line: the head is the whole file", {"X|Head|sender ."}, noBlank,
        "Rule: sender .  ...");
    add("the head runs past a line of spaces", {"X|Head|jackpot"},
        testData("classify/spaces_line_header.eml"), "Rule: jackpot  ...");
}

void TestClassify::rules() {
    QFETCH(QStringList, rules);
    QFETCH(QByteArray, message);
    QFETCH(QString, reason);
    Desk desk;
    for (int entry : {setting::MarkNoSubject, setting::MarkBlankTo, setting::MarkBlankFrom,
                      setting::MarkNotToMe})
        desk.global.settings[entry] = "0";
    desk.global.rules.setRules(rulesFrom(rules));
    desk.addRow(1, "e1.eml", message);
    desk.run();
    compareMark(desk.table, 1, reason.isEmpty() ? "" : "D", reason);
}

// CheckBlacklist then CheckWhitelist on a row whose From and IP cells are filled, with the IP
// blacklist 10.0.0.1, 192.0.2.1: From, IP, reason of an earlier "D" or "", UseBlackIP,
// blacklist, whitelist, Action, Reason. Lists are written "a,b".
void TestClassify::lists_data() {
    QTest::addColumn<QStringList>("row");
    const QString bob = "Bob <bob@example.com>";
    const QString ip = "192.0.2.1";
    auto sender = [&](const char* name, const QString& from, const QString& black,
                      const QString& white, const QString& action, const QString& reason) {
        addRow(name, {from, "", "", "1", black, white, action, reason});
    };
    sender("bracketed address", bob, "bob@example.com", "", "B", "Blacklisted sender");
    sender("whitelist overrides", bob, "bob@example.com", "bob@example.com", "W",
           "Whitelisted sender");
    sender("domain entry", bob, "example.com", "", "B", "Blacklisted domain");
    sender("whitelisted domain", bob, "bob@example.com", "example.com", "W", "Whitelisted domain");
    sender("parent domain does not match", "bob@mail.example.com", "example.com", "", "", "");
    sender("letter case differs", bob, "Bob@example.com", "EXAMPLE.COM", "", "");
    sender("@domain is a sender entry", bob, "@example.com", "", "", "");
    sender("@domain matches only itself", "<@example.com>", "@example.com", "", "B",
           "Blacklisted sender");
    sender("no brackets: the whole text", "bob@example.com", "bob@example.com", "", "B",
           "Blacklisted sender");
    sender("comment in parentheses", "bob@example.com (Bob)", "bob@example.com", "", "", "");
    sender("the last bracketed part", "A <a@x.org> B < bob@example.com >", "bob@example.com", "",
           "B", "Blacklisted sender");
    sender("the first bracketed part unused", "A <a@x.org> B <c@y.org>", "a@x.org,x.org", "", "",
           "");
    sender("reversed brackets compare nothing", "bob@example.com> x <", "bob@example.com",
           "example.com> x <", "", "");
    sender("no @: the whole address is the domain", "example.com", "example.com", "", "B",
           "Blacklisted domain");
    sender("domain, then sender", bob, "example.com,bob@example.com", "", "B",
           "Blacklisted sender");
    sender("sender, then domain", bob, "bob@example.com,example.com", "", "B",
           "Blacklisted domain");
    sender("a repeated entry counts at its last place", bob,
           "example.com,bob@example.com,example.com", "", "B", "Blacklisted domain");
    sender("the list ends at its first empty entry", bob, "x.org,,bob@example.com", "", "", "");
    sender("empty From", "", "example.com", "", "", "");
    addRow("blacklist replaces a header mark",
           {bob, "", "No Subject:", "1", "bob@example.com", "", "B", "Blacklisted sender"});
    addRow("unmarked row, IP listed", {bob, ip, "", "1", "", "", "B", "Blacklisted IP address"});
    addRow("IP switch read as a number",
           {bob, ip, "", " 1.0", "", "", "B", "Blacklisted IP address"});
    addRow("IP switch off", {bob, ip, "", "0", "", "", "", ""});
    addRow("a marked row skips the IP list",
           {bob, ip, "No Subject:", "1", "", "", "D", "No Subject:"});
    addRow("whitelist beats the IP list",
           {bob, ip, "", "1", "", "bob@example.com", "W", "Whitelisted sender"});
    addRow("empty IP", {bob, "", "", "1", "", "", "", ""});
}

void TestClassify::lists() {
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
void TestClassify::attachments_data() {
    QTest::addColumn<QStringList>("row");
    addRow("jpeg slot emptied", {"mime_image_bare.eml", "51", "", ""});
    addRow("png slot emptied, gif remains",
           {"mime_image_quoted.eml", "52", "", "Small image/gif suspicious"});
    addRow("upper-case slot",
           {"mime_image_near_misses.eml", "53", "image/GIF", "Small image/GIF suspicious"});
    addRow("any listed type", {"mime_image_near_misses.eml", "59", "multipart/mixed",
                               "Small multipart/mixed suspicious"});
    addRow("no space after the colon",
           {"mime_image_near_misses.eml", "55", "mage/gif", "Small mage/gif suspicious"});
}

void TestClassify::attachments() {
    QFETCH(QStringList, row);
    Desk desk;
    desk.setAccounts({"user@example.com"});
    desk.global.settings[row[1].toInt()] = row[2];
    desk.addRow(1, row[0], testData("classify/" + row[0]));
    desk.run();
    compareMark(desk.table, 1, row[3].isEmpty() ? "" : "D", row[3]);
}

// Which test decides when several would mark the same message from spam@example.com, which
// is on both lists, addressed to none of the accounts, and with a rule "win":
// UseBlacklist, UseWhitelist, Subject, body, Action, Reason.
void TestClassify::passOrder_data() {
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
    addRow("whitelist overrides a header mark", {"0", "1", "", image, "W", "Whitelisted sender"});
}

void TestClassify::passOrder() {
    QFETCH(QStringList, row);
    Desk desk;
    desk.global.settings[setting::UseBlacklist] = row[0];
    desk.global.settings[setting::UseWhitelist] = row[1];
    desk.setAccounts({"nobody@example.com"});
    desk.global.blacklist.setEntries({"spam@example.com"});
    desk.global.whitelist.setEntries({"spam@example.com"});
    desk.global.rules.setRules(rulesFrom({"X|Anywhere|win"}));
    desk.addRow(1, "e1.eml", mail("spam@example.com", "u@example.com", row[2], row[3]));
    desk.run();
    compareMark(desk.table, 1, row[4], row[5]);
}

// Own addresses of the accounts ("a,b"), MarkNotToMe, To, Reason.
void TestClassify::notToMe_data() {
    QTest::addColumn<QStringList>("row");
    addRow("second address among recipients", {"a@x.org,b@y.org", "1", "c@z.org, b@y.org", ""});
    addRow("neither address", {"a@x.org,b@y.org", "1", "c@z.org", "Bad email address"});
    addRow("a substring counts", {"a@x.org,b@y.org", "1", "xa@x.orgy", ""});
    addRow("letter case differs", {"a@x.org,b@y.org", "1", "A@X.ORG", "Bad email address"});
    addRow("switch is exact text", {"a@x.org,b@y.org", " 1", "c@z.org", ""});
    addRow("an empty address matches every To", {"a@x.org,", "1", "c@z.org", ""});
}

void TestClassify::notToMe() {
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
void TestClassify::duplicateSubjects_data() {
    QTest::addColumn<QStringList>("row");
    addRow("A B A A", {"ABAA", "--W-", "D-DD"});
    addRow("a marked first row starts no group", {"AA", "B-", "B-"});
    addRow("the second row starts the group", {"AAA", "B-B", "BDD"});
    addRow("empty subjects are equal", {"--", "--", "DD"});
    addRow("letter case differs", {"Aa", "--", "--"});
    addRow("the last unmarked member alone", {"AA", "W-", "W-"});
}

void TestClassify::duplicateSubjects() {
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
        const QString reason = after == "D"                  ? "Duplicate subject"
                               : letter(row[1], r).isEmpty() ? ""
                                                             : "earlier";
        compareMark(desk.table, r, after, reason);
    }
}

void TestClassify::passStopsAtFirstEmptyRow() {
    Desk desk;
    desk.setAccounts({"u@example.com"});
    const QByteArray same = mail("s@example.com", "u@example.com", "same", "body");
    desk.addRow(1, "e1.eml", same);
    desk.addRow(2, "e2.eml", same);
    desk.addRow(4, "e4.eml", same);
    int yields = 0;
    classifyRows(desk.table, desk.global, [&] { ++yields; });
    QCOMPARE(yields, 2);
    compareMark(desk.table, 1, "D", "Duplicate subject");
    compareMark(desk.table, 2, "D", "Duplicate subject");
    QCOMPARE(desk.table.cell(4, col::Subject), QString());
    QCOMPARE(desk.table.grid().Row(), desk.table.grid().Rows() - 1);

    desk.table.ClearGrid();
    desk.global.settings[setting::MarkDuplicates] = "0";
    desk.addRow(1, "e1.eml", same);
    desk.addRow(2, "e2.eml", same);
    desk.run();
    compareMark(desk.table, 1, "", "");
    compareMark(desk.table, 2, "", "");
}

// A file gone since it was fetched: the rules still see the subject, attachments see nothing.
void TestClassify::unreadableFileSearchesSubjectOnly() {
    Desk desk;
    desk.global.rules.setRules(rulesFrom({"X|Subject|win", "X|Head|+ok"}));
    desk.addRow(1, "gone.eml", QByteArray());
    desk.table.setCell(1, col::Subject, "Win big");
    desk.table.grid().setRow(1);
    Classifier classifier(desk.table, desk.global);
    classifier.CheckAttachments();
    compareMark(desk.table, 1, "", "");
    classifier.ApplyRules();
    compareMark(desk.table, 1, "D", "Rule: win  ...");
}

// Phrases, pieces of text (one starting "~" is fed folded, as Latin-1) and, per phrase,
// y when found and n when not.
void TestClassify::phraseMatcher_data() {
    QTest::addColumn<QStringList>("phrases");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QString>("found");
    auto add = [](const char* name, const QStringList& phrases, const QStringList& pieces,
                  const QString& found) { QTest::newRow(name) << phrases << pieces << found; };
    add("overlapping phrases", {"he", "she", "his", "hers"}, {"ushers"}, "yyny");
    add("a phrase inside a longer one", {"abcd", "bc"}, {"abce"}, "ny");
    add("across pieces", {"ab", "b c"}, {"xa", "b", " c"}, "yy");
    add("folded pieces", {"abc", "ABC", "a b", "\u00e9t\u00e9"},
        {"~ABC", "~a\tb", "~\u00c9T\u00c9"}, "ynyy");
    add("units beyond Latin-1", {"\u0436\u0438", "\u0436"}, {"x\u0436\u0438"}, "yy");
    add("nothing to find", {}, {"abc"}, "");
}

void TestClassify::phraseMatcher() {
    QFETCH(QStringList, phrases);
    QFETCH(QStringList, pieces);
    const PhraseMatcher matcher(phrases);
    PhraseMatcher::Scan scan(matcher);
    for (const QString& piece : pieces)
        if (piece.startsWith('~'))
            scan.feedFolded(piece.mid(1).toLatin1());
        else
            scan.feed(piece);
    QString seen;
    for (qsizetype i = 0; i < matcher.phraseCount(); ++i)
        seen += scan.found(i) ? 'y' : 'n';
    QTEST(seen, "found");
}

QTEST_GUILESS_MAIN(TestClassify)
#include "test_classify.moc"
