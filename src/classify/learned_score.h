#pragma once

#include <QString>

// What the learning engine makes of a message: its score from 0 (good mail) to 1 (spam) and
// the band the score falls in. The classifier takes it like any other input.
struct LearnedScore {
    enum class Verdict { Good, Unsure, Spam };
    Verdict verdict;
    double score;

    // The score as the reasons show it.
    QString shown() const { return QString::number(score, 'f', 2); }
};
