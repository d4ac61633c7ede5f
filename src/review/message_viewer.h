#pragma once

#include <QString>
#include <QStringList>

class Global;
class MessageTable;
class TextPane;

// The readable text of a downloaded message, given as its lines (one character per byte):
// plain-text parts and HTML parts without tags under section banners, other parts as one
// banner with their type and name. Only quoted-printable line-end marks are decoded.
QString messageText(const QStringList& lines);

// A message as it is stored, each line followed by CR LF: all of it, or only the lines after
// its first empty line.
QString rawMessageText(const QStringList& lines, bool withHeader);

// ShowEmail: shows the message file named by the table's current cell (a bare name in the
// data folder) in the pane, replacing its text; a file that cannot be read shows
// "Error: Missing file...".
void ShowEmail(const MessageTable& table, TextPane& pane, const Global& global);
