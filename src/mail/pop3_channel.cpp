#include "mail/pop3_channel.h"

#include "mail/pop3_reply.h"
#include "mail/run_observer.h"
#include "platform/platform.h"
#include "store/data_files.h"
#include "store/text.h"

#include <QIODevice>

#include <utility>

namespace {

const QLatin1String ConnectTo("Connect to ");
const QLatin1String ConnectError("Connect error");
const QLatin1String NotConnected("Not connected");
const QLatin1String CloseConnectionLine("Close connection");
const QLatin1String BadCommand("Error - bad command");
const QLatin1String CloseErrorBeforeRun("Error - close connection");
const QLatin1String CloseErrorAfterDialogue("Error - Close connection");

const QLatin1String WinsockErrorTitle("Winsock error!");
const QLatin1String
    WinsockErrorIntro("Error messages aren't usually helpful, but for what it's worth...      ");
const QLatin1String WinsockErrorNumber("Error ");
const QLatin1String
    WinsockErrorAdvice("Check your internet connection and email account settings.      ");

const QByteArray Capa("CAPA");
const QLatin1String Pipelining("PIPELINING");
const QLatin1String Uidl("UIDL");
const QLatin1String Stls("STLS");
const QLatin1String ListAll("LIST");
const QLatin1String Retr("RETR ");
const QLatin1String Quit("QUIT");
const QLatin1String Stat("STAT");
const QLatin1String List("LIST ");
const QLatin1String Dele("DELE ");
const QLatin1String LineEnd("\r\n");

} // namespace

Pop3Channel::Pop3Channel(SocketControl& socket, WaitClock& clock, Platform& platform, RunLog& log,
                         QObject* parent)
    : QObject(parent), socket_(socket), clock_(clock), platform_(platform), log_(log) {
    connect(&socket_, &SocketControl::DataArrival, this, &Pop3Channel::Winsock1_DataArrival);
    connect(&socket_, &SocketControl::CloseEvent, this, &Pop3Channel::Winsock1_Close);
    connect(&socket_, &SocketControl::Error, this, &Pop3Channel::Winsock1_Error);
}

bool Pop3Channel::ConnectToServer(const Account& account) {
    AddList(ConnectTo + account.AccountName);
    closeExpected_ = false;
    peerClosed_ = false;
    const qint64 port = text::leadingInteger(account.Port);
    // A port outside the socket's range is passed as -1, which the socket reports as an error.
    socket_.Connect(account.MailServer, port >= 0 && port <= 0xFFFF ? static_cast<int>(port) : -1);
    line_.enqueue(Pending{});
    sentCount_ = 1;
    if (!takeReply(GreetingTimeout)) {
        AddList(ConnectError);
        return true;
    }
    // Nothing more is said to a server whose greeting outgrew the line limit.
    return tooLong_;
}

// A server whose greeting already failed the dialogue, or that refuses CAPA or does not list
// PIPELINING, is spoken to one command at a time. One that does not answer at all fails the
// dialogue: a reply arriving later would be taken for the next command's.
bool Pop3Channel::askCapabilities() {
    if (commandError || socket_.State() != SocketControl::Connected)
        return false;
    queue(Command::Capa, Capa);
    if (!takeReply(CommandTimeout))
        commandError = true;
    const bool answered = !commandError && !replyRefused_;
    pipelining_ = answered && pop3::offers(replyData, Pipelining);
    offersStls_ = answered && pop3::offers(replyData, Stls);
    capabilities_ = answered ? replyData : QString();
    stream_.clear();
    return commandError;
}

// A server reached in the clear that offers STLS gets no password in the clear: the connection
// is encrypted and the server verified first, as over POP3S, and where that fails the account
// is abandoned. A server that offers nothing is spoken to in the clear, as it always was. Then
// the capabilities are asked again (RFC 2595): those given in the clear may have been forged.
bool Pop3Channel::startTls() {
    if (!offersStls_ || socket_.encrypted())
        return false;
    if (sendMsg(Command::Other, Stls, CommandTimeout))
        return true;
    socket_.startEncryption();
    stream_.clear();
    waitFor([this] { return commandError || socket_.State() == SocketControl::Connected; },
            GreetingTimeout);
    if (commandError || socket_.State() != SocketControl::Connected) {
        commandError = true;
        return true;
    }
    return askCapabilities();
}

bool Pop3Channel::sendMsg(Command command, const QString& m, double timeoutSeconds) {
    // A command announced ahead is already in line: only its reply is still to be taken, and
    // part of it may have arrived before the server closed the connection.
    // Commands are ASCII; a user name or password in another script goes as UTF-8 (RFC 6856).
    const QByteArray line = m.toUtf8();
    const bool announced = nextInLine(line);
    if (!announced && socket_.State() != SocketControl::Connected) {
        AddList(NotConnected);
        return true;
    }
    // Replies come in the order their commands went out. A command asked out of that order
    // would be handed the reply of one sent ahead of it, so the dialogue fails instead.
    if (!announced && !line_.isEmpty())
        commandError = true;
    if (!commandError)
        sendFramed(command, line, announced, timeoutSeconds);
    // RFC 1939: the server closes the connection once it has answered QUIT.
    closeExpected_ = command == Command::Quit && replyDone && !commandError;
    return commandError;
}

bool Pop3Channel::CloseConnection() {
    const auto closed = [this] { return socket_.State() == SocketControl::Closed; };
    // After an answered QUIT the server is closing the connection: this side closes at once
    // rather than wait for the server's close to reach it, and logs the close as that would.
    if (std::exchange(closeExpected_, false) && !closed()) {
        socket_.Close();
        AddList(CloseConnectionLine);
    }
    // Lets a closing in progress finish.
    waitFor([this, closed] { return closed() || socket_.State() == SocketControl::Connected; },
            CloseTimeout);
    if (!closed()) {
        socket_.Close();
        waitFor(closed, CloseTimeout);
    }
    return !closed();
}

void Pop3Channel::waitFor(const std::function<bool()>& done, double seconds) {
    // Every wait ends at once when the program is closing.
    clock_.waitUntil([this, &done] { return abandoned_ || done(); }, seconds);
}

void Pop3Channel::AddList(const QString& line) {
    log_.AddList(line);
}

void Pop3Channel::CheckForMail(const Account& account, qint64& count, qint64& sizeK) {
    const std::optional<Mailbox> mailbox = openMailbox(account);
    if (!mailbox)
        return;
    count = mailbox->count;
    sizeK = mailbox->sizeK;
    quit();
}

void Pop3Channel::startDialogue() {
    replyDone = false;
    commandError = false;
    pipelining_ = false;
    offersStls_ = false;
    capabilities_.clear();
    certificateError_.clear();
    tooLong_ = false;
    line_.clear();
    sentCount_ = 0;
    stream_.clear();
    listing_.reset();
    idsTaken_ = false;
    ids_.reset();
}

std::optional<Pop3Channel::Mailbox> Pop3Channel::openMailbox(const Account& account) {
    if (logIn(account) || sendMsg(Command::Other, Stat, CommandTimeout))
        return std::nullopt;
    return Mailbox{pop3::statCount(replyData), pop3::statSizeK(replyData)};
}

std::optional<qint64> Pop3Channel::list(qint64 n) {
    if (listing_) {
        const auto size = listing_->constFind(n);
        if (commandError || size == listing_->cend()) {
            commandError = true;
            return std::nullopt;
        }
        return *size;
    }
    if (sendMsg(Command::Other, List + QString::number(n), CommandTimeout))
        return std::nullopt;
    return pop3::listSize(replyData);
}

bool Pop3Channel::retr(qint64 n, qint64 listedSize, QIODevice& file) {
    if (!file.isWritable()) {
        commandError = true;
        return true;
    }
    retrLimit_ = retrLimit(listedSize);
    messageFile = &file;
    const bool failed = sendMsg(Command::Retr, Retr + QString::number(n), RetrTimeout);
    messageFile = nullptr;
    return failed;
}

bool Pop3Channel::listAll(UniqueIds ids) {
    if (!pipelining_)
        return false;
    // The unique ids go out in the same round trip, for the uniqueIds() call that follows.
    const bool takeIds = ids == UniqueIds::Take;
    queue(Command::Listing, ListAll.latin1());
    if (takeIds)
        queue(Command::Uidl, Uidl.latin1());
    if (sendMsg(Command::Listing, ListAll, CommandTimeout))
        return true;
    listing_ = pop3::listing(replyData);
    if (takeIds) {
        idsTaken_ = true;
        ids_ = takeUniqueIds();
    }
    return commandError;
}

std::optional<QHash<qint64, QByteArray>> Pop3Channel::uniqueIds() {
    if (std::exchange(idsTaken_, false))
        return std::exchange(ids_, std::nullopt);
    return takeUniqueIds();
}

std::optional<QHash<qint64, QByteArray>> Pop3Channel::takeUniqueIds() {
    if (sendMsg(Command::Uidl, Uidl, CommandTimeout) || replyRefused_)
        return std::nullopt;
    return pop3::uniqueIds(replyData);
}

void Pop3Channel::retrAhead(const QList<qint64>& numbers) {
    if (!pipelining_)
        return;
    for (qint64 n : numbers)
        queue(Command::Retr, (Retr + QString::number(n)).toLatin1());
    sendQueued();
}

bool Pop3Channel::deleAll(const QList<qint64>& numbers) {
    if (pipelining_) {
        for (qint64 n : numbers)
            queue(Command::Other, (Dele + QString::number(n)).toLatin1());
        sendQueued();
    }
    for (qint64 n : numbers)
        if (dele(n))
            return true;
    return false;
}

bool Pop3Channel::dele(qint64 n) {
    return sendMsg(Command::Other, Dele + QString::number(n), CommandTimeout);
}

bool Pop3Channel::quit() {
    return sendMsg(Command::Quit, Quit, CommandTimeout);
}

void Pop3Channel::endDialogue() {
    if (commandError)
        AddList(BadCommand);
    if (CloseConnection())
        AddList(CloseErrorAfterDialogue);
}

bool Pop3Channel::closeBeforeRun() {
    if (!CloseConnection())
        return false;
    AddList(CloseErrorBeforeRun);
    return true;
}

void Pop3Channel::Stop() {
    commandError = true;
    replyDone = true;
    closeBeforeRun();
}

void Pop3Channel::abandon() {
    abandoned_ = true;
    commandError = true;
    replyDone = true;
}

void Pop3Channel::Winsock1_DataArrival(qint64) {
    const QByteArray data = socket_.GetData();
    // The socket may announce data that another handler has already taken.
    if (data.isEmpty())
        return;
    stream_ += data;
    readFramed();
}

void Pop3Channel::Winsock1_Close() {
    // A reply still awaited can no longer come: its wait ends now, not at its time-out.
    peerClosed_ = true;
    socket_.Close();
    clock_.yieldOnce();
    clock_.yieldOnce();
    AddList(CloseConnectionLine);
}

void Pop3Channel::Winsock1_Error(int number, const QString& description) {
    platform_.setBusy(false);
    // A certificate nothing vouches for is put to the user by the sign-in instead.
    if (!socket_.untrustedCertificate().isEmpty()) {
        certificateError_ = description;
        commandError = true;
        replyDone = true;
        return;
    }
    const QString detail = QLatin1Char('"') + WinsockErrorNumber + QString::number(number) +
                           QLatin1Char(' ') + description + QLatin1Char('"');
    if (unattended_)
        AddList(WinsockErrorTitle + QLatin1Char(' ') + detail);
    else
        platform_.messageBox(WinsockErrorIntro + LineEnd + detail + LineEnd + WinsockErrorAdvice,
                             Platform::Buttons::Ok, Platform::Icon::Critical, WinsockErrorTitle);
    commandError = true;
    replyDone = true;
}
