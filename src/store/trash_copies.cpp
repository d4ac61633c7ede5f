#include "store/trash_copies.h"

#include "store/text_file.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <system_error>

namespace {

// Beside the copies, hidden, and under a name no copy has: "Email<n>.eml" never starts with a
// dot.
QString hiddenCopyPath(const QString& folder, const QString& sourcePath) {
    return textfile::join(folder, QLatin1Char('.') + QFileInfo(sourcePath).fileName() +
                                      QStringLiteral(".part"));
}

} // namespace

TrashCopies::TrashCopies(const QString& trashFolder, const QStringList& sourcePaths)
    : folder_(trashFolder) {
    for (const QString& source : sourcePaths)
        addJob(source);
    if (jobs_.empty())
        return;
    // Without a thread to spare the copies are written here, before the dialogue begins.
    try {
        writer_ = std::jthread([this](std::stop_token stop) { writeAll(stop); });
    } catch (const std::system_error&) {
        writeAll({});
    }
}

size_t TrashCopies::addJob(const QString& sourcePath) {
    const auto known = jobBySource_.constFind(sourcePath);
    if (known != jobBySource_.cend())
        return *known;
    jobBySource_.insert(sourcePath, jobs_.size());
    jobs_.push_back({sourcePath, hiddenCopyPath(folder_, sourcePath)});
    return jobs_.size() - 1;
}

void TrashCopies::writeAll(const std::stop_token& stop) {
    for (Job& job : jobs_) {
        if (stop.stop_requested())
            return;
        write(job);
    }
    flushFailed_ = textfile::syncFileSystem(folder_);
}

// A dialogue that ends early stops the writer after the file it is on.
TrashCopies::~TrashCopies() {
    writer_.request_stop();
    finishWriting();
    // A placed copy's hidden name is gone already.
    for (const Job& job : jobs_)
        if (job.state == Copy::Made)
            QFile::remove(job.hidden);
}

void TrashCopies::finishWriting() {
    if (writer_.joinable())
        writer_.join();
}

// Whole or not at all: a copy that could not be read or written completely is removed, so a
// full disk never leaves a truncated copy behind.
void TrashCopies::write(Job& job) {
    QFile source(job.source);
    if (!QFileInfo(source).isFile()) {
        job.state = Copy::NoFile;
        return;
    }
    const bool read = source.open(QIODevice::ReadOnly);
    const QByteArray bytes = source.readAll();
    if (!read || source.error() != QFileDevice::NoError ||
        textfile::writeUnsynced(job.hidden, bytes)) {
        job.state = Copy::Failed;
        return;
    }
    job.state = Copy::Made;
}

TrashCopies::Job& TrashCopies::jobFor(const QString& sourcePath) {
    finishWriting();
    const size_t known = jobs_.size();
    Job& job = jobs_[addJob(sourcePath)];
    if (jobs_.size() > known)
        write(job);
    return job;
}

TrashCopies::Copy TrashCopies::place(const QString& sourcePath, const QString& trashName) {
    Job& job = jobFor(sourcePath);
    if (job.state != Copy::Made)
        return job.state;
    // rename(2) replaces an older copy of the name in one step. A copy is placed once: for a
    // second row of the same file its hidden name is gone, so that row keeps its message.
    return std::rename(QFile::encodeName(job.hidden).constData(),
                       QFile::encodeName(textfile::join(folder_, trashName)).constData())
               ? Copy::Failed
               : Copy::Made;
}

// The writer's flush took the copies' contents to the disk; this one takes their new names, and
// any copy made late, which costs little after it.
bool TrashCopies::onDisk() {
    finishWriting();
    return !flushFailed_ && !textfile::syncFileSystem(folder_);
}
