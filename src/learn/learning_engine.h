#pragma once

#include "classify/learned_score.h"
#include "learn/scoring_batch.h"
#include "learn/taught_record.h"
#include "learn/teacher.h"

#include <QList>
#include <QString>

#include <memory>

class Global;

// The door to the learning engine, a statistical filter run as a program of its own. Its word
// list and the record of what it was taught live in the folder "Learning" of the data folder.
// Scoring and teaching both run beside the program; nothing here waits.
class LearningEngine {
public:
    // Each kind the engine must have been taught this many times before its scores count: a
    // filter that has seen one message of a kind only guesses.
    static constexpr qsizetype MinLessons = 5;
    // Spam above the first, good mail at or below the second. A score of exactly 0.5 is the
    // engine saying it knows nothing of the message, which is no reason to mark it.
    static constexpr double SpamCutoff = 0.5;
    static constexpr double GoodCutoff = 0.1;

    explicit LearningEngine(const Global& global);

    // The engine program; found on the path at first. Tests name one that is not there.
    void setProgram(const QString& program) { program_ = program; }
    bool available() const;
    // Learning is switched on and the engine is there.
    bool on() const;
    // The engine has been taught both kinds often enough for its scores to count.
    bool learned();

    // A batch for one Get mail; none when learning is off or has not learned yet.
    std::unique_ptr<ScoringBatch> startScoring();
    static LearnedScore judge(double score);

    // Teaches the engine when it is there, whether learning is on or not (Process teaches only
    // while it is on). Returns true when the record of what was taught could not be saved.
    bool teach(const QList<Lesson>& lessons);
    // The record's name in the data folder, for the message that it could not be saved.
    static QString recordName();
    Teacher& teacher() { return teacher_; }

private:
    QString folder() const;
    QStringList arguments() const;
    TaughtRecord& record();

    const Global& global_;
    QString program_;
    TaughtRecord record_;
    Teacher teacher_;
};
