#pragma once

#include "classify/learned_score.h"
#include "classify/message_file.h"
#include "classify/rule_engine.h"
#include "classify/sender_list.h"
#include "store/action_code.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class Global;

// The cells of a message's row that the header extraction fills and the later tests read.
struct HeaderCells {
    QString From;
    QString Subject;
    QString To;
    QString IP;
};

// What a test proposes for a message: an action code and the reason shown beside it.
struct Mark {
    QString action;
    QString reason;
    // Set by the tests of a message's form (blank fields, small images, not to me, duplicate
    // subjects): the marks the learned score may overrule. The lists and the rules are the
    // user's own choices and are never overruled.
    bool heuristic = false;
};

// One message as the tests see it: its header cells and Size cell as its row holds them, its
// file's lines, its learned score when learning is on and has learned, and the mark set so
// far. Each test that marks replaces the earlier mark.
struct Candidate {
    HeaderCells cells;
    QString size;
    const MessageFile& message;
    std::optional<Mark> mark = std::nullopt;
    std::optional<LearnedScore> score = std::nullopt;

    // As an empty Action cell reads: no mark yet, or the large-mail mark that keeps it.
    bool unmarked() const { return !mark || mark->action.isEmpty(); }
    // Still open to the later tests: unmarked, or marked only by a test of form that a learned
    // score of good mail takes back, so the lists and rules after it still have their say.
    bool open() const {
        return unmarked() ||
               (mark->heuristic && score && score->verdict == LearnedScore::Verdict::Good);
    }
};

// The tests of the classification pass, each a function of the candidate, the stored tables
// and the settings. The lists and rules are indexed when the classifier is made: make one per
// pass, since the editors that change those tables cannot run while a pass is under way.
// Settings and accounts are read at each call.
class Classifier {
public:
    explicit Classifier(const Global& global);

    // ProcessHeader, then the other tests in their fixed order, each that is switched on and,
    // for the conditional ones, only while the candidate is still unmarked; last the learned
    // test when the candidate has a score.
    void classify(Candidate& c) const;

    // Copies From, Subject, To and IP out of the header (only the cells whose lines it finds),
    // then the blank-field and size tests.
    void ProcessHeader(Candidate& c) const;
    // Sender and domain blacklist, then (on a still unmarked candidate) the IP blacklist.
    void CheckBlacklist(Candidate& c) const;
    void CheckWhitelist(Candidate& c) const;
    void ApplyRules(Candidate& c) const;
    // Parts of the image types listed in the settings.
    void CheckAttachments(Candidate& c) const;
    // Mail whose To: names none of the accounts' own addresses.
    void CheckAccount(Candidate& c) const;

private:
    const Global& global_;
    SenderList blacklist_;
    SenderList whitelist_;
    QSet<QString> blackIP_;
    RuleEngine rules_;
};

// A row of the message table as the duplicate-subject test reads it.
struct SubjectAndAction {
    QString subject;
    QString action;
};

inline const Mark DuplicateMark{action::Delete, QStringLiteral("Duplicate subject"), true};

// The learned test, after the others: a spam score marks an unmarked message "D"; a score of
// good mail takes back a mark of the tests of form, saying so in the reason; an unsure score
// only shows in the reason. A mark of the lists or the rules stays as it is.
std::optional<Mark> LearnedMark(const std::optional<Mark>& mark, const LearnedScore& score);

// The indexes, ascending, of the rows that get DuplicateMark: rows whose subject another row
// also has, found after every row has been classified.
QList<qsizetype> DuplicateSubjects(const QList<SubjectAndAction>& rows);
