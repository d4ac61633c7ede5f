#include "mail/learning_pass.h"

#include "learn/message_text.h"
#include "mail/run_observer.h"
#include "mail/wait_clock.h"
#include "review/message_table.h"
#include "store/global.h"

#include <QFile>

namespace learning {

namespace {

const QLatin1String NoScores("Learning: no scores this time, the engine did not answer");

// The engine scores a thousand messages a second; this is for one that hangs.
constexpr double ScoresSeconds = 30;

QByteArray messageIn(const QString& path, bool& ok) {
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    return ok ? learn::messageText(file.readAll()) : QByteArray();
}

} // namespace

void offer(ScoringBatch& batch, int r, const QString& path) {
    bool ok = false;
    const QByteArray text = messageIn(path, ok);
    if (ok)
        batch.add(r, text);
}

QHash<int, LearnedScore> scores(ScoringBatch& batch, WaitClock& clock, RunLog& log) {
    batch.closeInput();
    QHash<int, LearnedScore> judged;
    if (!clock.waitUntil([&batch] { return batch.finished(); }, ScoresSeconds)) {
        log.AddList(NoScores);
        return judged;
    }
    const QHash<int, double> raw = batch.scores();
    for (auto s = raw.cbegin(); s != raw.cend(); ++s)
        judged.insert(s.key(), LearningEngine::judge(s.value()));
    return judged;
}

QList<Lesson> lessons(const MessageTable& table, const Global& global) {
    QList<Lesson> taught;
    for (int r = 1; table.isOccupied(r); ++r) {
        bool ok = false;
        const QByteArray text = messageIn(global.dataPath(table.cell(r, col::File)), ok);
        if (!ok)
            continue;
        const QString action = table.cell(r, col::Action);
        const bool spam = action == action::Delete || action == action::Blacklist;
        taught.append({text, spam ? TaughtRecord::Kind::Spam : TaughtRecord::Kind::Good});
    }
    return taught;
}

} // namespace learning
