#include "mail/processing_run.h"

#include "classify/sender_list.h"
#include "mail/mail_run_host.h"
#include "mail/pop3_channel.h"
#include "mail/pop3_reply.h"
#include "platform/platform.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "store/text.h"
#include "store/text_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QLatin1String DeletingSpam("Deleting spam");
const QLatin1String Done("Done");
const QLatin1String WrongSize("Wrong size - email not deleted!      ");
const QLatin1String KeptOnServer("Kept on server: no Trash copy of ");
const QLatin1String NotSaved("Could not save ");

const QLatin1String TrashPrefix("Email");
const QLatin1String TrashSuffix(".eml");

const QLatin1String List("LIST");
const QLatin1String Dele("DELE");
const QLatin1Char Blank(' ');

const QLatin1String Blacklisted("Blacklisted");
const QLatin1String Whitelisted("Whitelisted");
const QLatin1String EnabledOn("1");
const QLatin1Char Open('<');
const QLatin1Char Close('>');

// Lets the e-mail program get going before the main window closes.
constexpr int EmailProgramYields = 5;

// The address a "B" or "W" row adds to a list. Unlike the lists check, a From whose last ">"
// stands before its last "<" is added whole rather than as an empty address.
QString senderToAdd(const QString& from) {
    return from.lastIndexOf(Close) > from.lastIndexOf(Open) ? sender::address(from) : from;
}

// n modulo keep in 0 .. keep - 1, so a hand-edited negative counter still names a kept slot.
qint64 slotOf(qint64 n, qint64 keep) {
    const qint64 rest = n % keep;
    return rest < 0 ? rest + keep : rest;
}

} // namespace

ProcessingRun::ProcessingRun(Pop3Channel& channel, Global& global, MessageTable& table,
                             TextPane& pane, MailRunHost& host, Platform& platform,
                             std::function<void()> runEmailProgram,
                             std::function<void()> closeMainWindow)
    : channel_(channel), global_(global), table_(table), pane_(pane), host_(host),
      platform_(platform), runEmailProgram_(std::move(runEmailProgram)),
      closeMainWindow_(std::move(closeMainWindow)) {}

bool ProcessingRun::closing() const {
    return channel_.abandoned();
}

void ProcessingRun::Command2_Click() {
    if (!table_.isOccupied(1))
        return;
    if (host_.autoCheckBusy()) {
        channel_.AddList(MailRunHost::busyLine());
        return;
    }
    if (channel_.closeBeforeRun() || closing())
        return;
    platform_.setBusy(true);
    pane_.clear();
    host_.Buttons(false);
    listPass();
    if (closing())
        return;
    // Saved before any server is contacted, so the additions persist when every account fails.
    saveLists();
    accountPass();
    if (closing())
        return;
    table_.ClearGrid();
    channel_.AddList(Done);
    host_.Buttons(true);
    platform_.setBusy(false);
    if (global_.settings.isNumericOne(setting::RunEmailProgram))
        startEmailProgramAndClose();
}

void ProcessingRun::listPass() {
    for (int r = 1; table_.isOccupied(r); ++r) {
        const QString action = table_.cell(r, col::Action);
        const QString reason = table_.cell(r, col::Reason);
        const QString address = senderToAdd(table_.cell(r, col::From));
        // Rows marked by a list match are on their list already.
        if (action == action::Blacklist && !text::startsExactly(reason, Blacklisted)) {
            global_.blacklist.add(address);
            global_.blackIP.add(table_.cell(r, col::IP));
        } else if (action == action::Whitelist && !text::startsExactly(reason, Whitelisted)) {
            global_.whitelist.add(address);
        }
        channel_.clock().yieldOnce();
        if (closing())
            return;
    }
}

void ProcessingRun::saveLists() {
    for (const EntryList* list : {&global_.blackIP, &global_.blacklist, &global_.whitelist})
        if (list->save(global_.DataFolder))
            channel_.AddList(NotSaved + list->fileName());
}

void ProcessingRun::accountPass() {
    channel_.forEachEnabledAccount(global_.accounts, [this](int row) { DeleteMail(row); });
}

void ProcessingRun::startEmailProgramAndClose() {
    runEmailProgram_();
    for (int i = 0; i < EmailProgramYields; ++i)
        channel_.clock().yieldOnce();
    if (!closing())
        closeMainWindow_();
}

void ProcessingRun::DeleteMail(int a) {
    const Account& account = global_.accounts.row(a);
    if (channel_.logIn(account) || closing())
        return;
    channel_.AddList(DeletingSpam);
    // The whole grid, not just the occupied rows: cells are read as the run reaches them.
    for (int r = 1; r < table_.grid().Rows(); ++r)
        if (isMarkedFor(r, account) && disposeOf(r))
            return; // the caller closes the connection; no QUIT after a failure
    channel_.quit();
}

bool ProcessingRun::isMarkedFor(int r, const Account& account) const {
    const QString action = table_.cell(r, col::Action);
    return table_.cell(r, col::Account) == account.AccountName && account.Enabled == EnabledOn &&
           (action == action::Blacklist || action == action::Delete);
}

// Copies row r's message to Trash and deletes it from the server. The copy comes first: a
// message whose copy could not be written stays on the server. Returns true when a command
// failed and the account must be abandoned.
bool ProcessingRun::disposeOf(int r) {
    const std::optional<qint64> size = serverSize(r);
    if (!size)
        return true;
    const bool sizeMatches = *size == text::leadingInteger(table_.cell(r, col::Bytes));
    if (!sizeMatches)
        platform_.messageBox(WrongSize, Platform::Buttons::Ok, Platform::Icon::None,
                             QCoreApplication::applicationName());
    const QString file = table_.cell(r, col::File);
    const TrashCopy copy = copyToTrash(file);
    if (!sizeMatches)
        return false;
    if (copy == TrashCopy::Failed) {
        channel_.AddList(KeptOnServer + file);
        return false;
    }
    channel_.setCurrentCommand(Dele);
    return channel_.sendMsg(Dele + Blank + table_.cell(r, col::N), Pop3Channel::CommandTimeout);
}

// The size the server lists for row r's message, or the row's own size when the check is off;
// nothing when the LIST failed.
std::optional<qint64> ProcessingRun::serverSize(int r) {
    if (!global_.settings.isNumericOne(setting::SafeDeletion))
        return text::leadingInteger(table_.cell(r, col::Bytes));
    channel_.setCurrentCommand(List);
    if (channel_.sendMsg(List + Blank + table_.cell(r, col::N), Pop3Channel::CommandTimeout))
        return std::nullopt;
    return pop3::listSize(channel_.replyData);
}

// Takes a Trash slot whether or not there is a file to copy, so every handled row advances the
// counter once.
ProcessingRun::TrashCopy ProcessingRun::copyToTrash(const QString& messageFile) {
    const QString trashName = takeTrashName();
    QFile source(global_.dataPath(messageFile));
    if (!QFileInfo(source).isFile())
        return TrashCopy::NoFile;
    if (!source.open(QIODevice::ReadOnly))
        return TrashCopy::Failed;
    const QByteArray bytes = source.readAll();
    // Written whole or not at all: a full disk never leaves a truncated copy behind.
    QSaveFile target(textfile::join(global_.TrashFolder, trashName));
    if (source.error() != QFileDevice::NoError || !target.open(QIODevice::WriteOnly))
        return TrashCopy::Failed;
    target.write(bytes);
    return target.commit() ? TrashCopy::Made : TrashCopy::Failed;
}

QString ProcessingRun::takeTrashName() {
    const qint64 keep = global_.settings.trashKeep();
    const qint64 slot = slotOf(global_.settings.number(setting::TrashNext), keep);
    global_.settings[setting::TrashNext] = QString::number((slot + 1) % keep);
    return TrashPrefix + QString::number(slot) + TrashSuffix;
}
