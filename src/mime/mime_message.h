#pragma once

#include <QList>
#include <QString>

// A stored message read through the MIME library: its header fields decoded and its parts
// in order, each text part decoded to Unicode.
namespace mime {

struct Part {
    // Plain and Html parts are shown; HiddenText is a text part that is not (another text
    // type, or a text file attached by name); Other is every other part, containers included.
    enum class Kind { Plain, Html, HiddenText, Other };
    Kind kind = Kind::Other;
    // The type as written, then ": " and the name for a name parameter of the Content-Type
    // and for a filename parameter of the Content-Disposition.
    QString label;
    // The decoded text of a Plain or Html part (HTML as written).
    QString text;
    // The text is the stored bytes read one character each: no transfer encoding, and the
    // charset reads them the same.
    bool asStored = true;
};

struct Structure {
    bool multipart = false;
    // Depth first, a nested multipart before its own parts; the one part of a single-part
    // message (named or not, a text part is then shown).
    QList<Part> parts;
};

// `message` is the message as its sender wrote it, without the server's framing: a downloaded
// file's status line, dot-stuffing and closing "." are for the caller to take off.
Structure structure(const QByteArray& message);

struct Field {
    QString name;
    QString value; // unfolded and decoded
};

// What a person reads of a message: its header fields, and the text of its shown parts (HTML
// reduced to text), one part after another.
struct Readable {
    QList<Field> header;
    QString text;
    // The same less the plain parts that read as stored, whose text the stored message
    // already holds line for line.
    QString textBeyondStored;
};

Readable readable(const QByteArray& message);

// A part's HTML as text: tags and style and script blocks removed, entities decoded.
QString readableHtml(const QString& html);

} // namespace mime
