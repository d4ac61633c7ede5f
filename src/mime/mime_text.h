#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Bytes of today's mail turned into the text a person reads.
namespace mime {

// An unfolded header value as a person reads it: raw 8-bit text read as UTF-8 when it is
// valid, otherwise in `charset` (the message's declared one) or Windows-1252; then its
// RFC 2047 encoded words decoded.
QString decodeHeader(QByteArrayView raw, const QByteArray& charset = {});

// Body bytes, transfer encoding already removed: in the declared charset when it is one we
// know, otherwise UTF-8 when valid, otherwise Windows-1252.
QString decodeBody(QByteArrayView bytes, const QByteArray& charset);

bool isAscii(QByteArrayView bytes);

// The charset parameter of a Content-Type value (RFC 2045/2231 syntax), or empty.
QByteArray charsetOf(QByteArrayView contentType);

} // namespace mime
