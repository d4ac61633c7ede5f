#pragma once

#include <QString>
#include <QtGlobal>

// What one account's count of waiting mail found: the quick check's table line and the
// notifier's row. A failed dialogue keeps the counts it had reached (0 before STAT).
struct MailCount {
    QString account;
    qint64 count = 0;
    qint64 sizeK = 0;
    bool failed = false;
};
