#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <vector>

// Whole-file reading and writing of the program's text files. Message files are bytes: read
// here one byte to a character (Latin-1), so any byte round-trips unchanged. Data files are
// text in UTF-8, read as Windows-1252 when they are not valid UTF-8 (a data folder brought
// over from the Windows program).
namespace textfile {

// The lines of a file, each without its line end. Lines end at CR LF or a lone LF; a final
// line without a line end still counts, and an empty file has no lines. A file that is missing
// or unreadable gives no lines and `*ok` (when given) false.
QStringList readLines(const QString& path, bool* ok = nullptr);

// The same for bytes already in memory.
QStringList splitLines(const QByteArray& bytes);

// Where each line of `bytes` lies, without its line end, by the same rules.
struct LineSpan {
    qsizetype start;
    qsizetype size;
};
std::vector<LineSpan> lineSpans(const QByteArray& bytes);

// A data file's bytes as text: UTF-8 when they are valid UTF-8, otherwise Windows-1252, which
// `*legacy` (when given) then tells.
QString decodeData(const QByteArray& bytes, bool* legacy = nullptr);

// The lines of a data file, decoded as decodeData says and split as readLines splits.
QStringList readDataLines(const QString& path, bool* ok = nullptr, bool* legacy = nullptr);

// Writes the lines in UTF-8, each followed by CR LF, through QSaveFile so that a crash or a full
// disk leaves the old file intact. `ownerOnly` creates the file readable by its owner alone (for
// files holding passwords). Returns true on failure, as the program's routines do.
bool writeLines(const QString& path, const QStringList& lines, bool ownerOnly = false);
// The same for bytes as they are.
bool writeBytes(const QString& path, const QByteArray& bytes, bool ownerOnly = false);

// Writes `bytes` to a file created readable by its owner alone, or removes what it wrote when it
// could not write them all. Unlike writeLines it does not wait for the disk: syncFileSystem does
// that once for many files. Returns true on failure.
bool writeUnsynced(const QString& path, const QByteArray& bytes);
// Waits until everything written to the file system that holds `folder` is on the disk.
// Returns true on failure.
bool syncFileSystem(const QString& folder);

// The data folder and its Trash are the user's alone, and so is every message in them.
constexpr QFileDevice::Permissions PrivateFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions PrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Creates the folder, or finds it, and makes it private (PrivateFolder): one made by an earlier
// version may be open to everyone. Returns false when it cannot be made.
bool ensurePrivateFolder(const QString& path);

// Full path of a bare file name inside a folder.
QString join(const QString& folder, const QString& name);

// One data file as its table keeps it. A file that is there but cannot be read is held: the
// table loads empty, and saving fails without touching the file, so no run writes an empty
// table over data it could not see. A missing file is not held; it is written on save.
class StoredFile {
public:
    explicit StoredFile(const char* name) : name_(QString::fromLatin1(name)) {}

    const QString& name() const { return name_; }
    bool held() const { return held_; }
    // The file last loaded was not UTF-8 and was read as Windows-1252.
    bool legacy() const { return legacy_; }

    QStringList load(const QString& folder);
    // Returns true on failure, including when the file is held.
    bool save(const QString& folder, const QStringList& lines, bool ownerOnly = false) const;

private:
    QString name_;
    bool held_ = false;
    bool legacy_ = false;
};

} // namespace textfile
