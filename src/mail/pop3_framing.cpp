// The framed reply reader of the POP3 channel: commands queued and sent ahead of their
// replies, and each reply taken whole, in order, from the bytes received. Every reply is read
// this way, on every server: a status line ends at its line end however the server's data is
// split into arrivals, a multi-line reply at its closing "." line.
#include "mail/pop3_channel.h"

#include "mail/pop3_reply.h"

#include <QIODevice>

#include <algorithm>

namespace {

const QLatin1String ReplyTooLong("Error - reply too long");
const QByteArray ErrorBytes("-ER");
const QByteArray CommandEnd("\r\n");

} // namespace

void Pop3Channel::sendFramed(Command command, const QByteArray& line, bool announced,
                             double timeoutSeconds) {
    // A server spoken to one command at a time owes nothing but this reply: whatever it sent
    // before is no part of it.
    if (!pipelining_)
        stream_.clear();
    if (!announced)
        queue(command, line);
    if (!takeReply(timeoutSeconds))
        commandError = true;
}

bool Pop3Channel::isTextReply(Command command) {
    return command == Command::Capa || command == Command::Listing || command == Command::Uidl;
}

void Pop3Channel::queue(Command command, const QByteArray& line) {
    line_.enqueue(Pending{command, line});
}

// Sends the queued commands the depth allows; nothing more once the dialogue has failed.
void Pop3Channel::sendQueued() {
    while (sentCount_ < std::min(line_.size(), PipelineDepth) && !commandError &&
           socket_.State() == SocketControl::Connected)
        socket_.SendData(line_.at(sentCount_++).line + CommandEnd);
}

bool Pop3Channel::nextInLine(const QByteArray& line) const {
    return !line_.isEmpty() && line_.head().line == line;
}

// Waits for the reply at the head of the line, reading first what has arrived already. False
// when it was not complete within the time-out or the server closed the connection first.
bool Pop3Channel::takeReply(double timeoutSeconds) {
    sendQueued();
    replyDone = false;
    reading_ = true;
    statusRead_ = false;
    replyRefused_ = false;
    replyText_.clear();
    retrTail_.clear();
    retrWritten_ = 0;
    readFramed();
    // Bytes come before the close that follows them, so a reply the server finished before it
    // closed is complete by then.
    waitFor([this] { return replyDone || peerClosed_; }, timeoutSeconds);
    reading_ = false;
    return replyDone;
}

// Takes the bytes of the reply being read from what has arrived, leaving those of the replies
// after it: a status line alone when the reply is an error or a single line, otherwise up to
// the closing "." line.
void Pop3Channel::readFramed() {
    if (!reading_ || line_.isEmpty())
        return;
    if (!statusRead_) {
        const qsizetype lineEnd = stream_.indexOf('\n');
        if (lineEnd < 0) {
            if (stream_.size() > LineLimit)
                replyTooLong();
            return;
        }
        statusRead_ = true;
        replyRefused_ = stream_.startsWith(ErrorBytes);
        const Command command = line_.head().command;
        if (replyRefused_ && command != Command::Capa && command != Command::Uidl)
            commandError = true;
        if (replyRefused_ || (command != Command::Retr && !isTextReply(command))) {
            takeFramed(lineEnd + 1);
            finishReply();
            return;
        }
    }
    const qsizetype end = pop3::multiLineEnd(retrTail_, stream_);
    if (takeFramed(end < 0 ? stream_.size() : end) && end >= 0)
        finishReply();
}

// The first `size` bytes received go to the RETR's file or to the reply's text. A file that
// cannot be written, or a reply grown past its limit, fails the dialogue at once (false).
bool Pop3Channel::takeFramed(qsizetype size) {
    const QByteArray bytes = stream_.first(size);
    stream_.remove(0, size);
    retrTail_ = pop3::multiLineTail(retrTail_, bytes);
    if (!messageFile) {
        replyText_ += bytes;
        if (replyText_.size() <= TextReplyLimit)
            return true;
        replyTooLong();
        return false;
    }
    return writeRetrData(bytes);
}

// Past its limit a RETR's data is not written; a file that takes less than it is given fails
// the dialogue too.
bool Pop3Channel::writeRetrData(const QByteArray& bytes) {
    retrWritten_ += bytes.size();
    if (retrWritten_ > retrLimit_) {
        replyTooLong();
        return false;
    }
    if (messageFile->write(bytes) == bytes.size())
        return true;
    commandError = true;
    replyDone = true;
    return false;
}

// A server that sends more than any reply of its kind can hold is broken or hostile: the
// account is abandoned before its bytes can fill the memory or the disk.
void Pop3Channel::replyTooLong() {
    AddList(ReplyTooLong);
    tooLong_ = true;
    commandError = true;
    replyDone = true;
}

void Pop3Channel::finishReply() {
    reading_ = false;
    replyData = QString::fromLatin1(replyText_);
    line_.dequeue();
    --sentCount_;
    replyDone = true;
    sendQueued();
}
