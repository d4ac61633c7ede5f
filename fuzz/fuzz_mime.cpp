// Feeds arbitrary bytes through the decoding path: a stored message's structure and readable
// text, and its first line as a header value and a Content-Type. Nothing may crash or hang,
// and a header value of plain ASCII without encoded words reads as it stands.
#include "mime/mime_message.h"
#include "mime/mime_text.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    mime::structure(bytes);
    mime::readable(bytes);
    const QByteArray line = bytes.left(bytes.indexOf('\n'));
    const QString header = mime::decodeHeader(line, mime::charsetOf(line));
    if (mime::isAscii(line) && !line.contains("=?") && header != QString::fromLatin1(line))
        std::abort();
    return 0;
}
