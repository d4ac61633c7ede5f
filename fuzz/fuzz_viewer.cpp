// Feeds arbitrary bytes to the message viewer and to StripTags. Neither may crash or hang, and
// StripTags leaves no "<" and none of the two entities it decodes.
#include "mime/strip_tags.h"
#include "review/message_viewer.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    messageText(bytes);

    const QString stripped = StripTags(QString::fromLatin1(bytes));
    if (stripped.contains(QLatin1Char('<')) || stripped.contains(QLatin1String("&nbsp;")) ||
        stripped.contains(QLatin1String("&quot;")))
        std::abort();
    return 0;
}
