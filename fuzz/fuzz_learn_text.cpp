// Feeds arbitrary bytes as a downloaded message file to what the learning engine is handed: the
// message taken out of the RETR reply, written as a mailbox entry, must read back from the
// mailbox as exactly that message, whatever lines it holds.
#include "learn/mail_folder.h"
#include "learn/message_text.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray text = learn::messageText(input);
    QByteArray expected = text;
    if (!text.isEmpty() && !text.endsWith('\n'))
        expected += '\n';
    expected += '\n'; // the blank line that ends an entry
    const QList<QByteArray> back = learn::mailboxMessages(learn::mailboxEntry(text));
    if (back.size() != 1 || back.front() != expected)
        std::abort();
    return 0;
}
