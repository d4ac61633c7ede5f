#include "review/trash_list.h"

#include "review/message_viewer.h"
#include "store/text.h"
#include "store/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString Scanning = QStringLiteral("Scanning: MyDocuments\\Spam\\Trash");
const QString Working = QStringLiteral("Working...");
const QString Sorting = QStringLiteral("Sorting...");
const QString Vanished = QStringLiteral("This copy is no longer in the Trash folder.\r\n");
const QString Unreadable = QStringLiteral("This copy cannot be read.\r\n");
const QString DateFormat = QStringLiteral("dd-MM-yy");
const QString FromField = QStringLiteral("From:");
const QString SubjectField = QStringLiteral("Subject:");
const QStringList Titles = {QStringLiteral("Date"), QStringLiteral("From"),
                            QStringLiteral("Subject"), QStringLiteral("File")};
constexpr qsizetype FromText = 6;    // "From: " ends here
constexpr qsizetype SubjectText = 9; // "Subject: " ends here
constexpr int RowsLeftBeforeGrowth = 5;
constexpr int GrowthRows = 50;
constexpr qint64 HeaderPiece = 16384;

QString withoutLineEnd(const QByteArray& line) {
    qsizetype size = line.size();
    while (size > 0 && (line[size - 1] == '\n' || line[size - 1] == '\r'))
        --size;
    return QString::fromLatin1(line.constData(), size);
}

void takeField(const QString& line, TrashList::Copy& copy) {
    if (text::startsExactly(line, FromField))
        copy.from = text::trimSpaces(text::from(line, FromText).remove(QLatin1Char('"')));
    else if (text::startsExactly(line, SubjectField))
        copy.subject = text::trimSpaces(text::from(line, SubjectText));
}

// The From: and Subject: of a copy's header, which ends at its first empty line. A later line
// of the same kind wins; a file that cannot be read leaves both empty.
void readHeader(QFile& file, TrashList::Copy& copy) {
    QByteArray bytes;
    qsizetype start = 0;
    for (;;) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            const QByteArray more = file.read(HeaderPiece);
            if (file.error() != QFile::NoError) {
                copy.from.clear();
                copy.subject.clear();
                return;
            }
            if (!more.isEmpty()) {
                bytes += more;
                continue;
            }
            if (start >= bytes.size())
                return;
            end = bytes.size(); // a last line without a line end
        }
        const QString line = text::trimSpaces(withoutLineEnd(bytes.mid(start, end - start)));
        if (line.isEmpty())
            return;
        takeField(line, copy);
        start = end + 1;
    }
}

// A full Trash has tens of thousands of copies, so each is opened once: its date comes from
// the open file and its header is read in a few large pieces, not line by line.
TrashList::Copy readCopy(const QFileInfo& info) {
    TrashList::Copy copy{QDate(), QString(), QString(), info.fileName()};
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        copy.day = info.lastModified().date();
        return copy;
    }
    copy.day = file.fileTime(QFileDevice::FileModificationTime).toLocalTime().date();
    readHeader(file, copy);
    return copy;
}

} // namespace

TrashList::TrashList() : grid_(Count, FirstRows) {
    for (int c = 0; c < Count; ++c)
        grid_.setTextMatrix(0, c, Titles[c]);
}

void TrashList::scan(const QString& folder, const std::function<void(const QString&)>& log) {
    folder_ = folder;
    log(Scanning);
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    QList<Copy> copies;
    copies.reserve(files.size());
    int rows = FirstRows;
    for (const QFileInfo& info : files) {
        copies.append(readCopy(info));
        // The grid keeps a few empty rows below the last copy, growing in steps.
        if (rows - static_cast<int>(copies.size()) < RowsLeftBeforeGrowth) {
            rows += GrowthRows;
            log(Working);
        }
    }
    log(Sorting);
    // Newest first whatever the number of copies: a short list in listing order would read as
    // sorted when it is not.
    sortNewestFirst(copies);
    fill(copies, rows);
}

void TrashList::fill(const QList<Copy>& copies, int rows) {
    const GridModel::Batch batch(grid_);
    grid_.setRows(rows);
    for (qsizetype i = 0; i < copies.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        grid_.setTextMatrix(r, Date, copies[i].day.toString(DateFormat));
        grid_.setTextMatrix(r, From, copies[i].from);
        grid_.setTextMatrix(r, Subject, copies[i].subject);
        grid_.setTextMatrix(r, File, copies[i].file);
    }
}

void sortNewestFirst(QList<TrashList::Copy>& copies) {
    std::stable_sort(
        copies.begin(), copies.end(),
        [](const TrashList::Copy& a, const TrashList::Copy& b) { return a.day > b.day; });
}

void TrashList::setColumnWidths(double usableTwips, const QList<double>& shares) {
    for (int c = 0; c < Count; ++c)
        grid_.setColWidth(c, qRound(usableTwips * shares.value(c)));
}

QString TrashList::currentFile() const {
    return grid_.Row() < 1 ? QString() : grid_.TextMatrix(grid_.Row(), File);
}

QString TrashList::currentPath() const {
    const QString name = currentFile();
    return name.isEmpty() ? QString() : textfile::join(folder_, name);
}

QString TrashList::showCurrent(bool withHeader) {
    grid_.setCol(File);
    const QString path = currentPath();
    grid_.setColSel(Date);
    if (path.isEmpty())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? Unreadable : Vanished;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError)
        return Unreadable;
    return rawMessageText(textfile::splitLines(bytes), withHeader);
}

bool TrashList::deleteCurrent() {
    grid_.setCol(File);
    const QString path = currentPath();
    if (!path.isEmpty() && QFileInfo::exists(path) && !QFile::remove(path))
        return true;
    const int row = grid_.Row();
    if (row >= 1) {
        const GridModel::Batch batch(grid_);
        for (int r = row; r < grid_.Rows() - 1; ++r)
            for (int c = 0; c < Count; ++c)
                grid_.setTextMatrix(r, c, grid_.TextMatrix(r + 1, c));
        for (int c = 0; c < Count; ++c)
            grid_.setTextMatrix(grid_.Rows() - 1, c, QString());
    }
    grid_.setColSel(Date);
    return false;
}
