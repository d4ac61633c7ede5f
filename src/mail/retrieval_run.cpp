#include "mail/retrieval_run.h"

#include "mail/classification_pass.h"
#include "mail/mail_run_host.h"
#include "mail/pop3_channel.h"
#include "mail/pop3_reply.h"
#include "platform/platform.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "store/text.h"

#include <QFile>

namespace {

const QLatin1String Found("Found ");
const QLatin1String Emails(" emails");
const QLatin1String Checking("Checking messages for spam");
const QLatin1String
    Tip("Click in Action column: Blank --> D (delete)--> B (blacklist) --> W (whitelist)");

const QLatin1String List("LIST");
const QLatin1String Retr("RETR");
const QLatin1Char Blank(' ');
const QLatin1String FilePrefix("email");
const QLatin1String FileSuffix(".eml");
const QLatin1String KiloSuffix("k");

constexpr int StartBarWidth = 60; // twips
constexpr int TrackMargin = 120;  // twips
constexpr int MinFreeRows = 10;
constexpr int GrowRows = 25;

QString messageFileName(qint64 k) {
    return FilePrefix + QString::number(k) + FileSuffix;
}

int progressWidth(int trackWidth, qint64 m, qint64 count) {
    return static_cast<int>(qMax<qint64>(0, qint64{trackWidth - TrackMargin} * m / count));
}

} // namespace

RetrievalRun::RetrievalRun(Pop3Channel& channel, Global& global, MessageTable& table,
                           TextPane& pane, MailRunHost& host, Platform& platform)
    : channel_(channel), global_(global), table_(table), pane_(pane), host_(host),
      platform_(platform) {}

bool RetrievalRun::closing() const {
    return channel_.abandoned();
}

void RetrievalRun::Command1_Click() {
    table_.ClearGrid();
    pane_.clear();
    if (host_.autoCheckBusy()) {
        channel_.AddList(MailRunHost::busyLine());
        return;
    }
    if (channel_.closeBeforeRun() || closing())
        return;
    platform_.setBusy(true);
    host_.Buttons(false);
    global_.deleteMessageFiles();
    host_.showProgress(true);
    host_.setProgressBarWidth(StartBarWidth);
    nextRow_ = table_.grid().Row();
    accountPass();
    if (closing())
        return;
    host_.showProgress(false);
    classifyRows(table_, global_, [this] { channel_.clock().yieldOnce(); });
    if (closing())
        return;
    channel_.AddList(Tip);
    host_.Buttons(true);
    platform_.setBusy(false);
}

void RetrievalRun::accountPass() {
    channel_.forEachEnabledAccount(global_.accounts, [this](int row) { GetMail(row); });
}

void RetrievalRun::GetMail(int s) {
    const Account& account = global_.accounts.row(s);
    if (channel_.openMailbox(account))
        return;
    // Every message the server counts is visited: a mailbox of more than 32767 messages is
    // handled whole.
    const qint64 count = pop3::statCount(channel_.replyData);
    channel_.AddList(Found + QString::number(count) + Emails);
    channel_.AddList(Checking);
    const bool failed = retrieveMessages(account, count);
    if (closing())
        return;
    // Also after a failure, so the next account's rows follow those already written.
    table_.grid().setRow(nextRow_);
    if (!failed)
        channel_.quit();
}

bool RetrievalRun::retrieveMessages(const Account& account, qint64 count) {
    const double maxSizeK = text::leadingNumber(global_.settings[setting::MaxSizeK]);
    qint64 k = nextFreeFileNumber();
    for (qint64 m = 1; m <= count; ++m) {
        host_.setProgressBarWidth(progressWidth(host_.progressTrackWidth(), m, count));
        channel_.setCurrentCommand(List);
        if (channel_.sendMsg(List + Blank + QString::number(m), Pop3Channel::CommandTimeout))
            return true;
        const qint64 size = pop3::listSize(channel_.replyData);
        if (maxSizeK <= static_cast<double>(size / 1024))
            continue; // at or above the size limit: skipped silently
        if (retrieveOne(account, m, size, k))
            return true;
        ++nextRow_;
        if (table_.grid().Rows() - nextRow_ < MinFreeRows)
            table_.grid().setRows(table_.grid().Rows() + GrowRows);
        ++k;
    }
    return false;
}

bool RetrievalRun::retrieveOne(const Account& account, qint64 m, qint64 size, qint64 k) {
    const QString name = messageFileName(k);
    QFile file(global_.dataPath(name));
    // A file that cannot be created fails the account at once rather than after the RETR's
    // minute of waiting for an end that could never be written.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        channel_.commandError = true;
        return true;
    }
    channel_.messageFile = &file;
    channel_.setCurrentCommand(Retr);
    const bool failed =
        channel_.sendMsg(Retr + Blank + QString::number(m), Pop3Channel::RetrTimeout);
    channel_.messageFile = nullptr;
    file.close();
    if (failed)
        return true;
    table_.setCell(nextRow_, col::Bytes, QString::number(size));
    table_.setCell(nextRow_, col::Account, account.AccountName);
    table_.setCell(nextRow_, col::Size, QString::number(size / 1024) + KiloSuffix);
    table_.setCell(nextRow_, col::N, QString::number(m));
    table_.setCell(nextRow_, col::File, name);
    return false;
}

qint64 RetrievalRun::nextFreeFileNumber() const {
    qint64 k = 1;
    while (QFile::exists(global_.dataPath(messageFileName(k))))
        ++k;
    return k;
}
