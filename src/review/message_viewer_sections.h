#pragma once

// Private to the message viewer: the two readings of a message and what they share.
#include <QString>
#include <QStringList>

namespace mime {
struct Structure;
}

namespace viewer {

inline const QLatin1String Crlf("\r\n");
// The banners are laid out for the pane's fixed-pitch font.
extern const QString PlainBanner;
extern const QString HtmlBanner;
QString otherBanner(const QString& type);
// How a single-part message is shown, in a reading's layout.
extern const QString SingleText;
extern const QString SingleHtml;
extern const QString SingleOther;

// Tabs read as blanks, then trimmed.
QString cleanLine(const QString& line);
// Two passes that each reduce CR LF CR LF to CR LF.
QString collapseBlankLines(const QString& s);

// A reading's text and its layout: the banners of its sections in order, or the one entry
// saying how a single-part message is shown.
struct Reading {
    QString text;
    QStringList layout;
};

// The stored lines read as they are, one character per byte, boundaries followed by their
// exact text: right for the plain 7-bit mail it was made for.
Reading storedReading(const QStringList& lines);
// The parts as the MIME library finds them, each text part decoded.
Reading decodedReading(const mime::Structure& structure);

} // namespace viewer
