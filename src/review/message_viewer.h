#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class Global;
class MessageTable;
class TextPane;

// The readable text of a downloaded message, given as stored: plain-text parts and HTML parts
// without tags under section banners, other parts as one banner with their type and name.
// Plain 7-bit mail is shown line by line as stored (only quoted-printable line-end marks
// removed); mail that needs decoding is shown decoded: transfer encodings, charsets, HTML
// entities, and MIME structure read as RFC 2045 writes it.
QString messageText(const QByteArray& stored);

// A message as it is stored, each line followed by CR LF: all of it, or only the lines after
// its first empty line.
QString rawMessageText(const QStringList& lines, bool withHeader);

// ShowEmail: shows the message file named by the table's current cell (a bare name in the
// data folder) in the pane, replacing its text; a file that cannot be read shows
// "Error: Missing file...".
void ShowEmail(const MessageTable& table, TextPane& pane, const Global& global);
