#pragma once

#include "classify/message_file.h"
#include "classify/phrase_matcher.h"
#include "store/data_files.h"

#include <array>
#include <vector>

// The spam rules prepared for one classification pass. Every phrase of every rule in use is
// searched at once in the three texts of a message, and the rules are then evaluated from
// the found flags, which gives the same answer as searching each phrase on its own.
class RuleEngine {
public:
    explicit RuleEngine(const QList<Rule>& rules);

    // The last rule in use that matches the message, or null. An unreadable message file
    // reads as an empty one, so only the subject is searched then.
    const Rule* lastMatch(const QString& subject, const MessageFile& message) const;

private:
    enum class Where { Anywhere, Head, Body, Subject };
    enum class Op { And, Or, Not, Ignored };
    static constexpr int Phrases = 4;

    struct Compiled {
        qsizetype index;
        Where where;
        std::array<qsizetype, Phrases> phrase; // matcher ids; -1 for an empty phrase
        std::array<Op, Phrases - 1> op;        // the operators of phrases 2 to 4
    };
    struct Found;

    bool matches(const Compiled& rule, const Found& found) const;

    QList<Rule> table_; // as given, so a match can be named whatever happens to the original
    std::vector<Compiled> rules_;
    PhraseMatcher matcher_;
};
