// The main window's commands: one table of the buttons and menu items that give them, the
// password guard applied in one place, and the commands that open windows and desktop handlers.
#include "app/main_window.h"

#include "mail/email_program.h"
#include "platform/platform.h"
#include "store/global.h"
#include "windows/about_window.h"
#include "windows/accounts_window.h"
#include "windows/lists_window.h"
#include "windows/preferences_window.h"
#include "windows/rules_editor_window.h"
#include "windows/trash_browser.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

const QString PasswordPrompt =
    QStringLiteral("A password has been set. To access\r\nthis function, you must enter it.");
const QString PasswordTitle = QStringLiteral("Password?");
constexpr int PasswordOffsetX = 3000;
constexpr int PasswordOffsetY = 2000;

const QString ClearTitle = QStringLiteral("Clear all");
const QString ClearWarning =
    QStringLiteral("Warning: This clears the password, configuration      \r\n"
                   "settings, email accounts, black and whitelists, and      \r\n"
                   "the rules. Are you sure you want to do this?      ");

const QString NotOpened = QStringLiteral("The desktop could not open ");

const QString ManualName = QStringLiteral("Help.html");
// Where an installed program keeps its manual, from the program's folder.
const QString InstalledManualFolder = QStringLiteral("../share/mailweir");

// Shows one of the editor windows modally over `owner` until the user closes it.
template <class Editor> void showEditor(Global& global, Platform& platform, QWidget* owner) {
    Editor editor(global, platform, owner);
    editor.run();
}

} // namespace

// One entry per command: the button and menu item that give it, whether it asks for the
// program password first, and what it does.
struct MainWindow::Command {
    enum class Guard { None, Password };

    const char* button;
    const char* menuItem;
    Guard guard;
    void (MainWindow::*handler)();
};

const MainWindow::Command MainWindow::Commands[] = {
    {"Command1", "FileGetMail", Command::Guard::Password, &MainWindow::getMail},
    {"Command2", "FileDeleteSpam", Command::Guard::None, &MainWindow::processMail},
    {"Command3", nullptr, Command::Guard::None, &MainWindow::stop},
    {"Command4", nullptr, Command::Guard::None, &MainWindow::openInEmailProgram},
    {"Command5", nullptr, Command::Guard::None, &MainWindow::runEmailProgram},
    {"Command6", "FileTrashBrowser", Command::Guard::Password, &MainWindow::browseTrash},
    {"Command7", "EditPreferences", Command::Guard::Password, &MainWindow::editPreferences},
    {"Command8", nullptr, Command::Guard::None, &MainWindow::markAllD},
    {"Command9", nullptr, Command::Guard::None, &MainWindow::markAllB},
    {"Command11", nullptr, Command::Guard::None, &MainWindow::markDAsB},
    {nullptr, "FileClearPassword", Command::Guard::None, &MainWindow::clearSettings},
    {nullptr, "FileExit", Command::Guard::None, &MainWindow::exit},
    {nullptr, "EditAccounts", Command::Guard::Password, &MainWindow::editAccounts},
    {nullptr, "EditBlacklist", Command::Guard::Password, &MainWindow::editLists},
    {nullptr, "EditRules", Command::Guard::None, &MainWindow::editRules},
    {nullptr, "ActionsQuickCheck", Command::Guard::Password, &MainWindow::quickCheck},
    {nullptr, "ActionsDelLarge", Command::Guard::Password, &MainWindow::deleteLarge},
    {nullptr, "ActionsWatch", Command::Guard::None, &MainWindow::watchMail},
    {nullptr, "HelpHelp", Command::Guard::None, &MainWindow::openManual},
    {nullptr, "HelpSupport", Command::Guard::None, &MainWindow::openSupport},
    {nullptr, "HelpGoWebsite", Command::Guard::None, &MainWindow::openWebsite},
    {nullptr, "HelpAbout", Command::Guard::None, &MainWindow::showAbout},
};

void MainWindow::connectCommands() {
    for (const Command& command : Commands) {
        auto go = [this, &command] { run(command); };
        if (command.button)
            connect(findChild<QAbstractButton*>(QLatin1String(command.button)),
                    &QAbstractButton::clicked, this, go);
        if (command.menuItem)
            connect(findChild<QAction*>(QLatin1String(command.menuItem)), &QAction::triggered, this,
                    go);
    }
}

void MainWindow::run(const Command& command) {
    if (command.guard == Command::Guard::Password && GetPassword())
        return;
    (this->*command.handler)();
}

bool MainWindow::GetPassword() {
    const QString& password = global_.settings[setting::ProgramPassword];
    if (password == global_.enteredPassword)
        return false;
    const QPoint corner = twips_.fromPixels(frameGeometry().topLeft());
    global_.enteredPassword =
        platform_.inputBox(PasswordPrompt, PasswordTitle, QString(),
                           corner + QPoint(PasswordOffsetX, PasswordOffsetY), true);
    return password != global_.enteredPassword;
}

void MainWindow::openInEmailProgram() {
    const QString file = table_.cell(table_.grid().Row(), col::File);
    if (!file.isEmpty())
        open(global_.dataPath(file));
}

void MainWindow::open(const QString& fileOrAddress) {
    if (platform_.shellOpen(fileOrAddress))
        tellUser(NotOpened + fileOrAddress);
}

void MainWindow::runEmailProgram() {
    startEmailProgram(global_.settings, platform_);
}

void MainWindow::editAccounts() {
    AccountsWindow editor(global_, platform_, secrets_, this);
    editor.run();
    ListAccounts();
}

void MainWindow::editPreferences() {
    PreferencesWindow editor(global_, platform_, secrets_, this);
    editor.run();
    global_.LoadSettings();
    secrets_.fetch(global_.settings, twips_.fromPixels(frameGeometry().topLeft()));
}

void MainWindow::editLists() {
    showEditor<ListsWindow>(global_, platform_, this);
}

void MainWindow::editRules() {
    showEditor<RulesEditorWindow>(global_, platform_, this);
    global_.LoadRules();
}

// The manual lies beside the program in a build folder and under the shared data of an
// installed one.
void MainWindow::openManual() {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    QString manual = programFolder.filePath(ManualName);
    if (!QFileInfo::exists(manual))
        manual = QDir::cleanPath(
            programFolder.filePath(InstalledManualFolder + QLatin1Char('/') + ManualName));
    open(manual);
}

void MainWindow::openSupport() {
    open(QStringLiteral("mailto:") + maker::SupportAddress);
}

void MainWindow::openWebsite() {
    open(maker::Website);
}

// The Trash folder is addressed by its full path throughout, so nothing needs restoring after.
void MainWindow::browseTrash() {
    TrashBrowser(global_, platform_, this).run();
}

void MainWindow::showAbout() {
    AboutWindow(global_, platform_, this).run();
}

void MainWindow::clearSettings() {
    if (platform_.messageBox(ClearWarning, Platform::Buttons::YesNo, Platform::Icon::Warning,
                             ClearTitle) != Platform::Answer::Yes)
        return;
    global_.deleteDataFiles();
    QCoreApplication::processEvents();
    global_.loadAll();
    ListAccounts();
    pane_.clear();
    table_.ClearGrid();
}

void MainWindow::deleteLarge() {
    runs_.largeMail().ActionsDelLarge_Click(twips_.fromPixels(frameGeometry().topLeft()));
}
