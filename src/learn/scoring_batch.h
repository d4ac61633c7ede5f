#pragma once

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// One Get mail's scoring: the engine runs beside the dialogue in bulk mode and is handed each
// message as soon as it has arrived, so that its scores are all but ready when the last message
// is in. Each message is a file of its own in a private temporary folder, named by its key.
class ScoringBatch {
public:
    ScoringBatch(const QString& program, const QStringList& arguments);
    ~ScoringBatch();
    ScoringBatch(const ScoringBatch&) = delete;
    ScoringBatch& operator=(const ScoringBatch&) = delete;

    void add(int key, const QByteArray& text);
    // No more messages: the engine finishes the ones it has.
    void closeInput();
    bool finished() const { return finished_; }
    // The scores by key once the engine has finished; none when it failed or was cut short.
    QHash<int, double> scores() const { return scores_; }

private:
    void takeOutput();

    QTemporaryDir dir_;
    QProcess process_;
    bool finished_ = false;
    QHash<int, double> scores_;
};
