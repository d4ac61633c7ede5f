#include "learn/scoring_batch.h"

#include "learn/message_text.h"

ScoringBatch::ScoringBatch(const QString& program, const QStringList& arguments) {
    process_.setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(&process_, &QProcess::finished, &process_, [this] {
        takeOutput();
        finished_ = true;
    });
    QObject::connect(&process_, &QProcess::errorOccurred, &process_,
                     [this](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             finished_ = true;
                     });
    process_.start(program, arguments);
}

ScoringBatch::~ScoringBatch() {
    process_.disconnect();
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
}

void ScoringBatch::add(int key, const QByteArray& text) {
    if (finished_)
        return;
    keys_.append(key);
    process_.write(learn::mailboxEntry(text));
}

void ScoringBatch::closeInput() {
    process_.closeWriteChannel();
}

// One line per message, in turn: the verdict's letter and the score. Output that does not
// account for every message gives no scores, since it cannot be told which is missing.
void ScoringBatch::takeOutput() {
    QList<QByteArray> lines = process_.readAllStandardOutput().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() != keys_.size())
        return;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        bool ok = false;
        const double score = lines[i].mid(lines[i].lastIndexOf(' ') + 1).toDouble(&ok);
        if (ok)
            scores_.insert(keys_[i], score);
    }
}
