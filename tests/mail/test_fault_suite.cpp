#include "mail/mail_rig.h"

#include <QtTest>

#include <cerrno>

// What a broken or hostile server can do to Get mail and Process, one scenario per row, on
// account A of two: the run must not crash, must write the right lines, must keep its memory
// bounded, must go on with account B, and must never delete a message without an answered
// QUIT nor a message other than the marked one.
namespace {

// All the same size, so only their unique ids tell them apart.
const QList<QByteArray> MailOfA = numberedMessages(3);
const QStringList Fetching = {"Found 3 emails", "Checking messages for spam"};
const QLatin1String BadCommand("Error - bad command");
const QLatin1String Closed("Close connection");
const QLatin1String TooLong("Error - reply too long");
const QLatin1String Deleting("Deleting spam");
constexpr qsizetype FloodChunk = 64 * 1024;
const char WithNuls[] = "Subject: a\0b\r\n\r\nx\0y\r\n"; // message 2 of A, bytes and all

// Every kind of server, each once with whole answers and once with every answer split into
// single bytes: a reply is whole at its line end, however it arrives.
struct ServerKind {
    QByteArray name;
    QList<QByteArray> capabilities;
    bool byteByByte;
};
QList<ServerKind> kindsAndSplits() {
    QList<ServerKind> kinds;
    for (const auto& [name, capabilities] : ServerKinds) {
        kinds.append({name, capabilities, false});
        kinds.append({QByteArray(name) + ", a byte per arrival", capabilities, true});
    }
    return kinds;
}

struct Rig : FakeDesk {
    qint64 delivered = 0; // bytes a flood has sent
    // A answers nothing after this command, as a server whose replies come in order cannot
    // answer the commands sent after one it never finishes.
    QByteArray lastAnswered;

    explicit Rig(const QList<QByteArray>& serverCapabilities) {
        capabilities = serverCapabilities;
        addMailbox("A", MailOfA);
        addMailbox("B", {numberedMessage(9)});
        socket.onSend = [this](const QByteArray& sent) {
            const QByteArray command = sent.chopped(2);
            if (socket.host != QLatin1String("A") || !received["A"].contains(lastAnswered))
                return answer(command);
            received["A"].append(command);
        };
    }
    // `first`, then `chunk` at every yield while the connection is open, up to `total` bytes.
    void flood(const QByteArray& first, const QByteArray& chunk, qint64 total) {
        delivered += first.size();
        socket.arrive(first);
        if (delivered < total)
            onThisConnection([this, chunk, total] { flood(chunk, chunk, total); });
    }
    // Scripts the fault `fault` for A's command (or greeting) `at`.
    void inject(const QByteArray& at, const QString& fault) {
        const QByteArray key = "A " + at;
        if (fault == QLatin1String("stall") || fault.contains(QLatin1String("endless")) ||
            fault.contains(QLatin1String("MB")))
            lastAnswered = at;
        if (fault == QLatin1String("stall"))
            instead[key] = [] {};
        else if (fault == QLatin1String("Stop"))
            instead[key] = [this] { channel.Stop(); };
        else if (fault == QLatin1String("-ERR"))
            overrides[key] = "-ERR no\r\n";
        else if (fault == QLatin1String("close"))
            instead[key] = [this, at] {
                // Part of a multi-line answer first, when there is one.
                socket.arrive(at == "LIST" || at.startsWith("RETR") ? "+OK\r\n1 4" : "");
                socket.serverCloses();
            };
        else if (fault == QLatin1String("garbage"))
            overrides[key] = "\x01\x7f\xff garbage without a status\r\n";
        else if (fault == QLatin1String("NUL bytes"))
            mailboxes["A"].messages[1] = QByteArray(WithNuls, sizeof WithNuls - 1);
        else if (fault == QLatin1String("64 MB line"))
            instead[key] = [this] { flood({}, QByteArray(FloodChunk, 'x'), 64 << 20); };
        else if (fault == QLatin1String("endless RETR"))
            instead[key] = [this] {
                flood("+OK\r\n", QByteArray(FloodChunk - 2, 'y') + "\r\n", 64 << 20);
            };
        else if (fault == QLatin1String("size changed"))
            table.setCell(2, col::Bytes, QStringLiteral("1"));
        else if (fault == QLatin1String("handshake fails"))
            socket.onEncrypt = [this] {
                if (socket.host == QLatin1String("A"))
                    socket.fail(EPROTO, "handshake failed");
            };
        else if (fault == QLatin1String("no size check"))
            global.settings[setting::SafeDeletion] = QStringLiteral("0");
    }
    // Get mail, then every row marked "D" but those of A not in `marked`, which are cleared.
    void getMailAndMark(const QList<int>& marked) {
        retrieval.Command1_Click();
        for (int r = 1; table.isOccupied(r); ++r) {
            const bool ofB = table.cell(r, col::Account) == QLatin1String("B");
            table.ColourRow(ofB || marked.contains(r) ? "D" : "", r, colour::White, {});
        }
        pane.clear();
    }
};

} // namespace

class TestFaultSuite : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void getMail_data() {
        QTest::addColumn<QList<QByteArray>>("capabilities");
        QTest::addColumn<QByteArray>("at");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("linesOfA");
        QTest::addColumn<int>("rowsOfA");  // the rows A's messages before the fault keep
        QTest::addColumn<qint64>("bound"); // bytes a flood may send before it is cut off
        QTest::addColumn<bool>("byteByByte");
        for (const ServerKind& server : kindsAndSplits()) {
            const QList<QByteArray>& capabilities = server.capabilities;
            const bool byteByByte = server.byteByByte;
            const auto row = [&](const QByteArray& at, const QString& fault,
                                 const QStringList& lines, int rows, qint64 bound = 0) {
                QTest::addRow("%s: %s at %s", server.name.constData(), qPrintable(fault),
                              at.constData())
                    << capabilities << at << fault << lines << rows << bound << byteByByte;
            };
            const bool pipelining = capabilities.contains("PIPELINING");
            const QByteArray list = pipelining ? "LIST" : "LIST 2";
            const int rowsBeforeList = pipelining ? 0 : 1;
            const QStringList failed = Fetching + QStringList{BadCommand};
            const QStringList closed = Fetching + QStringList{Closed, BadCommand};
            row("greeting", "stall", {"Connect error"}, 0);
            for (const char* command : {"CAPA", "USER a", "PASS a-pw", "STAT"})
                row(command, "stall", {BadCommand}, 0);
            row(list, "stall", failed, rowsBeforeList);
            row("RETR 2", "stall", failed, 1);
            row("QUIT", "stall", failed, 3);
            row("RETR 2", "Stop", failed, 1);
            row(list, "close", closed, rowsBeforeList);
            row("RETR 2", "close", closed, 1);
            row("QUIT", "close", closed, 3);
            row("STAT", "garbage", {"Found 0 emails", Fetching[1], Closed}, 0);
            row("RETR 2", "NUL bytes", Fetching + QStringList{Closed}, 3);
            row("greeting", "64 MB line", {TooLong, BadCommand}, 0,
                Pop3Channel::LineLimit + FloodChunk);
            row("RETR 2", "endless RETR", Fetching + QStringList{TooLong, BadCommand}, 1,
                Pop3Channel::retrLimit(numberedMessage(2).size()) + FloodChunk);
            for (const char* command : {"greeting", "USER a", "PASS a-pw", "STAT"})
                row(command, "-ERR", {BadCommand}, 0);
            row(list, "-ERR", failed, rowsBeforeList);
            // Only the time-out ends a RETR answered "-ERR" on a server spoken to one command
            // at a time, and the next RETR never goes out.
            row("RETR 2", "-ERR", failed, 1);
            row("QUIT", "-ERR", failed, 3);
            // Refused, UIDL leaves the rows without ids and CAPA the server without either.
            row(capabilities.isEmpty() ? "CAPA" : "UIDL", "-ERR", Fetching + QStringList{Closed},
                3);
        }
        // A server that offers STLS hears the password only over TLS (through SASL PLAIN, which
        // it offers), or not at all.
        for (const QString& fault : QStringList{"none", "-ERR", "handshake fails"})
            QTest::addRow("STLS: %s", qPrintable(fault))
                << QList<QByteArray>{"STLS", "UIDL", "SASL PLAIN"} << QByteArray("STLS") << fault
                << (fault == "none" ? Fetching + QStringList{Closed} : QStringList{BadCommand})
                << (fault == "none" ? 3 : 0) << qint64{0} << false;
    }

    void getMail() {
        QFETCH(QList<QByteArray>, capabilities);
        QFETCH(QByteArray, at);
        QFETCH(QString, fault);
        QFETCH(QStringList, linesOfA);
        QFETCH(int, rowsOfA);
        QFETCH(qint64, bound);
        QFETCH(bool, byteByByte);
        Rig rig(capabilities);
        rig.byteByByte = byteByByte;
        rig.inject(at, fault);
        const QList<QByteArray> mail = rig.mailboxes["A"].messages;
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.lines(),
                 QStringList{"Connect to A"} + linesOfA + accountLines("B", 1) + QStringList{Tip});
        for (int r = 1; r <= rowsOfA; ++r) {
            QCOMPARE(rig.table.cell(r, col::Account), QStringLiteral("A"));
            QCOMPARE(rig.table.cell(r, col::N), QString::number(r));
            QCOMPARE(rig.file(rig.table.cell(r, col::File)), FakeMailbox::retrReply(mail[r - 1]));
        }
        QCOMPARE(rig.table.cell(rowsOfA + 1, col::Account), QStringLiteral("B"));
        QVERIFY(!rig.table.isOccupied(rowsOfA + 2));
        QCOMPARE(rig.mailboxes["A"].messages, mail);
        if (capabilities.contains("STLS"))
            QCOMPARE(rig.received["A"].first(rowsOfA > 0 ? 4 : 2),
                     QList<QByteArray>({"CAPA", "STLS", "CAPA", "AUTH PLAIN AGEAYS1wdw=="})
                         .first(rowsOfA > 0 ? 4 : 2));
        if (bound > 0) {
            QVERIFY2(rig.delivered <= bound, qPrintable(QString::number(rig.delivered)));
            // The flooded RETR's file holds what came before the chunk that passed the limit.
            if (at.startsWith("RETR"))
                QCOMPARE(rig.file("email2.eml").size(), rig.delivered - FloodChunk);
        }
    }

    void process_data() {
        QTest::addColumn<QList<QByteArray>>("capabilities");
        QTest::addColumn<QByteArray>("at");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QList<int>>("marked"); // rows of A marked "D"
        QTest::addColumn<int>("goneFirst");     // message another client deleted meanwhile
        QTest::addColumn<QStringList>("linesOfA");
        QTest::addColumn<QList<QByteArray>>("left");
        QTest::addColumn<bool>("byteByByte");
        const QStringList done{Deleting, Closed};
        const QStringList failed{Deleting, BadCommand};
        const QStringList closed{Deleting, Closed, BadCommand};
        const QList<int> all{1, 2, 3};
        for (const ServerKind& server : kindsAndSplits()) {
            const QList<QByteArray>& capabilities = server.capabilities;
            const auto row = [&](const char* what, const QByteArray& at, const QString& fault,
                                 const QList<int>& marked, int gone, const QStringList& lines,
                                 const QList<QByteArray>& left) {
                QTest::addRow("%s: %s", server.name.constData(), what)
                    << capabilities << at << fault << marked << gone << lines << left
                    << server.byteByByte;
            };
            const bool pipelining = capabilities.contains("PIPELINING");
            row("stall at LIST", pipelining ? "LIST" : "LIST 2", "stall", all, 0, failed, MailOfA);
            row("-ERR to PASS", "PASS a-pw", "-ERR", all, 0, {BadCommand}, MailOfA);
            row("stall at DELE", "DELE 2", "stall", all, 0, failed, MailOfA);
            row("closed at DELE", "DELE 2", "close", all, 0, closed, MailOfA);
            row("Stop at DELE", "DELE 2", "Stop", all, 0, failed, MailOfA);
            row("-ERR to DELE", "DELE 3", "-ERR", all, 0, failed, MailOfA);
            row("closed at QUIT", "QUIT", "close", all, 0, closed, MailOfA);
            row("-ERR to QUIT", "QUIT", "-ERR", all, 0, failed, MailOfA);
            row("size changed: kept", {}, "size changed", all, 0, done, {numberedMessage(2)});
            row("no size check", {}, "no size check", all, 0, done, {});
            row("UIDL refused: the size check alone", "UIDL", "-ERR", all, 0, done, {});
            // Another client deleted message 1 and the server renumbered the rest: row 2's
            // message is number 1 now, and number 2 is message 3 of the same size.
            row("renumbered", {}, {}, {2}, 1, done, {numberedMessage(3)});
            row("renumbered, no size check", {}, "no size check", {2}, 1, done,
                {numberedMessage(3)});
            row("marked message gone", {}, {}, {1, 3}, 1,
                {Deleting, "Not on the server any more, not deleted: email1.eml", Closed},
                {numberedMessage(2)});
        }
    }

    void process() {
        QFETCH(QList<QByteArray>, capabilities);
        QFETCH(QByteArray, at);
        QFETCH(QString, fault);
        QFETCH(QList<int>, marked);
        QFETCH(int, goneFirst);
        QFETCH(QStringList, linesOfA);
        QFETCH(QList<QByteArray>, left);
        QFETCH(bool, byteByByte);
        Rig rig(capabilities);
        rig.byteByByte = byteByByte;
        rig.getMailAndMark(marked);
        if (goneFirst > 0)
            rig.mailboxes["A"].messages.removeAt(goneFirst - 1);
        rig.inject(at, fault);
        rig.received.clear();
        rig.processing.Command2_Click();
        QCOMPARE(rig.lines(), QStringList{"Connect to A"} + linesOfA +
                                  QStringList({"Connect to B", Deleting, Closed, "Done"}));
        QCOMPARE(rig.mailboxes["A"].messages, left);
        QVERIFY(rig.mailboxes["B"].messages.isEmpty());
        // The healthy account hears the whole dialogue: on a pipelining server one LIST with
        // UIDL in the same round trip and the DELEs after the Trash copies.
        const bool sizeCheck = fault != QLatin1String("no size check");
        const QList<QByteArray> checks =
            !capabilities.contains("PIPELINING")
                ? QList<QByteArray>{"UIDL"} +
                      (sizeCheck ? QList<QByteArray>{"LIST 1"} : QList<QByteArray>())
                : (sizeCheck ? QList<QByteArray>{"LIST", "UIDL"} : QList<QByteArray>{"UIDL"});
        QCOMPARE(rig.received["B"], QList<QByteArray>({"CAPA", "USER b", "PASS b-pw"}) + checks +
                                        QList<QByteArray>({"DELE 1", "QUIT"}));
        QCOMPARE(rig.platform.boxes.size(), fault == QLatin1String("size changed") ? 1 : 0);
        // The Trash holds whole copies, and nothing written ahead for a message not deleted.
        QList<QByteArray> copies{FakeMailbox::retrReply(numberedMessage(9))};
        for (const QByteArray& message : MailOfA)
            copies.append(FakeMailbox::retrReply(message));
        const QMap<QString, QByteArray> trash = filesIn(rig.global.TrashFolder);
        for (auto copy = trash.cbegin(); copy != trash.cend(); ++copy)
            QVERIFY2(copy.key().startsWith("Email") && copies.contains(copy.value()),
                     qPrintable(copy.key()));
    }
};

QTEST_GUILESS_MAIN(TestFaultSuite)
#include "test_fault_suite.moc"
