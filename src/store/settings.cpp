#include "store/settings.h"

#include "store/text.h"
#include "store/text_file.h"

#include <QFileInfo>
#include <algorithm>

namespace {

const QString DefaultVersion = QStringLiteral("1.0");
const QString DefaultEmailProgram = QStringLiteral("msimn.exe");
constexpr qint64 MinimumCheckMinutes = 5;
constexpr qint64 FallbackTrashKeep = 10;

QString configPath(const QString& folder) {
    return textfile::join(folder, QString::fromLatin1(Settings::FileName));
}

} // namespace

bool Settings::isExactlyOne(int entry) const {
    return entries_.at(entry) == QLatin1String("1");
}

bool Settings::isNumericOne(int entry) const {
    return text::leadingNumber(entries_.at(entry)) == 1.0;
}

qint64 Settings::number(int entry) const {
    return text::leadingInteger(entries_.at(entry));
}

qint64 Settings::trashKeep() const {
    const qint64 keep = number(setting::TrashKeep);
    return keep < 1 ? FallbackTrashKeep : keep;
}

qint64 Settings::checkEveryMins() const {
    return std::max(number(setting::CheckEveryMins), MinimumCheckMinutes);
}

bool Settings::setDefaults(const QString& folder) {
    fillDefaults();
    return save(folder);
}

void Settings::fillDefaults() {
    using namespace setting;
    entries_.fill(QString());
    const auto one = QStringLiteral("1");
    entries_[SettingsVersion] = DefaultVersion;
    entries_[MaxSizeK] = QStringLiteral("100");
    for (int flag : {MarkNoSubject, MarkBlankTo, MarkBlankFrom, UseBlacklist, UseWhitelist,
                     MarkNotToMe, MarkDuplicates, UseBlackIP, SafeDeletion, UseLearning})
        entries_[flag] = one;
    entries_[TrashNext] = QStringLiteral("0");
    entries_[TrashKeep] = QStringLiteral("200");
    entries_[EmailProgram] = DefaultEmailProgram;
    entries_[CheckEveryMins] = QStringLiteral("5");
    entries_[AutoDelete] = QStringLiteral("0");
    entries_[NotifySecs] = QStringLiteral("10");
    entries_[RunEmailProgram] = QStringLiteral("0");
    entries_[SmallImageTypes] = QStringLiteral("image/gif");
    entries_[SmallImageTypes + 1] = QStringLiteral("image/jpeg");
    entries_[SmallImageTypes + 2] = QStringLiteral("image/png");
}

void Settings::load(const QString& folder) {
    const QStringList lines = file_.load(folder);
    // A missing file gets the defaults, written when they can be (a held file never is). The
    // defaults are then in force rather than empty entries: a MaxSizeK of 0 would fetch nothing.
    if (file_.held() || !QFileInfo::exists(configPath(folder))) {
        setDefaults(folder);
        return;
    }
    for (int entry = 0; entry < setting::Count; ++entry) {
        const QString line = text::trimSpaces(lines.value(entry));
        entries_[entry] =
            entry == setting::ProgramPassword ? text::unscramble(line, file_.legacy()) : line;
    }
    if (number(setting::CheckEveryMins) < MinimumCheckMinutes)
        entries_[setting::CheckEveryMins] = QString::number(MinimumCheckMinutes);
}

bool Settings::save(const QString& folder) const {
    QStringList lines;
    lines.reserve(setting::Count);
    // A password kept in the keyring stands in no file.
    const bool inKeyring = entries_[setting::ProgramPasswordKept] == QLatin1String(InKeyring);
    for (int entry = 0; entry < setting::Count; ++entry)
        lines.append(entry != setting::ProgramPassword ? entries_[entry]
                     : inKeyring                       ? QString()
                                                       : text::scramble(entries_[entry]));
    return file_.save(folder, lines, true);
}
