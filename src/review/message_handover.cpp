#include "review/message_handover.h"

#include "platform/platform.h"
#include "store/clean_copies.h"

#include <QFileInfo>

namespace {

const QString NotRead = QStringLiteral("Mailweir could not read %1.      ");
const QString NotWritten = QStringLiteral("Mailweir could not write %1.      ");
const QString KeptOne = QStringLiteral("%1 is the copy Mailweir keeps. Choose another file.      ");
const QString NotOpened = QStringLiteral("The desktop could not open %1.      ");
const QString SaveTitle = QStringLiteral("Save message as");
const QString SaveFilter = QStringLiteral("Email messages (*.eml);;All files (*)");
const QString Suffix = QStringLiteral(".eml");
// Characters no file name may hold, and those other systems' folders refuse.
const QString Unsafe = QStringLiteral("/\\:*?\"<>|");
constexpr qsizetype LongestName = 60;

// The subject as a file name: unsafe and control characters become "_", no leading dot hides
// it, and a long subject is cut; the stored file's name when nothing is left.
QString fileNameFor(const QString& subject, const QString& storedPath) {
    QString name = subject.left(LongestName);
    for (QChar& c : name)
        if (Unsafe.contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    name = name.trimmed();
    return name.isEmpty() ? QFileInfo(storedPath).completeBaseName() + Suffix : name + Suffix;
}

// True, after telling the user, when the copy could not be made.
bool failed(Platform& platform, cleancopy::Result result, const QString& storedPath,
            const QString& copyPath, const QString& title) {
    if (result == cleancopy::Result::Written)
        return false;
    platform.messageBox(
        (result == cleancopy::Result::NotRead ? NotRead.arg(storedPath) : NotWritten.arg(copyPath)),
        Platform::Buttons::Ok, Platform::Icon::Warning, title);
    return true;
}

} // namespace

namespace handover {

void open(Platform& platform, CleanCopies& copies, const QString& storedPath,
          const QString& title) {
    QString copyPath;
    if (!failed(platform, copies.make(storedPath, copyPath), storedPath, copyPath, title) &&
        platform.shellOpen(copyPath))
        platform.messageBox(NotOpened.arg(copyPath), Platform::Buttons::Ok, Platform::Icon::Warning,
                            title);
}

void saveAs(Platform& platform, const QString& storedPath, const QString& subject,
            const QString& title) {
    const QString suggested =
        platform.documentsFolder() + QLatin1Char('/') + fileNameFor(subject, storedPath);
    const QString target = platform.fileSaveDialog(SaveTitle, suggested, SaveFilter);
    if (target.isEmpty())
        return;
    // The stored file stays as it is.
    const QString kept = QFileInfo(storedPath).canonicalFilePath();
    if (!kept.isEmpty() && QFileInfo(target).canonicalFilePath() == kept)
        platform.messageBox(KeptOne.arg(target), Platform::Buttons::Ok, Platform::Icon::Warning,
                            title);
    else
        failed(platform, cleancopy::write(storedPath, target, false), storedPath, target, title);
}

} // namespace handover
