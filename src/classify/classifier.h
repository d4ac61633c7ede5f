#pragma once

#include "classify/message_file.h"
#include "classify/rule_engine.h"
#include "classify/sender_list.h"

#include <QSet>
#include <QString>

class Global;
class MessageTable;

// The tests of the classification pass. Each per-row test works on the message table's
// current row, which the caller makes current first, and reports only through ColourRow.
// The lists and rules are indexed when the classifier is made: make one per pass, since the
// editors that change those tables cannot run while a pass is under way. Settings and
// accounts are read at each call.
class Classifier {
public:
    Classifier(MessageTable& table, const Global& global);

    // Copies From, Subject, To and IP out of the header, then the blank-field and size tests.
    void ProcessHeader();
    // Sender and domain blacklist, then (on a still unmarked row) the IP blacklist.
    void CheckBlacklist();
    void CheckWhitelist();
    void ApplyRules();
    // Parts of the image types listed in the settings.
    void CheckAttachments();
    // Mail whose To: names none of the accounts' own addresses.
    void CheckAccount();
    // Every occupied row whose subject another occupied row also has.
    void DuplicateSubjects();

private:
    int row() const;
    QString cell(int column) const;
    void setCell(int column, const QString& text);
    void mark(const QString& action, uint colour, const QString& reason);
    // The current row's message file, read once while the row stays current.
    const MessageFile& message();
    void readHeaderLine(const QString& line);
    void checkSenderList(const SenderList& list, const QString& action, uint colour,
                         const QString& senderReason, const QString& domainReason);

    MessageTable& table_;
    const Global& global_;
    SenderList blacklist_;
    SenderList whitelist_;
    QSet<QString> blackIP_;
    RuleEngine rules_;

    MessageFile message_;
    int messageRow_ = -1;
    QString messageName_;
};
