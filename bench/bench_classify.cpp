// Times the classification of messages of about 100 KB, each read from its file once as the
// pass reads it, with every stored table at its limit, and DuplicateSubjects over 10000 rows.
// Prints figures; asserts nothing.
#include "classify/classifier.h"
#include "store/global.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

constexpr int Messages = 200;
constexpr int MessageBytes = 100 * 1024;
constexpr int DuplicateRows = 10000;

// Pronounceable made-up words, so rules and bodies look like text without matching often.
class Words {
public:
    explicit Words(quint32 seed) : random_(seed) {
        const QStringList syllables = {"ba", "co", "di",  "fe", "ga", "hu", "ki",  "lo", "me",
                                       "nu", "pa", "qui", "ro", "si", "ta", "ve",  "wo", "xy",
                                       "ze", "ar", "en",  "il", "on", "us", "str", "ght"};
        for (int i = 0; i < 5000; ++i) {
            QString word;
            for (int n = 1 + below(4); n > 0; --n)
                word += syllables[below(static_cast<int>(syllables.size()))];
            vocabulary_ << word;
        }
    }
    int below(int n) { return static_cast<int>(random_.bounded(n)); }
    QString word() { return vocabulary_[below(static_cast<int>(vocabulary_.size()))]; }
    QString phrase(int maxWords) {
        QString p = word();
        for (int n = below(maxWords); n > 0; --n)
            p += QLatin1Char(' ') + word();
        return p;
    }
    QString pick(const QStringList& from) { return from[below(static_cast<int>(from.size()))]; }

private:
    QRandomGenerator random_;
    QStringList vocabulary_;
};

void fillTables(Global& global, Words& words) {
    const QStringList places = {QStringLiteral("Anywhere"), QStringLiteral("Head"),
                                QStringLiteral("Body"), QStringLiteral("Subject")};
    const QStringList ops = {QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT")};
    QList<Rule> rules;
    for (int i = 0; i < RuleTable::MaxRules; ++i)
        rules << Rule{QStringLiteral("X"), words.pick(places), words.phrase(3),
                      words.pick(ops),     words.phrase(2),    words.pick(ops),
                      words.phrase(2),     words.pick(ops),    words.phrase(2)};
    global.rules.setRules(rules);
    QStringList black, white, ips;
    for (int i = 0; i < Global::ListCapacity; ++i) {
        black << (i % 3 ? words.word() + QLatin1Char('@') + words.word() + QLatin1String(".com")
                        : words.word() + QLatin1String(".net"));
        ips << QStringLiteral("10.%1.%2.%3").arg(i / 65536).arg(i / 256 % 256).arg(i % 256);
    }
    for (int i = 0; i < Global::WhitelistCapacity; ++i)
        white << words.word() + QLatin1String("@friends.org");
    global.blacklist.setEntries(black);
    global.whitelist.setEntries(white);
    global.blackIP.setEntries(ips);
    global.accounts.row(1).AccountName = QStringLiteral("home");
    global.accounts.row(1).EmailAddress = QStringLiteral("me@home.example");
}

// A RETR reply: a realistic header, a text part, an HTML part and a base64 attachment.
QByteArray message(Words& words, int n) {
    QStringList lines{QStringLiteral("+OK %1 octets").arg(MessageBytes)};
    for (int hop = 0; hop < 4; ++hop)
        lines << QStringLiteral("Received: from relay%1.%2.com (relay [192.0.2.%3])")
                     .arg(hop)
                     .arg(words.word())
                     .arg(n % 250)
              << QStringLiteral("\tby mx.home.example with ESMTP id %1").arg(words.word());
    lines
        << QStringLiteral("From: \"%1\" <%2@%3.com>").arg(words.word(), words.word(), words.word())
        << QStringLiteral("To: me@home.example")
        << QStringLiteral("Subject: %1").arg(words.phrase(5)) << QStringLiteral("MIME-Version: 1.0")
        << QStringLiteral("Content-Type: multipart/mixed; boundary=\"zz\"") << QString()
        << QStringLiteral("--zz") << QStringLiteral("Content-Type: text/plain") << QString();
    qsizetype size = 0;
    auto addLine = [&](const QString& line) {
        lines << line;
        size += line.size() + 2;
    };
    while (size < MessageBytes * 2 / 5)
        addLine(words.phrase(11));
    addLine(QStringLiteral("--zz"));
    addLine(QStringLiteral("Content-Type: text/html"));
    addLine(QString());
    while (size < MessageBytes * 4 / 5)
        addLine(QStringLiteral("<p style=\"color:#333\">%1 <b>%2</b></p>")
                    .arg(words.phrase(8), words.word()));
    addLine(QStringLiteral("--zz"));
    addLine(QStringLiteral("Content-Type: application/octet-stream; name=data.bin"));
    addLine(QString());
    const QByteArray alphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    while (size < MessageBytes - 80) {
        QByteArray chunk;
        for (int i = 0; i < 76; ++i)
            chunk += alphabet[words.below(64)];
        addLine(QString::fromLatin1(chunk));
    }
    lines << QStringLiteral("--zz--") << QStringLiteral(".");
    return lines.join(QLatin1String("\r\n")).toLatin1() + "\r\n";
}

double msSince(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// The thread's processor time, which other work on a shared machine does not inflate.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void benchPass(Global& global, Words& words) {
    QList<std::pair<QString, QString>> files; // name, Size cell
    qint64 totalBytes = 0;
    for (int r = 1; r <= Messages; ++r) {
        const QString name = QStringLiteral("email%1.eml").arg(r);
        const QByteArray bytes = message(words, r);
        QFile file(global.dataPath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return;
        totalBytes += bytes.size();
        files.append({name, QStringLiteral("%1k").arg(bytes.size() / 1024)});
    }
    QElapsedTimer timer;
    timer.start();
    const Classifier classifier(global);
    const double buildMs = msSince(timer);

    timer.restart();
    const double cpuStart = cpuMs();
    int byRules = 0;
    int byOthers = 0;
    for (const auto& [name, size] : std::as_const(files)) {
        const MessageFile file = MessageFile::read(global.dataPath(name));
        Candidate c{{}, size, file};
        classifier.classify(c);
        if (c.mark && c.mark->reason.startsWith(QLatin1String("Rule: ")))
            ++byRules;
        else if (!c.unmarked())
            ++byOthers;
    }
    const double passMs = msSince(timer);
    const double passCpuMs = cpuMs() - cpuStart;

    std::printf("tables: %lld rules (4 phrases each), %lld blacklist, %lld IP blacklist, "
                "%lld whitelist entries\n",
                static_cast<long long>(global.rules.rules().size()),
                static_cast<long long>(global.blacklist.entries().size()),
                static_cast<long long>(global.blackIP.entries().size()),
                static_cast<long long>(global.whitelist.entries().size()));
    std::printf("messages: %d of %.1f KB on average; marked by a rule %d, by another test %d\n",
                Messages, totalBytes / 1024.0 / Messages, byRules, byOthers);
    std::printf("index build (once per pass): %.2f ms\n", buildMs);
    std::printf("classification pass: %.1f ms in all, %.3f ms per message, %.0f messages per "
                "second\n",
                passMs, passMs / Messages, Messages / (passMs / 1000.0));
    std::printf("classification pass, processor time: %.3f ms per message\n", passCpuMs / Messages);
}

void benchDuplicates(Words& words) {
    QStringList subjects;
    for (int i = 0; i < DuplicateRows / 3; ++i)
        subjects << words.phrase(6);
    QList<SubjectAndAction> rows;
    for (int r = 1; r <= DuplicateRows; ++r)
        rows.append({words.pick(subjects), words.below(4) == 0 ? action::Blacklist : QString()});
    QElapsedTimer timer;
    timer.start();
    const QList<qsizetype> marked = DuplicateSubjects(rows);
    std::printf("DuplicateSubjects over %d rows (%lld distinct subjects): %.2f ms, %lld marked\n",
                DuplicateRows, static_cast<long long>(subjects.size()), msSince(timer),
                static_cast<long long>(marked.size()));
}

} // namespace

int main() {
    QTemporaryDir home;
    Global global;
    if (!home.isValid() || global.setUpDataFolder(home.path()))
        return 1;
    global.settings.setDefaults(global.DataFolder);
    Words words(2024);
    fillTables(global, words);
    benchPass(global, words);
    benchDuplicates(words);
    return 0;
}
