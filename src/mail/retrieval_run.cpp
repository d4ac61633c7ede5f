#include "mail/retrieval_run.h"

#include "mail/classification_pass.h"
#include "mail/learning_pass.h"
#include "mail/pop3_channel.h"
#include "review/message_table.h"
#include "store/global.h"
#include "store/text.h"
#include "store/text_file.h"

#include <QFile>

namespace {

const QLatin1String Found("Found ");
const QLatin1String Emails(" emails");
const QLatin1String Checking("Checking messages for spam");
const QLatin1String
    Tip("Click in Action column: Blank --> D (delete)--> B (blacklist) --> W (whitelist)");

const QLatin1String FilePrefix("email");
const QLatin1String FileSuffix(".eml");
const QLatin1String KiloSuffix("k");

constexpr int MinFreeRows = 10;
constexpr int GrowRows = 25;

QString messageFileName(qint64 k) {
    return FilePrefix + QString::number(k) + FileSuffix;
}

} // namespace

void RetrievalRun::Command1_Click() {
    MessageTable& table = context_.table;
    Global& global = context_.global;
    table.ClearGrid();
    context_.observer.clearLog();
    if (!begin())
        return;
    global.deleteMessageFiles();
    context_.observer.showProgress(true);
    context_.observer.setProgress(0, 0);
    nextRow_ = table.grid().Row();
    scoring_ = learning_.startScoring();
    accountPass();
    if (closing())
        return;
    context_.observer.showProgress(false);
    const QHash<int, LearnedScore> scores =
        scoring_ ? learning::scores(*scoring_, context_.clock, context_.observer)
                 : QHash<int, LearnedScore>();
    scoring_.reset();
    if (closing())
        return;
    classifyRows(table, global, scores, [this] { yieldOnce(); });
    if (closing())
        return;
    end(Tip);
}

void RetrievalRun::GetMail(int s) {
    const Account& account = context_.global.accounts.row(s);
    Pop3Channel& channel = context_.channel;
    const std::optional<Pop3Channel::Mailbox> mailbox = channel.openMailbox(account);
    if (!mailbox)
        return;
    // Every message the server counts is visited: a mailbox of more than 32767 messages is
    // handled whole.
    context_.observer.AddList(Found + QString::number(mailbox->count) + Emails);
    context_.observer.AddList(Checking);
    const bool failed = retrieveMessages(account, mailbox->count);
    if (closing())
        return;
    // Also after a failure, so the next account's rows follow those already written.
    context_.table.grid().setRow(nextRow_);
    if (!failed)
        channel.quit();
}

// Each message's size is weighed against the limit once, and a message is fetched exactly when
// it was found below it: on a pipelining server before the RETRs go out together, elsewhere
// as its LIST reply comes in, one message at a time.
bool RetrievalRun::retrieveMessages(const Account& account, qint64 count) {
    Pop3Channel& channel = context_.channel;
    // The unique ids let Process find each message again should the mailbox change meanwhile.
    if (channel.listAll(Pop3Channel::UniqueIds::Take))
        return true;
    ids_ = channel.uniqueIds().value_or(QHash<qint64, QByteArray>());
    if (channel.failed())
        return true;
    nextFile_ = nextFreeFileNumber();
    if (!channel.pipelining()) {
        for (qint64 m = 1; m <= count; ++m) {
            context_.observer.setProgress(m, count);
            const std::optional<qint64> size = channel.list(m);
            if (!size || (belowSizeLimit(*size) && fetch(account, {m, *size})))
                return true;
        }
        return false;
    }
    const std::optional<QList<Listed>> wanted = messagesBelowLimit(count);
    if (!wanted)
        return true;
    QList<qint64> numbers;
    for (const Listed& message : *wanted)
        numbers.append(message.number);
    channel.retrAhead(numbers);
    for (const Listed& message : *wanted) {
        context_.observer.setProgress(message.number, count);
        if (fetch(account, message))
            return true;
    }
    return false;
}

// After listAll: the messages below the size limit, with the sizes the listing gives them.
std::optional<QList<RetrievalRun::Listed>> RetrievalRun::messagesBelowLimit(qint64 count) {
    QList<Listed> wanted;
    for (qint64 m = 1; m <= count; ++m) {
        const std::optional<qint64> size = context_.channel.list(m);
        if (!size)
            return std::nullopt;
        if (belowSizeLimit(*size))
            wanted.append({m, *size});
    }
    return wanted;
}

bool RetrievalRun::belowSizeLimit(qint64 size) const {
    const double maxSizeK = text::leadingNumber(context_.global.settings[setting::MaxSizeK]);
    return maxSizeK > static_cast<double>(size / 1024);
}

// Retrieves one message into the next free file and gives it the next row.
bool RetrievalRun::fetch(const Account& account, const Listed& message) {
    const QString name = messageFileName(nextFile_);
    QFile file(context_.global.dataPath(name));
    // A file that cannot be created fails the account at once (the channel refuses it).
    (void)file.open(QIODevice::WriteOnly | QIODevice::Truncate, textfile::PrivateFile);
    const bool failed = context_.channel.retr(message.number, message.size, file);
    file.close();
    if (failed)
        return true;
    MessageTable& table = context_.table;
    table.setCell(nextRow_, col::Bytes, QString::number(message.size));
    table.setCell(nextRow_, col::Account, account.AccountName);
    table.setCell(nextRow_, col::Size, QString::number(message.size / 1024) + KiloSuffix);
    table.setCell(nextRow_, col::N, QString::number(message.number));
    table.setCell(nextRow_, col::File, name);
    table.setMessageId(nextRow_, ids_.value(message.number));
    if (scoring_)
        learning::offer(*scoring_, nextRow_, file.fileName());
    ++nextRow_;
    ++nextFile_;
    GridModel& grid = table.grid();
    if (grid.Rows() - nextRow_ < MinFreeRows)
        grid.setRows(grid.Rows() + GrowRows);
    return false;
}

qint64 RetrievalRun::nextFreeFileNumber() const {
    qint64 k = 1;
    while (QFile::exists(context_.global.dataPath(messageFileName(k))))
        ++k;
    return k;
}
