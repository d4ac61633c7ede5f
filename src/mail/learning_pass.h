#pragma once

#include "classify/learned_score.h"
#include "learn/learning_engine.h"

#include <QHash>

class Global;
class MessageTable;
class RunLog;
class WaitClock;

// Between the mail runs and the learning engine: the messages of Get mail handed to the engine
// as they arrive, its scores taken before the classification pass, and the rows of Process
// taught to it.
namespace learning {

// Hands the message file at `path`, just retrieved into row r, to the batch.
void offer(ScoringBatch& batch, int r, const QString& path);

// Waits for the batch's scores and judges them, by row. An engine that failed gives none; one
// that does not finish in time gives none either, and the pane says so.
QHash<int, LearnedScore> scores(ScoringBatch& batch, WaitClock& clock, RunLog& log);

// What the occupied rows teach: "D" and "B" rows spam, the others good mail.
QList<Lesson> lessons(const MessageTable& table, const Global& global);

} // namespace learning
