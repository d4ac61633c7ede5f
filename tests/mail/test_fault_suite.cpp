#include "mail/mail_rig.h"

#include <QtTest>

// What a broken or hostile server can do to Get mail and Process, one scenario per row, on
// account A of two: the run must not crash, must write the right lines, must keep its memory
// bounded, must go on with account B, and must never delete a message without an answered
// QUIT nor a message other than the marked one.
namespace {

// All the same size, so only their unique ids tell them apart.
QByteArray message(int number) {
    const QByteArray n = QByteArray::number(number);
    return "From: a" + n + "@example.org\r\nSubject: s" + n + "\r\n\r\nHello\r\n";
}

const QList<QByteArray> MailOfA = {message(1), message(2), message(3)};
const QStringList Fetching = {"Found 3 emails", "Checking messages for spam"};
const QLatin1String BadCommand("Error - bad command");
const QLatin1String Closed("Close connection");
const QLatin1String TooLong("Error - reply too long");
const QLatin1String Deleting("Deleting spam");
constexpr qsizetype FloodChunk = 64 * 1024;
const char WithNuls[] = "+OK\r\nSubject: a\0b\r\n\r\nx\0y\r\n.\r\n";

struct Rig : FakeDesk {
    qint64 delivered = 0; // bytes a flood has sent

    explicit Rig(const QList<QByteArray>& serverCapabilities) {
        capabilities = serverCapabilities;
        addMailbox("A", MailOfA);
        addMailbox("B", {message(9)});
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
        if (fault == QLatin1String("stall"))
            instead[key] = [] {};
        else if (fault == QLatin1String("-ERR"))
            overrides[key] = "-ERR no\r\n";
        else if (fault == QLatin1String("close"))
            instead[key] = [this, at] {
                // Part of a multi-line answer first, when there is one.
                socket.arrive(at == "LIST" || at.startsWith("RETR") ? "+OK\r\n1 4" : "");
                socket.serverCloses();
            };
        else if (fault == QLatin1String("garbage"))
            overrides[key] = "\x01\x7f\xff garbage without an end\r\n";
        else if (fault == QLatin1String("NUL bytes"))
            overrides[key] = QByteArray(WithNuls, sizeof WithNuls - 1);
        else if (fault == QLatin1String("64 MB line"))
            instead[key] = [this] { flood({}, QByteArray(FloodChunk, 'x'), 64 << 20); };
        else if (fault == QLatin1String("endless RETR"))
            instead[key] = [this] {
                flood("+OK\r\n", QByteArray(FloodChunk - 2, 'y') + "\r\n", 64 << 20);
            };
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

// Lines of A's dialogue after "Connect to A", and the messages left on A's server.
using Outcome = std::pair<QStringList, QList<QByteArray>>;

} // namespace

class TestFaultSuite : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void getMail_data() {
        QTest::addColumn<QList<QByteArray>>("capabilities");
        QTest::addColumn<QByteArray>("at");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("linesOfA");
        QTest::addColumn<qint64>("bound"); // bytes a flood may send before it is cut off
        const auto row = [](const char* kind, const QList<QByteArray>& capabilities,
                            const QByteArray& at, const QString& fault, const QStringList& lines,
                            qint64 bound = 0) {
            QTest::addRow("%s: %s at %s", kind, qPrintable(fault), at.constData())
                << capabilities << at << fault << lines << bound;
        };
        for (const auto& [kind, capabilities] : ServerKinds) {
            const bool pipelining = capabilities.contains("PIPELINING");
            const QByteArray list = pipelining ? "LIST" : "LIST 2";
            const qint64 retrBound = Pop3Channel::retrLimit(message(2).size()) + FloodChunk;
            row(kind, capabilities, "greeting", "stall", {"Connect error"});
            row(kind, capabilities, "USER a", "stall", {BadCommand});
            row(kind, capabilities, "STAT", "stall", {BadCommand});
            row(kind, capabilities, list, "stall", Fetching + QStringList{BadCommand});
            row(kind, capabilities, "RETR 2", "stall", Fetching + QStringList{BadCommand});
            row(kind, capabilities, list, "close", Fetching + QStringList{Closed, BadCommand});
            row(kind, capabilities, "RETR 2", "close", Fetching + QStringList{Closed, BadCommand});
            row(kind, capabilities, "QUIT", "close", Fetching + QStringList{Closed, BadCommand});
            row(kind, capabilities, "RETR 2", "garbage", Fetching + QStringList{BadCommand});
            row(kind, capabilities, "RETR 2", "NUL bytes", Fetching + QStringList{Closed});
            row(kind, capabilities, "greeting", "64 MB line", {TooLong, BadCommand},
                Pop3Channel::LineLimit + FloodChunk);
            row(kind, capabilities, "RETR 2", "endless RETR",
                Fetching + QStringList{TooLong, BadCommand}, retrBound);
            for (const QByteArray& command : {"greeting", "USER a", "PASS a-pw", "STAT"})
                row(kind, capabilities, command, "-ERR", {BadCommand});
            row(kind, capabilities, list, "-ERR", Fetching + QStringList{BadCommand});
            // Only the time-out ends a RETR answered "-ERR" on a server spoken to one command
            // at a time, and the next RETR never goes out.
            row(kind, capabilities, "RETR 2", "-ERR", Fetching + QStringList{BadCommand});
            row(kind, capabilities, "QUIT", "-ERR", Fetching + QStringList{BadCommand});
        }
        // A refused UIDL leaves the rows without ids; the run goes on.
        row("PIPELINING", ServerKinds[2].second, "UIDL", "-ERR", Fetching + QStringList{Closed});
        row("CAPA", {"UIDL"}, "CAPA", "-ERR", Fetching + QStringList{Closed});
    }

    void getMail() {
        QFETCH(QList<QByteArray>, capabilities);
        QFETCH(QByteArray, at);
        QFETCH(QString, fault);
        QFETCH(QStringList, linesOfA);
        QFETCH(qint64, bound);
        Rig rig(capabilities);
        rig.inject(at, fault);
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.lines(),
                 QStringList{"Connect to A"} + linesOfA + accountLines("B", 1) + QStringList{Tip});
        QCOMPARE(rig.table.cell(rig.table.occupiedRows(), col::Account), QStringLiteral("B"));
        QCOMPARE(rig.mailboxes["A"].messages, MailOfA);
        if (bound > 0) {
            QVERIFY2(rig.delivered <= bound, qPrintable(QString::number(rig.delivered)));
            QVERIFY(rig.file("email2.eml").size() <= bound);
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
        const QStringList done{Deleting, Closed};
        const QStringList failed{Deleting, BadCommand};
        const QList<int> all{1, 2, 3};
        for (const auto& server : ServerKinds.mid(1)) {
            const char* kind = server.first;
            const QList<QByteArray>& capabilities = server.second;
            const bool pipelining = capabilities.contains("PIPELINING");
            const auto row = [&](const char* what, const QByteArray& at, const QString& fault,
                                 const QList<int>& marked, int gone, const QStringList& lines,
                                 const QList<QByteArray>& left) {
                QTest::addRow("%s: %s", kind, what)
                    << capabilities << at << fault << marked << gone << lines << left;
            };
            row("stall at LIST", pipelining ? "LIST" : "LIST 2", "stall", all, 0, failed, MailOfA);
            row("closed at DELE", "DELE 2", "close", all, 0, {Deleting, Closed, BadCommand},
                MailOfA);
            row("-ERR to DELE", "DELE 3", "-ERR", all, 0, failed, MailOfA);
            row("closed at QUIT", "QUIT", "close", all, 0, {Deleting, Closed, BadCommand}, MailOfA);
            row("-ERR to QUIT", "QUIT", "-ERR", all, 0, failed, MailOfA);
            row("UIDL refused: the size check alone", "UIDL", "-ERR", all, 0, done, {});
            // Another client deleted message 1 and the server renumbered the rest: row 2's
            // message is number 1 now, and number 2 is message 3 of the same size.
            row("renumbered", {}, {}, {2}, 1, done, {message(3)});
            row("marked message gone", {}, {}, {1, 3}, 1,
                {Deleting, "Not on the server any more, not deleted: email1.eml", Closed},
                {message(2)});
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
        Rig rig(capabilities);
        rig.getMailAndMark(marked);
        if (goneFirst > 0)
            rig.mailboxes["A"].messages.removeAt(goneFirst - 1);
        rig.inject(at, fault);
        rig.processing.Command2_Click();
        QCOMPARE(rig.lines(), QStringList{"Connect to A"} + linesOfA +
                                  QStringList({"Connect to B", Deleting, Closed, "Done"}));
        QCOMPARE(rig.mailboxes["A"].messages, left);
        QVERIFY(rig.mailboxes["B"].messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFaultSuite)
#include "test_fault_suite.moc"
