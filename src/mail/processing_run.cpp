#include "mail/processing_run.h"

#include "classify/sender_list.h"
#include "mail/email_program.h"
#include "mail/learning_pass.h"
#include "mail/pop3_channel.h"
#include "platform/platform.h"
#include "review/message_table.h"
#include "store/global.h"
#include "store/text.h"
#include "store/trash_copies.h"

#include <QCoreApplication>

namespace {

const QLatin1String DeletingSpam("Deleting spam");
const QLatin1String Done("Done");
const QLatin1String WrongSize("Wrong size - email not deleted!      ");
const QLatin1String KeptOnServer("Kept on server: no Trash copy of ");
const QLatin1String NoMessageFile("Kept on server: its message file is missing: ");
const QLatin1String NotSaved("Could not save ");
const QLatin1String NotFound("Not on the server any more, not deleted: ");
const QLatin1String TrashNotOnDisk("Kept on server: the Trash copies could not be saved");
const QLatin1String CounterNotSaved("Kept on server: the Trash counter could not be saved");

const QLatin1String TrashPrefix("Email");
const QLatin1String TrashSuffix(".eml");

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

void ProcessingRun::Command2_Click() {
    if (carryOut(true) && context_.global.settings.isNumericOne(setting::RunEmailProgram))
        startEmailProgramAndClose();
}

// The rows of an unattended run are the program's own proposals, which nobody reviewed: they
// do not teach the learning engine, which learns from the user's decisions alone.
void ProcessingRun::processUnattended() {
    carryOut(false);
}

bool ProcessingRun::carryOut(bool teach) {
    if (!context_.table.isOccupied(1) || !begin())
        return false;
    context_.observer.clearLog();
    listPass();
    if (closing())
        return false;
    // Saved before any server is contacted, so the additions persist when every account fails.
    saveLists();
    accountPass();
    if (closing())
        return false;
    if (teach && learning_.on() &&
        learning_.teach(learning::lessons(context_.table, context_.global)))
        context_.observer.AddList(NotSaved + LearningEngine::recordName());
    context_.table.ClearGrid();
    end(Done);
    return true;
}

void ProcessingRun::listPass() {
    const MessageTable& table = context_.table;
    Global& global = context_.global;
    for (int r = 1; table.isOccupied(r); ++r) {
        const QString action = table.cell(r, col::Action);
        const QString reason = table.cell(r, col::Reason);
        const QString address = senderToAdd(table.cell(r, col::From));
        // Rows marked by a list match are on their list already.
        if (action == action::Blacklist && !text::startsExactly(reason, Blacklisted)) {
            global.blacklist.add(address);
            global.blackIP.add(table.cell(r, col::IP));
        } else if (action == action::Whitelist && !text::startsExactly(reason, Whitelisted)) {
            global.whitelist.add(address);
        }
        yieldOnce();
        if (closing())
            return;
    }
}

void ProcessingRun::saveLists() {
    const Global& global = context_.global;
    for (const EntryList* list : {&global.blackIP, &global.blacklist, &global.whitelist})
        if (list->save(global.DataFolder))
            context_.observer.AddList(NotSaved + list->fileName());
}

void ProcessingRun::startEmailProgramAndClose() {
    startEmailProgram(context_.global.settings, context_.platform);
    for (int i = 0; i < EmailProgramYields; ++i)
        yieldOnce();
    if (!closing())
        context_.observer.closeRequested();
}

void ProcessingRun::DeleteMail(int a) {
    const Account& account = context_.global.accounts.row(a);
    Pop3Channel& channel = context_.channel;
    // Written while the server is logging in, so that little is left to do when its sizes are in.
    TrashCopies copies(context_.global.TrashFolder, markedFiles(account));
    if (channel.logIn(account) || closing())
        return;
    context_.observer.AddList(DeletingSpam);
    // On a pipelining server the sizes come from one LIST and the DELEs go together after the
    // Trash copies; the server deletes nothing before it has answered QUIT.
    if (safeDeletion() && channel.listAll(Pop3Channel::UniqueIds::Take))
        return;
    takeUniqueIds();
    if (channel.failed())
        return;
    QList<qint64> deleAhead;
    // The whole grid, not just the occupied rows: cells are read as the run reaches them.
    for (int r = 1; r < context_.table.grid().Rows(); ++r)
        if (isMarkedFor(r, account) && disposeOf(r, copies, deleAhead))
            return; // the caller closes the connection; no QUIT after a failure
    if ((!deleAhead.isEmpty() && !trashOnDisk(copies)) || channel.deleAll(deleAhead))
        return;
    channel.quit();
}

bool ProcessingRun::safeDeletion() const {
    return context_.global.settings.isNumericOne(setting::SafeDeletion);
}

void ProcessingRun::takeUniqueIds() {
    idByNumber_ = context_.channel.uniqueIds().value_or(QHash<qint64, QByteArray>());
    numberById_.clear();
    for (auto id = idByNumber_.cbegin(); id != idByNumber_.cend(); ++id)
        numberById_.insert(id.value(), id.key());
}

// Where row r's message is on the server now. The mailbox may have changed since Get mail (a
// phone or webmail deleted a message and the server renumbered the rest), and messages of the
// same size cannot be told apart by their size: when both Get mail and this dialogue have
// unique ids, the number that carries the row's id now, or nothing when none does. Otherwise
// the row's own number, which the size check guards.
std::optional<qint64> ProcessingRun::currentNumber(int r) const {
    const qint64 n = text::leadingInteger(context_.table.cell(r, col::N));
    const QByteArray id = context_.table.messageId(r);
    if (id.isEmpty() || idByNumber_.isEmpty() || idByNumber_.value(n) == id)
        return n;
    const auto moved = numberById_.constFind(id);
    return moved == numberById_.cend() ? std::nullopt : std::optional<qint64>(*moved);
}

// The message files of the rows marked for deletion from the account, as the grid holds them
// when its dialogue begins.
QStringList ProcessingRun::markedFiles(const Account& account) const {
    QStringList files;
    for (int r = 1; r < context_.table.grid().Rows(); ++r)
        if (isMarkedFor(r, account))
            files.append(context_.global.dataPath(context_.table.cell(r, col::File)));
    return files;
}

bool ProcessingRun::isMarkedFor(int r, const Account& account) const {
    const QString action = context_.table.cell(r, col::Action);
    return context_.table.cell(r, col::Account) == account.AccountName &&
           account.Enabled == EnabledOn &&
           (action == action::Blacklist || action == action::Delete);
}

// Copies row r's message to Trash and deletes it from the server, or on a pipelining server
// adds its number to `deleAhead`. The copy comes first: a message whose copy could not be
// written stays on the server. Returns true when a command failed and the account must be
// abandoned.
bool ProcessingRun::disposeOf(int r, TrashCopies& copies, QList<qint64>& deleAhead) {
    const MessageTable& table = context_.table;
    const std::optional<qint64> n = currentNumber(r);
    if (!n) {
        context_.observer.AddList(NotFound + table.cell(r, col::File));
        return false;
    }
    const std::optional<qint64> size = serverSize(r, *n);
    if (!size)
        return true;
    const bool sizeMatches = *size == text::leadingInteger(table.cell(r, col::Bytes));
    if (!sizeMatches)
        context_.platform.messageBox(WrongSize, Platform::Buttons::Ok, Platform::Icon::None,
                                     QCoreApplication::applicationName());
    const QString file = table.cell(r, col::File);
    // Takes a Trash slot whether or not there is a file to copy, so every handled row advances
    // the counter once.
    const TrashCopies::Copy copy = copies.place(context_.global.dataPath(file), takeTrashName());
    if (!sizeMatches)
        return false;
    // Without a copy, a message deleted by mistake could never be brought back.
    if (copy != TrashCopies::Copy::Made) {
        context_.observer.AddList(
            (copy == TrashCopies::Copy::NoFile ? NoMessageFile : KeptOnServer) + file);
        return false;
    }
    if (!context_.channel.pipelining())
        return !trashOnDisk(copies) || context_.channel.dele(*n);
    deleAhead.append(*n);
    return false;
}

// The Trash copies made so far reach the disk before the server is told to delete their
// messages, and so does the Trash counter past them: a crash afterwards must not let the next
// Process write over a copy whose message is gone. One flush of the file system for all the
// copies a pipelining server deletes together, rather than one per copy. When either fails,
// nothing is deleted (no QUIT).
bool ProcessingRun::trashOnDisk(TrashCopies& copies) {
    if (!copies.onDisk()) {
        context_.observer.AddList(TrashNotOnDisk);
        return false;
    }
    if (context_.global.SaveSettings()) {
        context_.observer.AddList(CounterNotSaved);
        return false;
    }
    return true;
}

// The size the server lists for message n, row r's message, or the row's own size when the
// check is off; nothing when the LIST failed.
std::optional<qint64> ProcessingRun::serverSize(int r, qint64 n) {
    if (!safeDeletion())
        return text::leadingInteger(context_.table.cell(r, col::Bytes));
    return context_.channel.list(n);
}

QString ProcessingRun::takeTrashName() {
    const qint64 keep = context_.global.settings.trashKeep();
    const qint64 slot = slotOf(context_.global.settings.number(setting::TrashNext), keep);
    context_.global.settings[setting::TrashNext] = QString::number((slot + 1) % keep);
    return TrashPrefix + QString::number(slot) + TrashSuffix;
}
