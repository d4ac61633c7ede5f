#include "mime/mime_text.h"

#include "mime/gmime_ref.h"

#include <optional>

namespace mime {

void ensureInitialised() {
    static const bool done = [] {
        g_mime_init();
        return true;
    }();
    (void)done;
}

namespace {

const char* const Utf8 = "UTF-8";
const char* const Windows1252 = "windows-1252";

// Invalid sequences read as replacement characters, which do not write back the same.
bool isUtf8(QByteArrayView bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Through iconv as GMime names the charsets; nothing when the charset is unknown or the
// bytes do not fit it.
std::optional<QByteArray> toUtf8(QByteArrayView bytes, const char* charset) {
    ensureInitialised();
    iconv_t cd = g_mime_iconv_open(Utf8, charset);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    const CString out(g_mime_iconv_strndup(cd, bytes.data(), static_cast<size_t>(bytes.size())));
    g_mime_iconv_close(cd);
    if (!out)
        return std::nullopt;
    return QByteArray(out.get());
}

bool isUtf8Name(const QByteArray& charset) {
    const QByteArray name = charset.trimmed().toLower();
    return name == "utf-8" || name == "utf8" || name == "us-ascii";
}

// Windows-1252 leaves five bytes undefined; a text holding one of them is read one
// character per byte instead, so nothing is ever dropped.
QByteArray fallbackUtf8(QByteArrayView bytes) {
    if (const auto utf8 = toUtf8(bytes, Windows1252))
        return *utf8;
    return QString::fromLatin1(bytes).toUtf8();
}

QByteArray declaredOrFallback(QByteArrayView bytes, const QByteArray& charset) {
    if (!charset.isEmpty() && !isUtf8Name(charset))
        if (const auto utf8 = toUtf8(bytes, charset.constData()))
            return *utf8;
    return fallbackUtf8(bytes);
}

} // namespace

bool isAscii(QByteArrayView bytes) {
    // The high bits of a block are gathered without a branch, which the compiler turns into
    // wide instructions; bodies are long and nearly always ASCII.
    constexpr qsizetype Block = 64;
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype at = 0;
    for (; at + Block <= bytes.size(); at += Block) {
        uchar high = 0;
        for (qsizetype i = 0; i < Block; ++i)
            high |= data[at + i];
        if (high & 0x80)
            return false;
    }
    for (; at < bytes.size(); ++at)
        if (data[at] & 0x80)
            return false;
    return true;
}

QString decodeHeader(QByteArrayView raw, const QByteArray& charset) {
    ensureInitialised();
    QByteArray utf8 =
        isAscii(raw) || isUtf8(raw) ? raw.toByteArray() : declaredOrFallback(raw, charset);
    if (!utf8.contains("=?"))
        return QString::fromUtf8(utf8);
    utf8.replace('\0', ' ');
    const CString decoded(g_mime_utils_header_decode_text(nullptr, utf8.constData()));
    return QString::fromUtf8(decoded ? decoded.get() : utf8.constData());
}

QString decodeBody(QByteArrayView bytes, const QByteArray& charset) {
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (!charset.isEmpty() && !isUtf8Name(charset))
        if (const auto utf8 = toUtf8(bytes, charset.constData()))
            return QString::fromUtf8(*utf8);
    return QString::fromUtf8(isUtf8(bytes) ? bytes.toByteArray() : fallbackUtf8(bytes));
}

QByteArray charsetOf(QByteArrayView contentType) {
    ensureInitialised();
    const QByteArray value = contentType.toByteArray().replace('\0', ' ');
    const Ref<GMimeContentType> type(g_mime_content_type_parse(nullptr, value.constData()));
    const char* charset = type ? g_mime_content_type_get_parameter(type.get(), "charset") : nullptr;
    return charset ? QByteArray(charset) : QByteArray();
}

} // namespace mime
