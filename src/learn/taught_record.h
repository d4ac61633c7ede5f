#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// The messages the engine has been taught, each by a digest of its text and what it was taught
// as. A message kept on the server comes back at every Get mail and is taught once; one the user
// changes their mind about is taught again the other way.
class TaughtRecord {
public:
    enum class Kind { Good, Spam };

    static QByteArray digestOf(const QByteArray& text);

    // Reads the record at `path` when it is not the one already held; a missing or unreadable
    // file reads as an empty record.
    void open(const QString& path);
    std::optional<Kind> kindOf(const QByteArray& digest) const;
    void set(const QByteArray& digest, Kind kind);
    qsizetype count(Kind kind) const;
    // Returns true on failure.
    bool save() const;

private:
    QString path_;
    QHash<QByteArray, Kind> kinds_;
};
