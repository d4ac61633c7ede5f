// Plays arbitrary bytes as a server's side of a whole Get mail dialogue: the input, cut at NUL
// bytes, gives the greeting and then one arrival per command sent. Whatever a server answers,
// the run must end without a crash or a read outside a reply.
#include "mail/mail_runs.h"
#include "mail/recording_observer.h"
#include "review/message_table.h"
#include "store/global.h"
#include "support/fake_socket.h"
#include "support/manual_clock.h"
#include "support/scripted_platform.h"

#include <QCoreApplication>
#include <QQueue>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_pop3_dialogue";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir home;

    QQueue<QByteArray> arrivals;
    for (const QByteArray& piece :
         QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0'))
        arrivals.enqueue(piece);

    Global global;
    global.setUpDataFolder(home.path());
    global.settings.setDefaults(global.DataFolder);
    Account& account = global.accounts.row(1);
    account.AccountName = QStringLiteral("fuzzed");
    account.MailServer = QStringLiteral("server");
    account.Port = QStringLiteral("110");
    account.Enabled = QStringLiteral("1");

    FakeSocket socket;
    ManualClock clock;
    ScriptedPlatform platform;
    MessageTable table;
    RecordingObserver observer;
    MailRuns runs(socket, clock, platform, global, table, observer);
    auto serveNext = [&] {
        if (!arrivals.isEmpty())
            clock.atNextYield([&socket, bytes = arrivals.dequeue()] { socket.arrive(bytes); });
    };
    socket.onConnect = serveNext;
    socket.onSend = [&](const QByteArray&) { serveNext(); };
    runs.retrieval().Command1_Click();
    return 0;
}
