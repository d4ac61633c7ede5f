#include "mail/large_mail_run.h"

#include "mail/pop3_channel.h"
#include "platform/platform.h"
#include "review/message_table.h"
#include "store/global.h"
#include "store/text.h"

#include <cmath>

namespace {

const QLatin1String AskTitle("Delete large emails");
const QLatin1String AskPrompt("Enter the maximum size in k that is allowed\r\n"
                              "for an email (1000 is 1Mb). Any email that\r\n"
                              "is larger than this value will be deleted.");
const QLatin1String AskDefault("1000");
constexpr int AskOffset = 1000;

const QLatin1String RangeTitle("Error");
const QLatin1String RangeError("The size must be between 100 and 30000.      ");
constexpr double SmallestLimit = 100;
constexpr double LargestLimit = 30000;

const QLatin1String Reading("Reading ");
const QLatin1String Emails(" emails (");
const QLatin1String KiloClose("k)");
const QLatin1String Deleting("Deleting message.Size = ");
const QLatin1String KiloSuffix("k");
const QLatin1String Done("Done");

} // namespace

void LargeMailRun::ActionsDelLarge_Click(QPoint windowTwips) {
    context_.observer.clearLog();
    context_.table.ClearGrid();
    if (!mayBegin())
        return;
    const std::optional<qint64> limit = askLimit(windowTwips);
    if (!limit || closing())
        return;
    limitK_ = *limit;
    beginRunning();
    accountPass();
    if (closing())
        return;
    end(Done);
}

std::optional<qint64> LargeMailRun::askLimit(QPoint windowTwips) {
    const QString answer = context_.platform.inputBox(AskPrompt, AskTitle, AskDefault,
                                                      windowTwips + QPoint(AskOffset, AskOffset));
    if (answer.isEmpty())
        return std::nullopt;
    const double limit = text::leadingNumber(answer);
    if (limit < SmallestLimit || limit > LargestLimit) {
        context_.platform.messageBox(RangeError, Platform::Buttons::Ok, Platform::Icon::Warning,
                                     RangeTitle);
        return std::nullopt;
    }
    return std::llround(limit);
}

void LargeMailRun::DelBigMail(int s, qint64 limitK) {
    Pop3Channel& channel = context_.channel;
    const std::optional<Pop3Channel::Mailbox> mailbox =
        channel.openMailbox(context_.global.accounts.row(s));
    if (!mailbox)
        return;
    context_.observer.AddList(Reading + QString::number(mailbox->count) + Emails +
                              QString::number(mailbox->sizeK) + KiloClose);
    // On a pipelining server the sizes come from one LIST and the DELEs go together; the server
    // deletes nothing before it has answered QUIT.
    if (channel.listAll(Pop3Channel::UniqueIds::Skip))
        return;
    QList<qint64> deleAhead;
    // The numbers stay those of the STAT until QUIT, so deleting one renumbers none.
    for (qint64 n = 1; n <= mailbox->count; ++n) {
        const std::optional<qint64> size = channel.list(n);
        if (!size)
            return;
        const qint64 sizeK = *size / 1024;
        if (sizeK <= limitK)
            continue;
        context_.observer.AddList(Deleting + QString::number(sizeK) + KiloSuffix);
        if (channel.pipelining())
            deleAhead.append(n);
        else if (channel.dele(n))
            return;
    }
    if (!channel.deleAll(deleAhead))
        channel.quit();
}
