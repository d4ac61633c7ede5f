#include "mail/mail_rig.h"
#include "support/dovecot_fixture.h"

#include <QDir>
#include <QSslCertificate>
#include <QtTest>

namespace {

// A message of exactly `size` bytes.
QByteArray sized(qsizetype size) {
    const QByteArray head =
        "From: big@example.org\r\nSubject: " + QByteArray::number(size) + "\r\n\r\n";
    return head + QByteArray(size - head.size() - 2, 'x') + "\r\n";
}

// The demo's sample mailbox, with CR LF line ends as a server stores it.
QList<QByteArray> sampleMailbox() {
    QList<QByteArray> mail = filesIn(QStringLiteral(MAILWEIR_DEMO_SAMPLES "/mailbox")).values();
    for (QByteArray& message : mail)
        message.replace("\r\n", "\n").replace("\n", "\r\n");
    return mail;
}

// A desk with the demo's lists and rules, whose enabled accounts are Dovecot users of the
// same (lower-case) name.
struct Desk : LiveDesk {
    Desk(const DovecotFixture& server, const QStringList& names) {
        socket.addCaCertificates(QSslCertificate::fromPath(server.caCertificateFile()));
        const QDir samples(QStringLiteral(MAILWEIR_DEMO_SAMPLES "/data"));
        for (const QString& name : samples.entryList(QDir::Files))
            QFile::copy(samples.filePath(name), global.DataFolder + "/" + name);
        global.loadAll();
        for (const QString& name : names) {
            addAccount(name, DovecotFixture::host(), server.pop3Port(), true);
            global.accounts.row(global.accounts.count()).EmailAddress = "you@mailweir.test";
        }
    }
    QMap<QString, QByteArray> trash() const { return filesIn(global.TrashFolder); }
};

} // namespace

class TestDovecotChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        full_ = {sized(102400), sized(103424), sized(5000), sized(150000)};
        sample_ = sampleMailbox();
        for (char n : {'1', '2', '3'})
            sameSize_.append(QByteArray("From: a@example.org\r\nSubject: ") + n + "\r\n\r\nHi\r\n");
        QVERIFY(sample_.size() > 20);
        const QString error = server_.start({{"full", "full-pw", full_},
                                             {"empty", "empty-pw", {}},
                                             {"large", "large-pw", full_},
                                             {"auto", "auto-pw", sample_},
                                             {"manual", "manual-pw", sample_},
                                             {"moved", "moved-pw", sameSize_}});
        QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("Dovecot could not start: ") + error));
    }

    // The counts and sizes are the server's; an empty mailbox counts 0 and 0k.
    void quickCheckCountsTheServer() {
        Desk desk(server_, {"Full", "Empty"});
        desk.quickCheck();
        const qsizetype totalK = (102400 + 103424 + 5000 + 150000) / 1024;
        QCOMPARE(desk.lines(),
                 (QStringList{"------------------------------------",
                              " Account             Msgs      Size",
                              "------------------------------------",
                              " Full                4         " + QString::number(totalK) + "k",
                              " Empty               0         0k"}));
        QCOMPARE(server_.storedMessages("full"), 4);
    }

    // With a limit of 100k, 100k itself stays; 101k and 146k go; nothing goes to the Trash.
    void largeMailDeletesAboveTheLimit() {
        Desk desk(server_, {"Large"});
        desk.platform.typed.enqueue("100");
        desk.largeMail.ActionsDelLarge_Click({});
        QList<QByteArray> kept = {full_[0], full_[2]};
        std::sort(kept.begin(), kept.end());
        QCOMPARE(server_.storedMail("large"), kept);
        QVERIFY(desk.trash().isEmpty());
    }

    // Unattended, AutoDelete deletes what Process deletes by hand, with the same Trash copies.
    void automaticCheckDeletesTheSpam() {
        Desk byHand(server_, {"Manual"});
        byHand.retrieval.Command1_Click();
        byHand.processing.Command2_Click();
        const QList<QByteArray> leftByHand = server_.storedMail("manual");
        QVERIFY(!leftByHand.isEmpty() && leftByHand.size() < sample_.size());

        Desk unattended(server_, {"Auto"});
        unattended.global.settings[setting::AutoDelete] = "1";
        unattended.global.settings[setting::CheckEveryMins] = "5";
        AutoCheckRun& automatic = unattended.runs.automatic();
        automatic.start();
        for (int minute = 0; minute < 5; ++minute)
            automatic.Timer2_Timer();
        QCOMPARE(server_.storedMail("auto"), leftByHand);
        QCOMPARE(unattended.trash(), byHand.trash());
        QCOMPARE(unattended.trash().size(), sample_.size() - leftByHand.size());
        qsizetype leftBytes = 0;
        for (const QByteArray& message : leftByHand)
            leftBytes += message.size();
        QCOMPARE(unattended.observer.calls.filter("notifier"),
                 QStringList{QStringLiteral("notifier: Auto %1 %2")
                                 .arg(leftByHand.size())
                                 .arg(leftBytes / 1024)});
    }

    // Another client deletes message 1 between Get mail and Process and the server renumbers
    // the rest: Process deletes the marked message 2 (number 1 now), not message 3 (number 2
    // now), though all three have the same size.
    void renumberedMailboxLosesNothing() {
        Desk desk(server_, {"Moved"});
        desk.retrieval.Command1_Click();
        QCOMPARE(desk.table.occupiedRows(), 3);
        for (int r = 1; r <= 3; ++r)
            desk.table.ColourRow(r == 2 ? "D" : "", r, colour::White, {});
        Desk other(server_, {"Moved"});
        QVERIFY(!other.channel.logIn(other.global.accounts.row(1)));
        QVERIFY(!other.channel.dele(1) && !other.channel.quit());
        other.channel.endDialogue();
        desk.processing.Command2_Click();
        QCOMPARE(server_.storedMail("moved"), QList<QByteArray>{sameSize_[2]});
        QCOMPARE(desk.trash().values(), QList<QByteArray>{desk.file("email2.eml")});
    }

private:
    DovecotFixture server_;
    QList<QByteArray> full_;
    QList<QByteArray> sample_;
    QList<QByteArray> sameSize_;
};

QTEST_GUILESS_MAIN(TestDovecotChecks)
#include "test_dovecot_checks.moc"
