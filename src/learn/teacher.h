#pragma once

#include "learn/taught_record.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <deque>
#include <memory>

// A message and what the user decided it is.
struct Lesson {
    QByteArray text; // the message as learn::messageText gives it
    TaughtRecord::Kind kind;
};

// Teaches the engine beside the program: the lessons go to it as a mailbox on its input, one run
// per kind of registration. Lessons given while a run is under way wait for it.
class Teacher {
public:
    // `arguments` are those every run of the engine takes (its configuration and word list).
    void setEngine(const QString& program, const QStringList& arguments);
    ~Teacher();

    // Queues the lessons the record does not already hold as they are, and notes them in it: a
    // new message is registered as its kind, one taught the other way before is unregistered
    // from that kind first.
    void teach(const QList<Lesson>& lessons, TaughtRecord& record);
    bool busy() const { return current_ != nullptr; }
    // Lets the run under way end, for at most `msecs`; the ones queued are dropped.
    void finish(int msecs);

private:
    struct Run {
        QStringList flags;
        QByteArray mailbox;
    };
    void startNext();

    QString program_;
    QStringList arguments_;
    std::deque<Run> queued_;
    std::unique_ptr<QProcess> current_;
    QObject guard_; // the context of the calls queued to start the next run
};
