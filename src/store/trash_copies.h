#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <thread>
#include <vector>

// The Trash copies of one deletion dialogue. The copies of the messages the dialogue expects to
// delete are written ahead, on a thread of their own, to hidden files in the Trash folder and
// flushed to the disk there, while the dialogue waits for the server. A copy takes its Trash
// name only when its message is about to be deleted; the copies no message needed are removed
// again. A file that was not written ahead (its row was marked after the dialogue began) is
// copied when it is placed.
class TrashCopies {
public:
    enum class Copy { Made, NoFile, Failed };

    TrashCopies(const QString& trashFolder, const QStringList& sourcePaths);
    ~TrashCopies();
    TrashCopies(const TrashCopies&) = delete;
    TrashCopies& operator=(const TrashCopies&) = delete;

    // Gives the copy of the message file at `sourcePath` the name `trashName` in the Trash
    // folder, replacing an older copy of that name. Failed leaves no file of that name changed.
    Copy place(const QString& sourcePath, const QString& trashName);
    // True once the copies placed so far are on the disk, names and all.
    bool onDisk();

private:
    struct Job {
        QString source;
        QString hidden;
        Copy state = Copy::Failed; // as the writer left it
    };

    size_t addJob(const QString& sourcePath);
    Job& jobFor(const QString& sourcePath);
    void writeAll(const std::stop_token& stop);
    void finishWriting();
    static void write(Job& job);

    const QString folder_;
    std::vector<Job> jobs_;
    QHash<QString, size_t> jobBySource_;
    bool flushFailed_ = false;
    std::jthread writer_;
};
