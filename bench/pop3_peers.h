#pragma once

// The two sides the POP3 benchmarks compare on one server: the program's runs, built as the
// main window builds them, and a plain client written for the benchmarks that sends one command
// and reads its reply before the next.
#include "mail/mail_runs.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "mail/recording_observer.h"
#include "review/message_table.h"
#include "store/global.h"
#include "support/scripted_platform.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Message n of a mailbox, lines ended by CR LF, of about `size` bytes.
QByteArray benchMessage(int n, int size);
// A message's lines ended by CR LF, as a mailbox serves them.
QByteArray withCrLf(QByteArray message);

// The plain client's runs against 127.0.0.1:port; each returns the seconds taken, or a negative
// number on failure.
namespace plain {
// USER, PASS, STAT, then LIST n and RETR n for every message, saving each into a file of its
// own in `folder` unless it is empty; then QUIT.
double getMail(quint16 port, const QByteArray& user, const QString& folder);
// USER, PASS, STAT, then LIST n and DELE n for every message; then QUIT.
double process(quint16 port, const QByteArray& user);
// After USER and PASS, `command` followed by 1 to `count` sent all at once: the seconds from
// the first command sent to the last reply read. A multi-line reply ends with its "." line.
double burst(quint16 port, const QByteArray& user, const QByteArray& command, int count,
             bool multiLine);
} // namespace plain

// The program with one account and an empty data folder of its own. The password of every
// benchmark mailbox is "bench-pw".
class BenchProgram {
public:
    explicit BenchProgram(const QString& user);

    // The account's server port, which may change between runs.
    void setPort(quint16 port);
    // Get mail's account pass; the seconds taken, or a negative number on failure.
    double getMail();
    // Marks every row of the table for deletion and times Process's account pass.
    double process();
    // The whole Get mail as the user starts it, classification included.
    double wholeGetMail();
    int rows() const { return table.occupiedRows(); }
    // The learning engine over the program's data folder, and its switch.
    LearningEngine& learning() { return runs.learning(); }
    void setLearning(bool on);

private:
    double timed(void (BenchProgram::*pass)());
    void getMailPass();
    void processPass();

    QTemporaryDir documents;
    Global global;
    QtSocketControl socket;
    QtWaitClock clock;
    ScriptedPlatform platform;
    MessageTable table;
    RecordingObserver observer;
    MailRuns runs;
};
