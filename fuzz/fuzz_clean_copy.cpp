// Feeds arbitrary bytes to the clean copy a mail program is handed. As a stored file they must
// never give more than they hold; as a message, stored the way a RETR reply keeps it (status
// line, dot-stuffed lines, closing "." line), they must come back exactly.
#include "store/clean_copies.h"

#include <cstdlib>

namespace {

QByteArray storedReply(const QByteArray& message) {
    QByteArray stored("+OK\r\n");
    for (const QByteArray& line : message.split('\n'))
        stored += (line.startsWith('.') ? QByteArray(".") : QByteArray()) + line + '\n';
    stored.chop(1); // the split added one line end
    return stored + ".\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (cleancopy::message(input).size() > input.size())
        std::abort();
    // A server ends a message with a line end of its own when it has none.
    if (!input.endsWith('\n'))
        input += "\r\n";
    if (cleancopy::message(storedReply(input)) != input)
        std::abort();
    return 0;
}
