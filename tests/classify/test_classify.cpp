#include "classify/classifier.h"
#include "classify/phrase_matcher.h"
#include "classify_fixture.h"

#include <QTest>

namespace {

// A downloaded RETR reply: status line, header, blank line, body, closing dot.
QByteArray mail(const QString& from, const QString& to, const QString& subject,
                const QString& body) {
    QStringList lines{"+OK 1 octets"};
    if (!from.isNull())
        lines << "From: " + from;
    if (!to.isNull())
        lines << "To: " + to;
    if (!subject.isNull())
        lines << "Subject: " + subject;
    lines << "" << body.split('\n') << ".";
    return lines.join("\r\n").toLatin1() + "\r\n";
}

void compareMark(const MessageTable& table, int r, const QString& action, const QString& reason) {
    QCOMPARE(table.cell(r, col::Action), action);
    QCOMPARE(table.cell(r, col::Reason), reason);
    QCOMPARE(rowColour(table, r), colourFor(action));
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

// Every file goes through the whole pass with the default settings, one account
// user@example.com and empty lists and rules.
void TestClassify::headerFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folded headers: first lines only, indented To: taken")
        << "folded_headers.eml" << "Alice Example" << "Weekly report for"
        << "mallory@example.com" << "192.0.2.10" << "D" << "Bad email address";
    QTest::newRow("several Received: the last bracketed pair, second Subject:")
        << "several_received.eml" << "sender@example.com" << "second subject"
        << "user@example.com" << "203.0.113.7" << "" << "";
    QTest::newRow("quoted display name loses its quotes, other headers keep them")
        << "quoted_display_name.eml" << "Smith, Bob <bob@example.com>"
        << "\"Quoted\" subject stays quoted" << "\"User\" <user@example.com>" << "" << ""
        << "";
    QTest::newRow("unusual letter case not recognised, From:x loses a character")
        << "unusual_case_headers.eml" << "arol@example.com" << "" << "" << "" << "D"
        << "No To:";
    QTest::newRow("MIME image with quoted name, later png part wins")
        << "mime_image_quoted.eml" << "ads@example.com" << "Pictures" << "user@example.com"
        << "" << "D" << "Small image/png suspicious";
    QTest::newRow("MIME image with bare name")
        << "mime_image_bare.eml" << "ads@example.com" << "A photo" << "user@example.com" << ""
        << "D" << "Small image/jpeg suspicious";
    QTest::newRow("Content-Type near misses mark nothing")
        << "mime_image_near_misses.eml" << "ads@example.com" << "Near misses"
        << "user@example.com" << "" << "" << "";
    QTest::newRow("CR LF lines") << "crlf_lines.eml" << "Promo Team <promo@example.com>"
                                 << "Your chance" << "user@example.com" << "" << "" << "";
    QTest::newRow("LF lines") << "lf_lines.eml" << "Promo Team <promo@example.com>"
                              << "Your chance" << "user@example.com" << "" << "" << "";
    QTest::newRow("8-bit bytes kept one character each")
        << "eight_bit.eml" << "Zo\u00eb <zoe@example.fr>" << "Caf\u00e9 \u00c0 GAGNER"
        << "user@example.com" << "" << "" << "";
    QTest::newRow("no blank line: every header still read")
        << "no_blank_line.eml" << "a@example.com" << "Headers only" << "user@example.com"
        << "" << "" << "";
    QTest::newRow("a line of spaces ends the header, a tab line does not")
        << "spaces_line_header.eml" << "a@example.com" << "" << "user@example.com" << ""
        << "D" << "No Subject:";
    QTest::newRow("missing file") << "missing.eml" << "" << "" << "" << "" << "D"
                                  << "No From:";
}

void TestClassify::headerFiles() {
    QFETCH(QString, file);
    Desk desk;
    desk.setAccounts({"user@example.com"});
    const QByteArray bytes = testData("classify/" + file);
    if (file == "crlf_lines.eml")
        QVERIFY(bytes.contains("\r\n"));
    if (file == "lf_lines.eml")
        QVERIFY(!bytes.contains('\r'));
    desk.addRow(1, file, bytes);
    desk.run();

    const MessageTable& t = desk.table;
    QTEST(t.cell(1, col::From), "from");
    QTEST(t.cell(1, col::Subject), "subject");
    QTEST(t.cell(1, col::To), "to");
    QTEST(t.cell(1, col::IP), "ip");
    QTEST(t.cell(1, col::Action), "action");
    QTEST(t.cell(1, col::Reason), "reason");
    QFETCH(QString, action);
    QCOMPARE(rowColour(t, 1), colourFor(action));
    QCOMPARE(t.cell(1, col::File), file);
    QCOMPARE(t.cell(1, col::Account), QString("home"));
}

// The switches in the order MarkNoSubject, MarkBlankTo, MarkBlankFrom, MaxSizeK, and the
// row's Size cell.
void TestClassify::blankFieldSwitches_data() {
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("reason");

    QTest::newRow("all on: last test wins") << QStringList{"1", "1", "1", "100"} << "1k" << "D"
                                            << "No From:";
    QTest::newRow("no-subject off") << QStringList{"0", "1", "1", "100"} << "1k" << "D"
                                    << "No From:";
    QTest::newRow("only no-subject") << QStringList{"1", "0", "0", "100"} << "1k" << "D"
                                     << "No Subject:";
    QTest::newRow("only blank To") << QStringList{"0", "1", "0", "100"} << "1k" << "D"
                                   << "No To:";
    QTest::newRow("flags are exact text") << QStringList{" 1", "1.0", "01", "100"} << "1k"
                                          << "" << "";
    QTest::newRow("all off") << QStringList{"0", "0", "0", "100"} << "1k" << "" << "";
    QTest::newRow("size over the limit clears a mark")
        << QStringList{"1", "1", "1", "100"} << "150k" << "" << "Large emails not spam";
    QTest::newRow("size at the limit is no large mail") << QStringList{"1", "1", "1", "150"}
                                                        << "150k" << "D" << "No From:";
    QTest::newRow("limit read as a number") << QStringList{"1", "1", "1", " 99 kB"} << "100k"
                                            << "" << "Large emails not spam";
}

void TestClassify::blankFieldSwitches() {
    QFETCH(QStringList, settings);
    QFETCH(QString, size);
    Desk desk;
    Settings& s = desk.global.settings;
    s[setting::MarkNoSubject] = settings[0];
    s[setting::MarkBlankTo] = settings[1];
    s[setting::MarkBlankFrom] = settings[2];
    s[setting::MaxSizeK] = settings[3];
    s[setting::MarkNotToMe] = "0";
    desk.addRow(1, "e1.eml", QByteArray("+OK\r\nX-Nothing: here\r\n\r\nbody\r\n.\r\n"), size);
    desk.run();
    QFETCH(QString, action);
    QFETCH(QString, reason);
    compareMark(desk.table, 1, action, reason);
}

// Rules alone: the header switches and the not-to-me test are off.
void TestClassify::rules_data() {
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("reason");

    const QByteArray crlf = testData("classify/crlf_lines.eml");
    const QByteArray lf = testData("classify/lf_lines.eml");
    const QByteArray body = mail("a@example.com", "u@example.com", "Free offer",
                                 "Play CASINO games\nbbb ccc\nxx");
    QTest::newRow("anywhere, upper-case body") << QStringList{"X|Anywhere|casino"} << body
                                               << "Rule: casino  ...";
    QTest::newRow("subject") << QStringList{"X|Subject|free"} << body << "Rule: free  ...";
    QTest::newRow("subject ignores the body") << QStringList{"X|Subject|casino"} << body << "";
    QTest::newRow("body ignores the header") << QStringList{"X|Body|a@example.com"} << body
                                             << "";
    QTest::newRow("head ignores the body") << QStringList{"X|Head|casino"} << body << "";
    QTest::newRow("head holds the status line") << QStringList{"X|Head|+ok 1"} << body
                                                << "Rule: +ok 1  ...";
    QTest::newRow("a OR b AND c, b and c present")
        << QStringList{"X|Anywhere|aaa|OR|bbb|AND|ccc"} << body << "Rule: aaa OR bbb...";
    QTest::newRow("a OR b AND c, c absent")
        << QStringList{"X|Anywhere|casino|OR|bbb|AND|zzz"} << body << "";
    QTest::newRow("x NOT y, y absent") << QStringList{"X|Anywhere|xx|NOT|yy"} << body
                                       << "Rule: xx NOT yy...";
    QTest::newRow("x NOT y, y present") << QStringList{"X|Anywhere|xx|NOT|ccc"} << body << "";
    QTest::newRow("AND empty phrase never fires") << QStringList{"X|Anywhere|xx|AND|"} << body
                                                  << "";
    QTest::newRow("NOT empty phrase") << QStringList{"X|Anywhere|xx|NOT|"} << body
                                      << "Rule: xx NOT ...";
    QTest::newRow("OR empty phrase") << QStringList{"X|Anywhere|xx|OR|"} << body
                                     << "Rule: xx OR ...";
    QTest::newRow("unknown and lower-case operators ignored")
        << QStringList{"X|Anywhere|xx|XOR|zz|and|qq"} << body << "Rule: xx XOR zz...";
    QTest::newRow("fourth phrase counts") << QStringList{"X|Anywhere|xx|AND|bbb|OR|q|NOT|ccc"}
                                          << body << "";
    QTest::newRow("rule out of use") << QStringList{"|Anywhere|casino"} << body << "";
    QTest::newRow("any Use text is in use") << QStringList{"no|Anywhere|casino"} << body
                                            << "Rule: casino  ...";
    QTest::newRow("unknown Where") << QStringList{"X|anywhere|casino"} << body << "";
    QTest::newRow("later rule names the reason")
        << QStringList{"X|Anywhere|casino", "X|Body|bbb", "X|Body|nothing"} << body
        << "Rule: bbb  ...";
    QTest::newRow("later rule out of use")
        << QStringList{"X|Anywhere|casino", "|Body|bbb"} << body << "Rule: casino  ...";
    QTest::newRow("empty Where ends the table")
        << QStringList{"X|Anywhere|casino", "X||bbb", "X|Body|xx"} << body
        << "Rule: casino  ...";
    QTest::newRow("upper-case phrase never matches") << QStringList{"X|Anywhere|CASINO"} << body
                                                     << "";
    QTest::newRow("phrase across a CR LF line join") << QStringList{"X|Body|your prize"} << crlf
                                                     << "Rule: your prize  ...";
    QTest::newRow("phrase across an LF line join") << QStringList{"X|Body|your prize"} << lf
                                                   << "Rule: your prize  ...";
    QTest::newRow("tabs read as spaces") << QStringList{"X|Body| tabbed line"} << lf
                                         << "Rule:  tabbed line  ...";
    QTest::newRow("a tab in a phrase never matches") << QStringList{"X|Body|tabbed\tline"} << lf
                                                     << "";
    QTest::newRow("head ends with the empty line's space")
        << QStringList{"X|Head|your chance "} << crlf << "Rule: your chance   ...";
    QTest::newRow("head and body are separate texts")
        << QStringList{"X|Anywhere|chance  act"} << crlf << "";
    QTest::newRow("8-bit body lower-cased") << QStringList{"X|Body|\u00e9norme"}
                                            << testData("classify/eight_bit.eml")
                                            << "Rule: \u00e9norme  ...";
    QTest::newRow("8-bit subject lower-cased") << QStringList{"X|Subject|caf\u00e9 \u00e0 g"}
                                               << testData("classify/eight_bit.eml")
                                               << "Rule: caf\u00e9 \u00e0 g  ...";
    QTest::newRow("no blank line: no body") << QStringList{"X|Body|lottery"}
                                            << testData("classify/no_blank_line.eml") << "";
    QTest::newRow("no blank line: head is the whole file")
        << QStringList{"X|Head|sender ."} << testData("classify/no_blank_line.eml")
        << "Rule: sender .  ...";
    QTest::newRow("head runs past a line of spaces")
        << QStringList{"X|Head|jackpot"} << testData("classify/spaces_line_header.eml")
        << "Rule: jackpot  ...";
}

void TestClassify::rules() {
    QFETCH(QStringList, rules);
    QFETCH(QByteArray, message);
    Desk desk;
    for (int entry : {setting::MarkNoSubject, setting::MarkBlankTo, setting::MarkBlankFrom,
                      setting::MarkNotToMe})
        desk.global.settings[entry] = "0";
    desk.global.rules.setRules(rulesFrom(rules));
    desk.addRow(1, "e1.eml", message);
    desk.run();
    QFETCH(QString, reason);
    compareMark(desk.table, 1, reason.isEmpty() ? "" : "D", reason);
}

// CheckBlacklist then CheckWhitelist on a row whose header cells are already filled.
void TestClassify::lists_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("before"); // reason of an earlier "D" mark, or nothing
    QTest::addColumn<QStringList>("black");
    QTest::addColumn<QStringList>("white");
    QTest::addColumn<QString>("useBlackIP");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("reason");

    const QString bob = "Bob <bob@example.com>";
    const QStringList none;
    const QStringList bobSender{"bob@example.com"};
    auto row = [&](const char* name, const QString& from, const QStringList& black,
                   const QStringList& white, const QString& action, const QString& reason) {
        QTest::newRow(name) << from << "" << "" << black << white << "1" << action << reason;
    };
    row("bracketed address", bob, bobSender, none, "B", "Blacklisted sender");
    row("whitelist overrides", bob, bobSender, bobSender, "W", "Whitelisted sender");
    row("domain entry", bob, {"example.com"}, none, "B", "Blacklisted domain");
    row("whitelisted domain", bob, bobSender, {"example.com"}, "W", "Whitelisted domain");
    row("parent domain no match", "bob@mail.example.com", {"example.com"}, none, "", "");
    row("letter case differs", bob, {"Bob@example.com"}, {"EXAMPLE.COM"}, "", "");
    row("@domain is a sender entry", bob, {"@example.com"}, none, "", "");
    row("@domain matches itself", "<@example.com>", {"@example.com"}, none, "B",
        "Blacklisted sender");
    row("whole text without brackets", "bob@example.com", bobSender, none, "B",
        "Blacklisted sender");
    row("comment in parentheses", "bob@example.com (Bob)", bobSender, none, "", "");
    row("last bracketed part", "A <a@x.org> B < bob@example.com >", bobSender, none, "B",
        "Blacklisted sender");
    row("first bracketed part unused", "A <a@x.org> B <c@y.org>", {"a@x.org", "x.org"}, none,
        "", "");
    row("reversed brackets compare nothing", "bob@example.com> x <", bobSender,
        {"example.com> x <"}, "", "");
    row("no @: whole address as domain", "example.com", {"example.com"}, none, "B",
        "Blacklisted domain");
    row("domain then sender", bob, {"example.com", "bob@example.com"}, none, "B",
        "Blacklisted sender");
    row("sender then domain", bob, {"bob@example.com", "example.com"}, none, "B",
        "Blacklisted domain");
    row("repeated entry counts at its last place", bob,
        {"example.com", "bob@example.com", "example.com"}, none, "B", "Blacklisted domain");
    row("list ends at its first empty entry", bob, {"x.org", "", "bob@example.com"}, none, "",
        "");
    row("empty From", "", {"example.com"}, none, "", "");

    QTest::newRow("blacklist replaces a header mark")
        << bob << "" << "No Subject:" << bobSender << none << "1" << "B" << "Blacklisted sender";
    QTest::newRow("unmarked row, IP listed") << bob << "192.0.2.1" << "" << none << none << "1"
                                             << "B" << "Blacklisted IP address";
    QTest::newRow("IP numeric switch") << bob << "192.0.2.1" << "" << none << none << " 1.0"
                                       << "B" << "Blacklisted IP address";
    QTest::newRow("IP switch off") << bob << "192.0.2.1" << "" << none << none << "0" << ""
                                   << "";
    QTest::newRow("marked row skips the IP list")
        << bob << "192.0.2.1" << "No Subject:" << none << none << "1" << "D" << "No Subject:";
    QTest::newRow("whitelist beats the IP list") << bob << "192.0.2.1" << "" << none
                                                 << bobSender << "1" << "W"
                                                 << "Whitelisted sender";
    QTest::newRow("empty IP") << bob << "" << "" << none << none << "1" << "" << "";
}

void TestClassify::lists() {
    QFETCH(QString, from);
    QFETCH(QString, ip);
    QFETCH(QString, before);
    QFETCH(QStringList, black);
    QFETCH(QStringList, white);
    QFETCH(QString, useBlackIP);
    Desk desk;
    desk.global.blacklist.setEntries(black);
    desk.global.whitelist.setEntries(white);
    desk.global.blackIP.setEntries({"10.0.0.1", "192.0.2.1"});
    desk.global.settings[setting::UseBlackIP] = useBlackIP;
    desk.addRow(1, "e1.eml", QByteArray());
    desk.table.setCell(1, col::From, from);
    desk.table.setCell(1, col::IP, ip);
    if (!before.isEmpty())
        desk.table.ColourRow("D", 1, colour::LightRed, before);
    desk.table.grid().setRow(1);
    Classifier classifier(desk.table, desk.global);
    classifier.CheckBlacklist();
    classifier.CheckWhitelist();
    QFETCH(QString, action);
    QFETCH(QString, reason);
    compareMark(desk.table, 1, action, reason);
}

void TestClassify::attachments_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("reason");

    QTest::newRow("jpeg slot emptied") << "mime_image_bare.eml" << 51 << "" << "";
    QTest::newRow("png slot emptied, gif remains")
        << "mime_image_quoted.eml" << 52 << "" << "Small image/gif suspicious";
    QTest::newRow("upper-case slot") << "mime_image_near_misses.eml" << 53 << "image/GIF"
                                     << "Small image/GIF suspicious";
    QTest::newRow("any listed type") << "mime_image_near_misses.eml" << 59 << "multipart/mixed"
                                     << "Small multipart/mixed suspicious";
    QTest::newRow("no space after the colon")
        << "mime_image_near_misses.eml" << 55 << "mage/gif" << "Small mage/gif suspicious";
    QTest::newRow("all slots empty") << "mime_image_quoted.eml" << -1 << "" << "";
}

void TestClassify::attachments() {
    QFETCH(QString, file);
    QFETCH(int, slot);
    QFETCH(QString, type);
    Desk desk;
    desk.setAccounts({"user@example.com"});
    if (slot < 0)
        for (int s = 0; s < setting::SmallImageTypeSlots; ++s)
            desk.global.settings[setting::SmallImageTypes + s] = "";
    else
        desk.global.settings[slot] = type;
    desk.addRow(1, file, testData("classify/" + file));
    desk.run();
    QFETCH(QString, reason);
    compareMark(desk.table, 1, reason.isEmpty() ? "" : "D", reason);
}

// Which test decides when several would mark the same message.
void TestClassify::passOrder_data() {
    QTest::addColumn<QString>("useBlacklist");
    QTest::addColumn<QString>("useWhitelist");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("reason");

    const QString image = "Content-Type: image/gif\nwin";
    QTest::newRow("blacklisted row not offered to later tests")
        << "1" << "0" << "win" << image << "B" << "Blacklisted sender";
    QTest::newRow("blacklist switch is exact text")
        << "1.0" << "0" << "win" << image << "D" << "Small image/gif suspicious";
    QTest::newRow("rules after attachments") << "0" << "0" << "win" << "win" << "D"
                                             << "Rule: win  ...";
    QTest::newRow("not-to-me after rules") << "0" << "0" << "hello" << "hello" << "D"
                                           << "Bad email address";
    QTest::newRow("whitelist numeric switch overrides")
        << "1" << " 1.0" << "win" << image << "W" << "Whitelisted sender";
    QTest::newRow("header mark stops the later tests")
        << "0" << "0" << "" << image << "D" << "No Subject:";
    QTest::newRow("whitelist overrides a header mark")
        << "0" << "1" << "" << image << "W" << "Whitelisted sender";
}

void TestClassify::passOrder() {
    QFETCH(QString, useBlacklist);
    QFETCH(QString, useWhitelist);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    Desk desk;
    Settings& s = desk.global.settings;
    s[setting::UseBlacklist] = useBlacklist;
    s[setting::UseWhitelist] = useWhitelist;
    desk.setAccounts({"nobody@example.com"});
    desk.global.blacklist.setEntries({"spam@example.com"});
    desk.global.whitelist.setEntries({"spam@example.com"});
    desk.global.rules.setRules(rulesFrom({"X|Anywhere|win"}));
    desk.addRow(1, "e1.eml", mail("spam@example.com", "u@example.com", subject, body));
    desk.run();
    QFETCH(QString, action);
    QFETCH(QString, reason);
    compareMark(desk.table, 1, action, reason);
}

void TestClassify::notToMe_data() {
    QTest::addColumn<QStringList>("accounts");
    QTest::addColumn<QString>("markNotToMe");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("reason");

    const QStringList ab{"a@x.org", "b@y.org"};
    QTest::newRow("second address among recipients") << ab << "1" << "c@z.org, b@y.org" << "";
    QTest::newRow("neither address") << ab << "1" << "c@z.org" << "Bad email address";
    QTest::newRow("substring counts") << ab << "1" << "xa@x.orgy" << "";
    QTest::newRow("letter case differs") << ab << "1" << "A@X.ORG" << "Bad email address";
    QTest::newRow("switch is exact text") << ab << " 1" << "c@z.org" << "";
    QTest::newRow("empty address matches every To") << QStringList{"a@x.org", ""} << "1"
                                                    << "c@z.org" << "";
}

void TestClassify::notToMe() {
    QFETCH(QStringList, accounts);
    QFETCH(QString, markNotToMe);
    QFETCH(QString, to);
    Desk desk;
    desk.setAccounts(accounts);
    desk.global.accounts.row(1).Enabled = ""; // disabled accounts count too
    desk.global.settings[setting::MarkNotToMe] = markNotToMe;
    desk.addRow(1, "e1.eml", mail("s@example.com", to, "hello", "body"));
    desk.run();
    QFETCH(QString, reason);
    compareMark(desk.table, 1, reason.isEmpty() ? "" : "D", reason);
}

void TestClassify::duplicateSubjects_data() {
    QTest::addColumn<QStringList>("subjects");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("A B A A") << QStringList{"A", "B", "A", "A"} << QStringList{"", "", "W", ""}
                             << QStringList{"D", "", "D", "D"};
    QTest::newRow("marked first row starts no group")
        << QStringList{"A", "A"} << QStringList{"B", ""} << QStringList{"B", ""};
    QTest::newRow("second row starts the group")
        << QStringList{"A", "A", "A"} << QStringList{"B", "", "B"} << QStringList{"B", "D", "D"};
    QTest::newRow("empty subjects are equal") << QStringList{"", ""} << QStringList{"", ""}
                                              << QStringList{"D", "D"};
    QTest::newRow("letter case differs") << QStringList{"A", "a"} << QStringList{"", ""}
                                         << QStringList{"", ""};
    QTest::newRow("last unmarked member alone") << QStringList{"A", "A"} << QStringList{"W", ""}
                                                << QStringList{"W", ""};
}

void TestClassify::duplicateSubjects() {
    QFETCH(QStringList, subjects);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    Desk desk;
    for (int r = 1; r <= subjects.size(); ++r) {
        desk.addRow(r, QString("e%1.eml").arg(r), QByteArray());
        desk.table.setCell(r, col::Subject, subjects[r - 1]);
        if (!before[r - 1].isEmpty())
            desk.table.ColourRow(before[r - 1], r, colourFor(before[r - 1]), "earlier");
    }
    Classifier(desk.table, desk.global).DuplicateSubjects();
    for (int r = 1; r <= subjects.size(); ++r) {
        const QString action = after[r - 1];
        const bool marked = action == "D";
        compareMark(desk.table, r, action,
                    marked ? "Duplicate subject" : before[r - 1].isEmpty() ? "" : "earlier");
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

void TestClassify::phraseMatcher_data() {
    QTest::addColumn<QStringList>("phrases");
    QTest::addColumn<QStringList>("pieces"); // a piece starting "~" is fed folded, as Latin-1
    QTest::addColumn<QString>("found");      // one letter per phrase: y found, n not

    QTest::newRow("overlapping phrases") << QStringList{"he", "she", "his", "hers"}
                                         << QStringList{"ushers"} << "yyny";
    QTest::newRow("phrase inside a longer one only") << QStringList{"abcd", "bc"}
                                                     << QStringList{"abce"} << "ny";
    QTest::newRow("across pieces") << QStringList{"ab", "b c"} << QStringList{"xa", "b", " c"}
                                   << "yy";
    QTest::newRow("folded pieces") << QStringList{"abc", "ABC", "a b", "\u00e9t\u00e9"}
                                   << QStringList{"~ABC", "~a\tb", "~\u00c9T\u00c9"} << "ynyy";
    QTest::newRow("units beyond Latin-1") << QStringList{"\u0436\u0438", "\u0436"}
                                          << QStringList{"x\u0436\u0438"} << "yy";
    QTest::newRow("nothing to find") << QStringList{} << QStringList{"abc"} << "";
}

void TestClassify::phraseMatcher() {
    QFETCH(QStringList, phrases);
    QFETCH(QStringList, pieces);
    QFETCH(QString, found);
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
    QCOMPARE(seen, found);
}

QTEST_GUILESS_MAIN(TestClassify)
#include "test_classify.moc"
