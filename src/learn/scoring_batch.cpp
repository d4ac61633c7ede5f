#include "learn/scoring_batch.h"

#include "store/text_file.h"

#include <QFile>
#include <QFileInfo>

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
    if (!dir_.isValid())
        finished_ = true;
    else
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
    const QString path = textfile::join(dir_.path(), QString::number(key));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return; // a message that cannot be handed over goes without a score
    file.close();
    process_.write(QFile::encodeName(path) + '\n');
}

void ScoringBatch::closeInput() {
    process_.closeWriteChannel();
}

// One line per message: its file's path, the verdict's letter and the score.
void ScoringBatch::takeOutput() {
    const QList<QByteArray> lines = process_.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype scoreAt = line.lastIndexOf(' ');
        const qsizetype letterAt = scoreAt < 0 ? -1 : line.lastIndexOf(' ', scoreAt - 1);
        if (letterAt < 0)
            continue;
        bool keyOk = false;
        bool scoreOk = false;
        const int key = QFileInfo(QFile::decodeName(line.left(letterAt))).fileName().toInt(&keyOk);
        const double score = line.mid(scoreAt + 1).toDouble(&scoreOk);
        if (keyOk && scoreOk)
            scores_.insert(key, score);
    }
}
