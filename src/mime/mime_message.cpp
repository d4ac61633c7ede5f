#include "mime/mime_message.h"

#include "mime/gmime_ref.h"
#include "mime/mime_text.h"

namespace mime {

namespace {

const QString NameSeparator = QStringLiteral(": ");
// Deeper nesting than any mail program writes; the parts below it are not listed.
constexpr int MaxDepth = 32;
// No media type is longer (a subtype name has at most 127 characters), and room for a few file
// names of the longest kind is plenty for a banner: a hostile header cannot blow one up.
constexpr qsizetype MaxTypeLength = 127;
constexpr qsizetype MaxLabelLength = 1024;

Ref<GMimeMessage> parse(const QByteArray& message) {
    ensureInitialised();
    const Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(
        message.constData(), static_cast<size_t>(message.size())));
    const Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    return Ref<GMimeMessage>(g_mime_parser_construct_message(parser.get(), nullptr));
}

QString fromUtf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

QString labelOf(GMimeObject* object) {
    GMimeContentType* type = g_mime_object_get_content_type(object);
    const CString mimeType(type ? g_mime_content_type_get_mime_type(type) : nullptr);
    QString label = fromUtf8(mimeType.get()).left(MaxTypeLength);
    for (const char* name : {g_mime_object_get_content_type_parameter(object, "name"),
                             g_mime_object_get_content_disposition_parameter(object, "filename")})
        if (name)
            label += NameSeparator + fromUtf8(name);
    return label.left(MaxLabelLength);
}

bool hasName(GMimeObject* object) {
    return g_mime_object_get_content_type_parameter(object, "name") ||
           g_mime_object_get_content_disposition_parameter(object, "filename");
}

// The part's content with its transfer encoding removed.
QByteArray contentBytes(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    const Ref<GMimeStream> stream(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, stream.get());
    const GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
    return QByteArray(reinterpret_cast<const char*>(array->data),
                      static_cast<qsizetype>(array->len));
}

bool identityEncoding(GMimePart* part) {
    switch (g_mime_part_get_content_encoding(part)) {
    case GMIME_CONTENT_ENCODING_DEFAULT:
    case GMIME_CONTENT_ENCODING_7BIT:
    case GMIME_CONTENT_ENCODING_8BIT:
    case GMIME_CONTENT_ENCODING_BINARY:
        return true;
    default:
        return false;
    }
}

Part leaf(GMimeObject* object, bool single) {
    Part part;
    part.label = labelOf(object);
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (!GMIME_IS_PART(object) || !type || !g_mime_content_type_is_type(type, "text", "*"))
        return part;
    // The one part of a single-part message is shown whatever its text type, as text unless
    // it is HTML; in a multipart message only unnamed plain and HTML parts are.
    const bool html = g_mime_content_type_is_type(type, "text", "html");
    if (single || !hasName(object))
        part.kind = html ? Part::Kind::Html
                    : single || g_mime_content_type_is_type(type, "text", "plain")
                        ? Part::Kind::Plain
                        : Part::Kind::HiddenText;
    else
        part.kind = Part::Kind::HiddenText;
    if (part.kind == Part::Kind::HiddenText)
        return part;
    GMimePart* mimePart = GMIME_PART(object);
    const QByteArray bytes = contentBytes(mimePart);
    const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
    part.text = decodeBody(bytes, charset ? QByteArray(charset) : QByteArray());
    part.asStored =
        identityEncoding(mimePart) && (isAscii(bytes) || part.text == QString::fromLatin1(bytes));
    return part;
}

void walk(GMimeObject* object, int depth, Structure& s) {
    if (!GMIME_IS_MULTIPART(object)) {
        s.parts.append(leaf(object, depth == 0));
        return;
    }
    if (depth == 0)
        s.multipart = true;
    else
        s.parts.append(Part{Part::Kind::Other, labelOf(object), QString(), true});
    if (depth >= MaxDepth)
        return;
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    for (int i = 0, n = g_mime_multipart_get_count(multipart); i < n; ++i)
        walk(g_mime_multipart_get_part(multipart, i), depth + 1, s);
}

Structure structureOf(GMimeMessage* message) {
    Structure s;
    GMimeObject* body = message ? g_mime_message_get_mime_part(message) : nullptr;
    if (body)
        walk(body, 0, s);
    return s;
}

// RFC 5322 unfolding: the line breaks go, the blanks that follow them stay.
QByteArray unfolded(const char* raw) {
    QByteArray value(raw ? raw : "");
    value.replace("\r\n", "").replace('\n', "").replace('\r', "");
    return value;
}

} // namespace

Structure structure(const QByteArray& message) {
    const Ref<GMimeMessage> parsed = parse(message);
    return structureOf(parsed.get());
}

Readable readable(const QByteArray& message) {
    const Ref<GMimeMessage> parsed = parse(message);
    Readable r;
    if (!parsed)
        return r;
    GMimeObject* body = g_mime_message_get_mime_part(parsed.get());
    const char* declared =
        body ? g_mime_object_get_content_type_parameter(body, "charset") : nullptr;
    const QByteArray charset = declared ? QByteArray(declared) : QByteArray();
    GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(parsed.get()));
    for (int i = 0, n = g_mime_header_list_get_count(headers); i < n; ++i) {
        GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
        r.header.append(
            {fromUtf8(g_mime_header_get_raw_name(header)),
             decodeHeader(unfolded(g_mime_header_get_raw_value(header)), charset).trimmed()});
    }
    for (const Part& part : structureOf(parsed.get()).parts) {
        if (part.kind != Part::Kind::Plain && part.kind != Part::Kind::Html)
            continue;
        const QString text = (part.kind == Part::Kind::Html ? readableHtml(part.text) : part.text) +
                             QLatin1Char('\n');
        r.text += text;
        if (part.kind == Part::Kind::Html || !part.asStored)
            r.textBeyondStored += text;
    }
    return r;
}

} // namespace mime
