#pragma once

#include "classify/message_file.h"
#include "classify/phrase_matcher.h"
#include "store/data_files.h"

#include <array>
#include <vector>

// The header and the body of a message as a person reads them, as the rules search them
// (PhraseMatcher::Scan::feedLowered): the decoded fields, each " Name: value", and the decoded
// text parts (HTML reduced to text) that the viewer shows, less plain parts that read as
// stored.
struct DecodedTexts {
    QString head;
    QString body;
};
DecodedTexts decodedTexts(const MessageFile& message);

// The spam rules prepared for one classification pass. Every phrase of every rule in use is
// searched at once in the three texts of a message, and the rules are then evaluated from
// the found flags, which gives the same answer as searching each phrase on its own.
class RuleEngine {
public:
    explicit RuleEngine(const QList<Rule>& rules);

    // The last rule in use that matches the message, or null: one that matches its stored
    // texts as it always did, or the stored and the decoded texts (decodedTexts) taken
    // together, each phrase found in either; so a rule finds what the user reads and nothing
    // that matched before stops matching, a NOT rule included. An unreadable message file
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

    bool searchesMessage_ = false; // some rule in use looks beyond the subject
    QList<Rule> table_; // as given, so a match can be named whatever happens to the original
    std::vector<Compiled> rules_;
    PhraseMatcher matcher_;
};
