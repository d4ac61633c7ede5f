#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "store/text_file.h"

#include <vector>

// A downloaded message file held as its bytes, split into lines once so that every test of a
// row can look at it without reading the disk again. Each byte is one character (Latin-1);
// lines end at CR LF or a lone LF, and a last line without a line end still counts.
class MessageFile {
public:
    // Reads the file at `path`. A missing or unreadable file reads as an empty one.
    static MessageFile read(const QString& path);
    // The same for bytes already in memory.
    static MessageFile fromBytes(const QByteArray& bytes);

    const QByteArray& bytes() const { return bytes_; }
    qsizetype lineCount() const { return static_cast<qsizetype>(lines_.size()); }
    QByteArrayView lineBytes(qsizetype i) const;
    QString line(qsizetype i) const { return QString::fromLatin1(lineBytes(i)); }

private:
    QByteArray bytes_;
    std::vector<textfile::LineSpan> lines_;
};
