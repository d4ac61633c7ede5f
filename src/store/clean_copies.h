#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// What other programs are handed of a stored message. A message file keeps the server's reply
// as it came (its "+OK" status line, dot-stuffed lines and the closing "." line), which the
// viewer, the rules and the Trash rely on; a mail program wants the message itself.
namespace cleancopy {

// The message inside a stored reply: the "+OK" status line and the closing "." line (with
// anything after it) removed, and the dot-stuffing undone. Lines keep their ends as received;
// a last line without one stays so. Bytes that do not begin with "+OK" have no status line.
QByteArray message(const QByteArray& stored);

enum class Result { Written, NotRead, NotWritten };

// Writes the clean message of the stored file at `storedPath` to `target`, whole or not at
// all; `ownerOnly` makes the copy readable by its owner alone.
Result write(const QString& storedPath, const QString& target, bool ownerOnly);

} // namespace cleancopy

// The private folder (0700, under the system's temporary folder) that holds the clean copies
// handed to the e-mail program for the run. It is made on first use and removed with every
// copy in it at shutdown; a folder left by a crash goes with the temporary folder's clean-up.
class CleanCopies {
public:
    // Writes the clean copy of `storedPath` into the folder, under the stored file's name
    // (message files and Trash copies end in ".eml" and differ in the case of their first
    // letter), and sets `copyPath` to where it is, or should have been.
    cleancopy::Result make(const QString& storedPath, QString& copyPath);
    // The folder, or "" while there is none.
    QString folder() const { return folder_ ? folder_->path() : QString(); }
    void removeAll() { folder_.reset(); }

private:
    std::unique_ptr<QTemporaryDir> folder_;
};
