#include "mail/pop3_channel.h"

#include "mail/pop3_reply.h"
#include "mail/run_observer.h"
#include "platform/platform.h"
#include "store/data_files.h"
#include "store/text.h"

#include <QIODevice>

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

const QLatin1String ErrorReply("-ER");
const QLatin1String Retr("RETR ");
const QLatin1String Quit("QUIT");
const QLatin1String User("USER ");
const QLatin1String Pass("PASS ");
const QLatin1String Stat("STAT");
const QLatin1String List("LIST ");
const QLatin1String Dele("DELE ");
const QLatin1String LineEnd("\r\n");

// The end of a RETR reply: the end of a line followed by a line holding a single ".".
const QByteArray RetrEnd("\n.\r\n");

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
    const qint64 port = text::leadingInteger(account.Port);
    // A port outside the socket's range is passed as -1, which the socket reports as an error.
    socket_.Connect(account.MailServer, port >= 0 && port <= 0xFFFF ? static_cast<int>(port) : -1);
    waitFor([this] { return replyDone; }, GreetingTimeout);
    if (!replyDone) {
        AddList(ConnectError);
        return true;
    }
    return false;
}

bool Pop3Channel::sendMsg(Command command, const QString& m, double timeoutSeconds) {
    if (socket_.State() != SocketControl::Connected) {
        AddList(NotConnected);
        return true;
    }
    currentCommand = command;
    replyDone = false;
    retrTail_.clear();
    socket_.SendData((m + LineEnd).toLatin1());
    waitFor([this] { return replyDone; }, timeoutSeconds);
    if (!replyDone)
        commandError = true;
    // RFC 1939: the server closes the connection once it has answered QUIT.
    closeExpected_ = command == Command::Quit && replyDone && !commandError;
    return commandError;
}

bool Pop3Channel::CloseConnection() {
    const auto closed = [this] { return socket_.State() == SocketControl::Closed; };
    // Lets a closing in progress finish. Qt learns of the server's close only after the last
    // reply has been handed over, so an answered QUIT counts as a closing in progress.
    waitFor(
        [this, closed] {
            return closed() || (socket_.State() == SocketControl::Connected && !closeExpected_);
        },
        CloseTimeout);
    if (!closed()) {
        socket_.Close();
        waitFor(closed, CloseTimeout);
    }
    closeExpected_ = false;
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

bool Pop3Channel::logIn(const Account& account) {
    replyDone = false;
    commandError = false;
    currentCommand = Command::Other;
    return ConnectToServer(account) ||
           sendMsg(Command::Other, User + account.Username, CommandTimeout) ||
           sendMsg(Command::Other, Pass + account.AccountPassword, CommandTimeout);
}

std::optional<Pop3Channel::Mailbox> Pop3Channel::openMailbox(const Account& account) {
    if (logIn(account) || sendMsg(Command::Other, Stat, CommandTimeout))
        return std::nullopt;
    return Mailbox{pop3::statCount(replyData), pop3::statSizeK(replyData)};
}

std::optional<qint64> Pop3Channel::list(qint64 n) {
    if (sendMsg(Command::Other, List + QString::number(n), CommandTimeout))
        return std::nullopt;
    return pop3::listSize(replyData);
}

bool Pop3Channel::retr(qint64 n, QIODevice& file) {
    if (!file.isWritable()) {
        commandError = true;
        return true;
    }
    messageFile = &file;
    const bool failed = sendMsg(Command::Retr, Retr + QString::number(n), RetrTimeout);
    messageFile = nullptr;
    return failed;
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
    replyData = QString::fromLatin1(data);
    if (currentCommand == Command::Retr) {
        takeRetrData(data);
        return;
    }
    if (text::startsExactly(replyData, ErrorReply))
        commandError = true;
    replyDone = true; // the first arrival completes a single-line reply
}

void Pop3Channel::takeRetrData(const QByteArray& data) {
    if (!messageFile || messageFile->write(data) != data.size())
        return;
    // The end line may be split across arrivals: look for it in the tail of the earlier ones
    // followed by this arrival, and keep just enough of the tail for the next look.
    const QByteArray joined = retrTail_ + data;
    if (joined.contains(RetrEnd))
        replyDone = true;
    retrTail_ = joined.right(RetrEnd.size() - 1);
}

void Pop3Channel::Winsock1_Close() {
    socket_.Close();
    clock_.yieldOnce();
    clock_.yieldOnce();
    AddList(CloseConnectionLine);
}

void Pop3Channel::Winsock1_Error(int number, const QString& description) {
    platform_.setBusy(false);
    const QString text = WinsockErrorIntro + LineEnd + QLatin1Char('"') + WinsockErrorNumber +
                         QString::number(number) + QLatin1Char(' ') + description +
                         QLatin1Char('"') + LineEnd + WinsockErrorAdvice;
    platform_.messageBox(text, Platform::Buttons::Ok, Platform::Icon::Critical, WinsockErrorTitle);
    commandError = true;
    replyDone = true;
}
