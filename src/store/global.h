#pragma once

#include "store/clean_copies.h"
#include "store/data_files.h"
#include "store/settings.h"

#include <QLockFile>
#include <QString>
#include <memory>

// The program's shared state for the whole run: the data folder, the settings and the five
// tables, and the password typed this run. One instance, owned by the main window and passed
// by reference to whoever needs it.
class Global {
public:
    static constexpr qsizetype ListCapacity = 10000;
    static constexpr qsizetype WhitelistCapacity = 5000;

    QString DataFolder;  // full path, no trailing separator
    QString TrashFolder; // DataFolder + "/Trash"
    QString enteredPassword;

    Settings settings;
    AccountTable accounts;
    EntryList blacklist{"Blacklist.txt", ListCapacity};
    EntryList whitelist{"Whitelist.txt", WhitelistCapacity};
    EntryList blackIP{"BlackIP.txt", ListCapacity};
    RuleTable rules;
    // The clean copies of messages handed to other programs during the run.
    CleanCopies cleanCopies;

    // The data folder path for a documents folder: "Spam" under it, without doubling a
    // trailing separator.
    static QString dataFolderFor(const QString& documents);

    // Sets DataFolder and TrashFolder and creates both when missing. Returns true when the
    // data folder could not be created (nothing may then be deleted from it).
    bool setUpDataFolder(const QString& documents);
    bool dataFolderReady() const { return dataFolderReady_; }
    // One program per data folder: takes the folder's lock file for this run. True when another
    // running program holds it. A lock left by a program that died is taken over.
    bool lockDataFolder();

    // The full path of a bare file name in the data folder.
    QString dataPath(const QString& name) const;

    // LoadSettings, LoadBlackIP, LoadBlacklist, LoadWhitelist, LoadAccounts, LoadRules, in that
    // order, as at start-up.
    void loadAll();
    void LoadSettings() { settings.load(DataFolder); }
    bool SaveSettings() const { return settings.save(DataFolder); }
    void LoadAccounts() { accounts.load(DataFolder); }
    bool SaveAccounts() const { return accounts.save(DataFolder); }
    void LoadRules() { rules.load(DataFolder); }

    // The full paths of the data files that were there but could not be read at their last
    // load; nothing saves over them.
    QStringList unreadableFiles() const;

    // The start-up statistics report for the text pane.
    QString statistics() const;

    // Deletes the Trash copies "Email<n>.eml" for n from TrashKeep up to 999, and the hidden
    // copies an interrupted Process left.
    void pruneTrash() const;

    // True for the names of downloaded message files: "Email*.eml", any letter case.
    static bool isMessageFileName(const QString& name);

    // Deletes the downloaded message files ("Email*.eml", any letter case) of the data folder.
    void deleteMessageFiles() const;

    // Deletes every file of the data folder but its lock (the Trash folder stays). Does nothing
    // when the data folder could not be set up, so no other folder is ever emptied.
    void deleteDataFiles() const;

private:
    bool dataFolderReady_ = false;
    std::unique_ptr<QLockFile> lock_;
};
