#pragma once

#include "review/message_table.h"
#include "store/global.h"

// The classification tests written as plainly as they are described: linear scans of every
// list and rule, one substring search per phrase and text, every pair of rows compared. The
// differential test holds the program's indexed tests to exactly these results.
class PlainClassifier {
public:
    PlainClassifier(MessageTable& table, const Global& global) : t_(table), g_(global) {}

    void ProcessHeader();
    void CheckBlacklist();
    void CheckWhitelist();
    void ApplyRules();
    void CheckAttachments();
    void CheckAccount();
    void DuplicateSubjects();
    void classifyRows();

private:
    int row() const { return t_.grid().Row(); }
    QString cell(int c) const { return t_.cell(row(), c); }
    QStringList lines() const;
    void mark(const QString& action, uint colour, const QString& reason) {
        t_.ColourRow(action, row(), colour, reason);
    }
    void checkList(const QStringList& list, const QString& action, uint colour,
                   const QString& kind);

    MessageTable& t_;
    const Global& g_;
};
