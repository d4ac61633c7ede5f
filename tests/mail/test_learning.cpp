#include "learn/message_text.h"
#include "mail/mail_rig.h"

#include <QProcess>
#include <QtTest>

namespace {

QByteArray spam(int n) {
    return "From: deals" + QByteArray::number(n) +
           "@offers.example\r\nTo: me@home.example\r\nSubject: Cheap pills " +
           QByteArray::number(n) + "\r\n\r\nBuy cheap pills now, casino winner, viagra\r\n";
}
QByteArray good(int n, const QByteArray& subject = "Lunch") {
    return "From: friend" + QByteArray::number(n) +
           "@home.example\r\nTo: me@home.example\r\nSubject: " + subject + ' ' +
           QByteArray::number(n) + "\r\n\r\nShall we meet at the cafe and bring the minutes?\r\n";
}

// Get mail and Process with the learning engine, on the program's own socket and clock.
struct Rig : LiveDesk {
    FakePop3Server server;
    LearningEngine& engine = runs.learning();

    Rig() {
        addAccount("Home", "127.0.0.1", server.listen(), true);
        global.accounts.row(1).EmailAddress = "me@home.example";
    }
    QStringList taught() const {
        QStringList lines = QString::fromLatin1(file("Learning/Taught.txt")).split("\r\n");
        lines.sort();
        return lines.mid(1); // the empty text after the last line end sorts first
    }
    // The messages the engine's word list counts: spam, then good mail.
    QString counts() const {
        QProcess bogoutil;
        bogoutil.start("bogoutil", {"-w", global.dataPath("Learning"), ".MSG_COUNT"});
        bogoutil.waitForFinished();
        return QString::fromLatin1(bogoutil.readAllStandardOutput())
            .section('\n', 1)
            .simplified()
            .section(' ', 1);
    }
    QStringList cells() const {
        QStringList all;
        for (int r = 1; table.isOccupied(r); ++r)
            all << table.cell(r, col::Action) + '|' + table.cell(r, col::Reason);
        return all;
    }
};

QString line(char kind, const QByteArray& message) {
    return QString(QLatin1Char(kind)) + ' ' + TaughtRecord::digestOf(message);
}

} // namespace

class TestLearning : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The engine reads the message: no status line, no closing line, no added dots; and as one
    // entry of a mailbox, a line that could start the next entry quoted.
    void messageText() {
        QCOMPARE(learn::messageText("+OK 9\r\nA: b\r\n\r\n..x\r\n.\r\n.\r\n"),
                 QByteArray("A: b\r\n\r\n.x\r\n"));
        QCOMPARE(learn::messageText("From: a\n"), QByteArray("From: a\n"));
        QCOMPARE(learn::mailboxEntry("A: b\n\nFrom here\n>From there"),
                 QByteArray("From mailweir Thu Jan  1 00:00:00 1970\nA: b\n\n>From here\n>>From "
                            "there\n\n"));
    }

    // Each row teaches once, "D" and "B" as spam, "W" and blank as good mail; a message kept on
    // the server teaches nothing the second time, unless its row was changed to the other kind.
    void taughtAtProcess() {
        Rig rig;
        rig.server.mailbox.messages = {spam(1), spam(2), good(3), good(4)};
        rig.retrieval.Command1_Click();
        const QStringList actions{"D", "B", "W", ""};
        for (int r = 1; r <= 4; ++r)
            rig.table.ColourRow(actions[r - 1], r, colour::White, "");
        rig.processing.Command2_Click();
        QTRY_VERIFY(!rig.engine.teacher().busy());
        QStringList first{line('G', good(3)), line('G', good(4)), line('S', spam(1)),
                          line('S', spam(2))};
        first.sort();
        QCOMPARE(rig.taught(), first);
        QCOMPARE(rig.counts(), "2 2");

        rig.retrieval.Command1_Click(); // the two kept messages again
        QCOMPARE(rig.cells(), QStringList({"W|Whitelisted sender", "|"}));
        rig.table.ColourRow("D", 1, colour::LightRed, "");
        rig.processing.Command2_Click();
        QTRY_VERIFY(!rig.engine.teacher().busy());
        QCOMPARE(rig.counts(), "3 1");
        QVERIFY(rig.taught().contains(line('S', good(3))));
    }

    // Once taught, the proposals carry the scores; switched off, or with the engine missing,
    // the cells are those of the tests alone, and Process teaches nothing.
    void proposalsAndSwitches() {
        Rig rig;
        QList<Lesson> lessons;
        for (int n = 1; n <= LearningEngine::MinLessons; ++n)
            lessons << Lesson{spam(n), TaughtRecord::Kind::Spam}
                    << Lesson{good(n), TaughtRecord::Kind::Good};
        rig.global.settings[setting::MarkDuplicates] = "1";
        QVERIFY(!rig.engine.teach(lessons));
        QTRY_VERIFY(!rig.engine.teacher().busy());
        rig.server.mailbox.messages = {spam(7), good(8, "Dinner"), good(9, "Dinner")};
        rig.server.mailbox.messages[2].replace("Subject: Dinner 9", "Subject: Dinner 8");
        rig.retrieval.Command1_Click();
        const QStringList learned = rig.cells();
        QCOMPARE(learned.size(), 3);
        QVERIFY2(learned[0].startsWith("D|Learned spam, score "), qPrintable(learned[0]));
        for (int r : {1, 2})
            QVERIFY2(QRegularExpression("^\\|Learned good mail, score 0\\.\\d\\d - not marked: "
                                        "Duplicate subject$")
                         .match(learned[r])
                         .hasMatch(),
                     qPrintable(learned[r]));
        const QStringList today{"|", "D|Duplicate subject", "D|Duplicate subject"};
        rig.global.settings[setting::UseLearning] = "0";
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.cells(), today);
        rig.global.settings[setting::UseLearning] = "1";
        rig.engine.setProgram(rig.global.dataPath("no-such-engine"));
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.cells(), today);
        const QStringList before = rig.taught();
        rig.processing.Command2_Click();
        QCOMPARE(rig.taught(), before);
        QCOMPARE(rig.lines().last(), "Done");
    }

    // The bands' edges: exactly 0.5 is the engine knowing nothing of the message.
    void verdictBands_data() {
        QTest::addColumn<double>("score");
        QTest::addColumn<int>("verdict");
        using Verdict = LearnedScore::Verdict;
        for (const auto& [score, verdict] : {std::pair{0.0, Verdict::Good},
                                             {0.1, Verdict::Good},
                                             {0.1001, Verdict::Unsure},
                                             {0.5, Verdict::Unsure},
                                             {0.5001, Verdict::Spam},
                                             {1.0, Verdict::Spam}})
            QTest::addRow("%g", score) << score << static_cast<int>(verdict);
    }
    void verdictBands() {
        QFETCH(double, score);
        QFETCH(int, verdict);
        QCOMPARE(static_cast<int>(LearningEngine::judge(score).verdict), verdict);
    }
};

QTEST_GUILESS_MAIN(TestLearning)
#include "test_learning.moc"
