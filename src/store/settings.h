#pragma once

#include "store/text_file.h"

#include <QString>
#include <array>

// The settings table: 101 text entries kept in config.ini by position (line n + 1 holds
// entry n). Flags are "1" or "0"; numbers are decimal text read by text::leadingNumber.
namespace setting {
enum Entry : int {
    ProgramPassword = 0,
    SettingsVersion = 1,
    // "keyring" when the program password is kept in the desktop's keyring (line 1 then empty).
    ProgramPasswordKept = 2,
    // The OAuth2 client ids given in the Preferences ("" leaves the build's own).
    OAuthClientMicrosoft = 3,
    OAuthClientGoogle = 4,
    OAuthClientOther = 5,
    MaxSizeK = 10,
    MarkNoSubject = 11,
    MarkBlankTo = 12,
    MarkBlankFrom = 13,
    UseBlacklist = 14,
    UseWhitelist = 15,
    MarkNotToMe = 16,
    TrashNext = 17,
    TrashKeep = 18,
    MarkDuplicates = 19,
    EmailProgram = 20,
    CheckEveryMins = 21,
    AutoDelete = 22,
    NotifySecs = 23,
    RunEmailProgram = 24,
    UseBlackIP = 25,
    SafeDeletion = 27,
    // The learned test. On unless exactly "0": a config.ini from before it existed has the line
    // empty, and learning is on by default.
    UseLearning = 28,
    SmallImageTypes = 50, // 50 to 59
};
constexpr int Count = 101;
constexpr int SmallImageTypeSlots = 10;
} // namespace setting

class Settings {
public:
    static constexpr auto FileName = "config.ini";
    static constexpr auto InKeyring = "keyring";

    const QString& operator[](int entry) const { return entries_.at(entry); }
    QString& operator[](int entry) { return entries_.at(entry); }

    // True when the entry is exactly "1" (the flags some tests read as text).
    bool isExactlyOne(int entry) const;
    // True when the entry's numeric value is 1 (the flags other tests read as numbers).
    bool isNumericOne(int entry) const;
    // The entry read by the leading-number rule.
    qint64 number(int entry) const;

    // The number of Trash copies kept. A value below 1 (a hand-edited file) counts as 10,
    // the smallest the preferences allow, so the Trash counter can never divide by zero.
    qint64 trashKeep() const;
    // The minutes between automatic checks, at least 5 even when the entry was set lower since
    // loading, so the count of minutes can never divide by zero.
    qint64 checkEveryMins() const;
    bool learningOn() const { return entries_.at(setting::UseLearning) != QLatin1String("0"); }

    // Fills the table from config.ini in `folder`, writing the defaults first when the file
    // is missing; a file that cannot be read leaves the defaults in memory, unwritten. Missing
    // lines read as empty entries. Raises CheckEveryMins to 5 in memory.
    void load(const QString& folder);
    // Writes all 101 entries, the password scrambled. Returns true on failure.
    bool save(const QString& folder) const;
    // Every entry to its default, then saved. Returns true when the save failed.
    bool setDefaults(const QString& folder);
    const textfile::StoredFile& file() const { return file_; }

private:
    void fillDefaults();

    textfile::StoredFile file_{FileName};
    std::array<QString, setting::Count> entries_;
};
