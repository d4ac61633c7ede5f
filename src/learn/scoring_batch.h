#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QStringList>

// One Get mail's scoring: the engine runs beside the dialogue, reading a mailbox on its input,
// and is handed each message as soon as it has arrived, so that its scores are all but ready
// when the last message is in. It answers one line per message, in turn.
class ScoringBatch {
public:
    ScoringBatch(const QString& program, const QStringList& arguments);
    ~ScoringBatch();
    ScoringBatch(const ScoringBatch&) = delete;
    ScoringBatch& operator=(const ScoringBatch&) = delete;

    // The message's text (learn::messageText) under `key`.
    void add(int key, const QByteArray& text);
    // No more messages: the engine finishes the ones it has.
    void closeInput();
    bool finished() const { return finished_; }
    // The scores by key once the engine has finished; none when it failed or was cut short.
    QHash<int, double> scores() const { return scores_; }

private:
    void takeOutput();

    QProcess process_;
    QList<int> keys_; // in the order the messages were handed over
    bool finished_ = false;
    QHash<int, double> scores_;
};
