#include "learn/teacher.h"

#include "learn/message_text.h"

#include <array>

namespace {

using Kind = TaughtRecord::Kind;

// The engine's registrations: as spam, as good mail, and the same after taking back the other.
const QString AsSpam = QStringLiteral("-s");
const QString AsGood = QStringLiteral("-n");
const QString UndoSpam = QStringLiteral("-S");
const QString UndoGood = QStringLiteral("-N");
const QString Mailbox = QStringLiteral("-M");

constexpr int ShutdownMsecs = 10000;

enum Registration { NewSpam, NewGood, GoodToSpam, SpamToGood, Registrations };

QStringList flagsOf(Registration r) {
    switch (r) {
    case NewSpam:
        return {AsSpam};
    case NewGood:
        return {AsGood};
    case GoodToSpam:
        return {UndoGood, AsSpam};
    case SpamToGood:
    case Registrations:
        break;
    }
    return {UndoSpam, AsGood};
}

Registration registrationOf(Kind kind, std::optional<Kind> before) {
    if (kind == Kind::Spam)
        return before ? GoodToSpam : NewSpam;
    return before ? SpamToGood : NewGood;
}

} // namespace

void Teacher::setEngine(const QString& program, const QStringList& arguments) {
    program_ = program;
    arguments_ = arguments;
}

// The run under way is let finish: a word list cut off mid-registration would lose it.
Teacher::~Teacher() {
    finish(ShutdownMsecs);
}

void Teacher::teach(const QList<Lesson>& lessons, TaughtRecord& record) {
    std::array<Run, Registrations> runs;
    for (const Lesson& lesson : lessons) {
        const QByteArray digest = TaughtRecord::digestOf(lesson.text);
        const std::optional<Kind> before = record.kindOf(digest);
        if (before == lesson.kind)
            continue;
        runs[registrationOf(lesson.kind, before)].mailbox += learn::mailboxEntry(lesson.text);
        record.set(digest, lesson.kind);
    }
    for (int r = 0; r < Registrations; ++r) {
        if (runs[r].mailbox.isEmpty())
            continue;
        runs[r].flags = flagsOf(static_cast<Registration>(r));
        queued_.push_back(std::move(runs[r]));
    }
    if (!busy())
        startNext();
}

void Teacher::startNext() {
    current_.reset();
    if (queued_.empty())
        return;
    Run run = std::move(queued_.front());
    queued_.pop_front();
    current_ = std::make_unique<QProcess>();
    current_->setStandardOutputFile(QProcess::nullDevice());
    current_->setStandardErrorFile(QProcess::nullDevice());
    const auto ended = [this] {
        // Not from inside the process's own signal: the next run replaces it.
        QMetaObject::invokeMethod(
            &guard_, [this] { startNext(); }, Qt::QueuedConnection);
    };
    QObject::connect(current_.get(), &QProcess::finished, current_.get(), ended);
    QObject::connect(current_.get(), &QProcess::errorOccurred, current_.get(),
                     [ended](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             ended();
                     });
    current_->start(program_, arguments_ + run.flags + QStringList{Mailbox});
    current_->write(run.mailbox);
    current_->closeWriteChannel();
}

void Teacher::finish(int msecs) {
    queued_.clear();
    if (!current_)
        return;
    current_->disconnect();
    if (!current_->waitForFinished(msecs)) {
        current_->kill();
        current_->waitForFinished();
    }
    current_.reset();
}
