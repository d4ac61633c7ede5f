#include "mail/quick_check_run.h"

#include "review/message_table.h"

namespace {

const QLatin1String Rule("------------------------------------");
const QLatin1String Header(" Account             Msgs      Size");
const QLatin1String Done("Done");
const QLatin1String KiloSuffix("k");

constexpr int NameWidth = 20;
constexpr int CountWidth = 10;

} // namespace

void QuickCheckRun::ActionsQuickCheck_Click() {
    context_.observer.clearLog();
    context_.table.ClearGrid();
    if (!begin())
        return;
    table_ = QStringList{Rule, Header, Rule};
    anyFailed_ = false;
    accountPass();
    if (closing())
        return;
    end(Done);
    // The table takes the place of the run's lines, unless an account could not be checked:
    // its zeros would then read as an empty mailbox, so the lines that say why stay above.
    if (!anyFailed_)
        context_.observer.clearLog();
    for (const QString& line : table_)
        context_.observer.AddList(line);
}

void QuickCheckRun::accountDialogue(int accountRow) {
    const MailCount count = checkForMail(accountRow);
    anyFailed_ = anyFailed_ || count.failed;
    table_.append(tableLine(count));
}

QString QuickCheckRun::tableLine(const MailCount& count) {
    return QLatin1Char(' ') + count.account.leftJustified(NameWidth, QLatin1Char(' '), true) +
           QString::number(count.count).leftJustified(CountWidth, QLatin1Char(' '), true) +
           QString::number(count.sizeK) + KiloSuffix;
}
