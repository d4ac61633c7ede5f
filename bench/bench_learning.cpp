// The learned test on a labelled folder of real mail (DIR/spam and DIR/ham, one message a file;
// bench/fetch_corpus.sh makes one): the engine is taught the earlier half of each, as Process
// teaches it, and the later half goes through Get mail's steps in rounds of 200 messages: each
// message written as its RETR reply, handed to the engine as it arrives, the scores taken and
// the classification pass run. Prints how much spam and how much good mail ends marked for
// deletion, with the tests of form and without them, learning on and off, and the time per
// message. Last, the same messages served by a private Dovecot: the whole Get mail timed with
// learning off and on, for what scoring beside the dialogue adds. Usage: bench_learning DIR
#include "learn/mail_folder.h"
#include "mail/classification_pass.h"
#include "mail/learning_pass.h"
#include "mail/qt_wait_clock.h"
#include "mail/run_observer.h"
#include "pop3_peers.h"
#include "review/message_table.h"
#include "servers/dovecot_fixture.h"
#include "store/global.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int RoundSize = 200;
constexpr qsizetype ServedMessages = 1000;
constexpr int ServedRounds = 3; // alternating; the best of each is reported

struct Message {
    QByteArray text;
    bool spam;
};

struct Tally {
    int spam = 0;
    int spamMarked = 0;
    int good = 0;
    int goodMarked = 0;
    double handOverMs = 0; // handing each message to the engine as it arrives
    double waitMs = 0;     // waiting for the scores after the last one
};

class PrintedLog : public RunLog {
public:
    void AddList(const QString& line) override { std::printf("pane: %s\n", qPrintable(line)); }
    void clearLog() override {}
};

// The message as a POP3 server sends it: status line, lines dot-stuffed, closing line.
QByteArray retrReply(const QByteArray& text) {
    QByteArray reply = "+OK " + QByteArray::number(text.size()) + " octets\r\n";
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        reply += (line.startsWith('.') ? "." + line : line) + "\r\n";
    }
    return reply + ".\r\n";
}

void setHeuristics(Settings& settings, bool on) {
    const QString flag = on ? QStringLiteral("1") : QStringLiteral("0");
    for (int entry : {setting::MarkNoSubject, setting::MarkBlankTo, setting::MarkBlankFrom,
                      setting::MarkNotToMe, setting::MarkDuplicates})
        settings[entry] = flag;
    const QStringList types{QStringLiteral("image/gif"), QStringLiteral("image/jpeg"),
                            QStringLiteral("image/png")};
    for (int i = 0; i < types.size(); ++i)
        settings[setting::SmallImageTypes + i] = on ? types[i] : QString();
}

// One Get mail of `round`, from the files being written to the classification pass.
void getMail(const QList<Message>& round, Global& global, LearningEngine& engine, Tally& tally) {
    MessageTable table;
    QtWaitClock clock;
    PrintedLog log;
    global.deleteMessageFiles();
    table.grid().setRows(static_cast<int>(round.size()) + 2);
    std::unique_ptr<ScoringBatch> batch = engine.startScoring();
    QElapsedTimer timer;
    for (int r = 1; r <= round.size(); ++r) {
        const QByteArray reply = retrReply(round[r - 1].text);
        const QString name = QStringLiteral("email%1.eml").arg(r);
        QFile file(global.dataPath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(reply) != reply.size())
            return;
        file.close();
        table.setCell(r, col::Account, QStringLiteral("home"));
        table.setCell(r, col::Size, QStringLiteral("%1k").arg(reply.size() / 1024));
        table.setCell(r, col::Bytes, QString::number(reply.size()));
        table.setCell(r, col::N, QString::number(r));
        table.setCell(r, col::File, name);
        timer.start();
        if (batch)
            learning::offer(*batch, r, file.fileName());
        tally.handOverMs += timer.nsecsElapsed() / 1e6;
    }
    timer.start();
    const QHash<int, LearnedScore> scores =
        batch ? learning::scores(*batch, clock, log) : QHash<int, LearnedScore>();
    tally.waitMs += timer.nsecsElapsed() / 1e6;
    classifyRows(table, global, scores, [] {});
    for (int r = 1; r <= round.size(); ++r) {
        const QString action = table.cell(r, col::Action);
        const bool marked = action == action::Delete || action == action::Blacklist;
        (round[r - 1].spam ? tally.spam : tally.good) += 1;
        (round[r - 1].spam ? tally.spamMarked : tally.goodMarked) += marked ? 1 : 0;
    }
}

void report(const char* what, const Tally& t) {
    std::printf("%-34s spam marked D %5.1f%% (%d of %d), good mail marked D %5.2f%% (%d of %d)",
                what, 100.0 * t.spamMarked / t.spam, t.spamMarked, t.spam,
                100.0 * t.goodMarked / t.good, t.goodMarked, t.good);
    std::printf("\n");
    if (t.waitMs > 1)
        std::printf("%-34s scoring: %.3f ms per message to hand over; with no dialogue to work "
                    "beside, the engine's whole work is then waited for: %.3f ms per message\n",
                    "", t.handOverMs / (t.spam + t.good), t.waitMs / (t.spam + t.good));
}

// What each round teaches at Process, the user having corrected every proposal.
QList<Lesson> lessonsOf(const QList<Message>& round) {
    QList<Lesson> lessons;
    for (const Message& m : round)
        lessons.append({m.text, m.spam ? TaughtRecord::Kind::Spam : TaughtRecord::Kind::Good});
    return lessons;
}

void waitForTeaching(LearningEngine& engine) {
    while (engine.teacher().busy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The later halves interleaved in their own order, so each round holds both kinds.
QList<Message> laterHalves(const QList<QByteArray>& spam, const QList<QByteArray>& good) {
    QList<Message> later;
    const qsizetype s0 = spam.size() / 2;
    const qsizetype g0 = good.size() / 2;
    const qsizetype sn = spam.size() - s0;
    const qsizetype gn = good.size() - g0;
    for (qsizetype i = 0, j = 0; i < sn || j < gn;) {
        // Whichever kind is further behind its share goes next.
        if (j >= gn || (i < sn && i * gn <= j * sn))
            later.append({spam[s0 + i++], true});
        else
            later.append({good[g0 + j++], false});
    }
    return later;
}

// Get mail from a private Dovecot holding `served`, by a program taught `lessons`: the best of
// a few whole runs with learning off and with it on.
void getMailServed(const QList<Message>& served, const QList<Lesson>& lessons) {
    QList<QByteArray> mail;
    for (const Message& m : served)
        mail.append(withCrLf(m.text));
    DovecotFixture server;
    if (const QString error =
            server.start({{QStringLiteral("bench"), QStringLiteral("bench-pw"), mail}},
                         DovecotFixture::Encryption::None);
        !error.isEmpty()) {
        std::fprintf(stderr, "Dovecot could not start: %s\n", qPrintable(error));
        return;
    }
    BenchProgram program(QStringLiteral("bench"));
    program.setPort(server.pop3Port());
    program.learning().teach(lessons);
    waitForTeaching(program.learning());
    double best[2] = {-1, -1};
    for (int round = 0; round < ServedRounds; ++round)
        for (const bool on : {false, true}) {
            program.setLearning(on);
            const double seconds = program.wholeGetMail();
            if (best[on] < 0 || seconds < best[on])
                best[on] = seconds;
        }
    const double count = static_cast<double>(program.rows());
    std::printf("Get mail of %.0f messages from Dovecot, best of %d: learning off %.3f s, on "
                "%.3f s: %.3f ms per message more\n",
                count, ServedRounds, best[0], best[1], (best[1] - best[0]) * 1000 / count);
}

// A program of its own, its engine taught the earlier halves as Process would teach them.
struct Desk {
    QTemporaryDir home;
    Global global;
    std::unique_ptr<LearningEngine> engine;

    bool setUp(const QList<Lesson>& lessons) {
        if (!home.isValid() || global.setUpDataFolder(home.path()))
            return false;
        global.settings.setDefaults(global.DataFolder);
        global.accounts.row(1).AccountName = QStringLiteral("home");
        engine = std::make_unique<LearningEngine>(global);
        if (!engine->available())
            return false;
        QElapsedTimer timer;
        timer.start();
        engine->teach(lessons);
        const double handOverMs = timer.nsecsElapsed() / 1e6;
        waitForTeaching(*engine);
        std::printf("taught %lld messages: %.3f ms per message to hand over at Process, %.3f ms "
                    "per message for the engine beside it\n",
                    static_cast<long long>(lessons.size()), handOverMs / lessons.size(),
                    timer.nsecsElapsed() / 1e6 / lessons.size());
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_learning DIR (with DIR/spam and DIR/ham)\n");
        return 2;
    }
    const QString corpus = QString::fromLocal8Bit(argv[1]);
    const QList<QByteArray> spam = learn::readMailFolder(corpus + QStringLiteral("/spam"));
    const QList<QByteArray> good = learn::readMailFolder(corpus + QStringLiteral("/ham"));
    if (spam.isEmpty() || good.isEmpty())
        return 1;
    QList<Lesson> lessons;
    for (qsizetype i = 0; i < spam.size() / 2; ++i)
        lessons.append({spam[i], TaughtRecord::Kind::Spam});
    for (qsizetype i = 0; i < good.size() / 2; ++i)
        lessons.append({good[i], TaughtRecord::Kind::Good});
    const QList<Message> later = laterHalves(spam, good);
    Desk desk;
    if (!desk.setUp(lessons)) {
        std::fprintf(stderr, "the learning engine is not installed\n");
        return 1;
    }
    for (const bool learning : {false, true}) {
        for (const bool heuristics : {true, false}) {
            desk.global.settings[setting::UseLearning] =
                learning ? QStringLiteral("1") : QStringLiteral("0");
            setHeuristics(desk.global.settings, heuristics);
            Tally tally;
            for (qsizetype at = 0; at < later.size(); at += RoundSize)
                getMail(later.mid(at, RoundSize), desk.global, *desk.engine, tally);
            report(learning ? (heuristics ? "learning, tests of form on:" : "learning alone:")
                            : (heuristics ? "tests of form alone:" : "nothing on:"),
                   tally);
        }
    }
    // As the program is used: each round's Process teaches what the user decided.
    for (const bool heuristics : {true, false}) {
        Desk used;
        if (!used.setUp(lessons))
            return 1;
        setHeuristics(used.global.settings, heuristics);
        Tally tally;
        for (qsizetype at = 0; at < later.size(); at += RoundSize) {
            const QList<Message> round = later.mid(at, RoundSize);
            getMail(round, used.global, *used.engine, tally);
            used.engine->teach(lessonsOf(round));
            waitForTeaching(*used.engine);
        }
        report(heuristics ? "taught at each Process, form on:" : "taught at each Process alone:",
               tally);
    }
    getMailServed(later.mid(0, ServedMessages), lessons);
    return 0;
}
