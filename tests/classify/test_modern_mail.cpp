#include "classify_fixture.h"
#include "review/message_viewer.h"

#include <QTest>

// Messages written the way current mail programs and senders write them, each classified whole
// and shown in the pane. The pane each must show is kept beside it, as name.pane in UTF-8.

class TestModernMail : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // File, then From, Subject, To, IP, Action, Reason. One account user@example.com; the
    // whitelist holds support@contoso.example, the IP blacklist a LAN address 192.168.1.10;
    // rules: Subject "free", Body "order total", Head "françois lefèvre".
    void modernMail_data() {
        QTest::addColumn<QStringList>("row");
        auto add = [](const char* file, const QStringList& cells) {
            QTest::newRow(file) << (QStringList{file} + cells);
        };
        const QString user = "user@example.com";
        add("gmail_alternative",
            {"Müller, Hans <hans.mueller@gmail.example>", "Réunion d'équipe – mardi", user,
             "2607:f8b0:4864:20::a2b", "", ""});
        add("outlook_inline_logo",
            {"Contoso Support <support@contoso.example>", "Ihre Bestellung über Contoso",
             "\"user@example.com\" <user@example.com>", "2603:10a6:208:ac::15", "W",
             "Whitelisted sender"});
        add("apple_nested",
            {"Anna Schmidt <anna@icloud.example>", "Fotos vom Ausflug",
             "Team <team@example.org>, User <user@example.com>", "198.51.100.7", "", ""});
        add("html_only_base64", {"Shop <orders@shop.example>", "Your order #1234 – confirmed", user,
                                 "198.51.100.20", "D", "Rule: order total  ..."});
        add("qp_newsletter", {"Casino Royalé <news@casino.example>", "FREE spins this weekend",
                              user, "203.0.113.45", "D", "Rule: free  ..."});
        add("encoded_words",
            {"François Lefèvre <francois@example.fr>", "Soirée dégustation – vendredi",
             "Équipe <user@example.com>", "", "D", "Rule: françois lefèvre  ..."});
        add("raw_utf8_headers", {"Zoë Brontë <zoe@example.fr>", "Grüße aus Köln",
                                 "User@Example.COM", "127.0.0.1", "", ""});
        add("declared_charset",
            {"Renée Dubois <renee@example.be>", "Prix spécial € 50", user, "", "", ""});
        add("folded_next_line", {"Bob Martin <bob@example.net>", "“Meeting” notes", user,
                                 "2001:db8:85a3::8a2e:370:7334", "", ""});
    }
    void modernMail() {
        QFETCH(QStringList, row);
        Desk desk;
        desk.setAccounts({"user@example.com"});
        desk.global.whitelist.setEntries({"support@contoso.example"});
        desk.global.blackIP.setEntries({"192.168.1.10"});
        desk.setRules({"X|Subject|free", "X|Body|order total", "X|Head|françois lefèvre"});
        const QByteArray stored = testData("modern/" + row[0] + ".eml");
        const MessageFile file = MessageFile::fromBytes(stored);
        Candidate c{{}, "1k", file};
        Classifier(desk.global).classify(c);
        QCOMPARE(outcome(c), row.mid(1));
        QCOMPARE(messageText(stored), QString::fromUtf8(testData("modern/" + row[0] + ".pane")));
    }
};

QTEST_GUILESS_MAIN(TestModernMail)
#include "test_modern_mail.moc"
