// The main window's commands: one table of the buttons and menu items that give them, the
// password guard applied in one place, and the commands that open windows and desktop handlers.
#include "app/main_window.h"

#include "mail/email_program.h"
#include "platform/platform.h"
#include "review/message_handover.h"
#include "store/global.h"
#include "windows/about_window.h"
#include "windows/accounts_window.h"
#include "windows/lists_window.h"
#include "windows/preferences_window.h"
#include "windows/rules_editor_window.h"
#include "windows/teach_window.h"
#include "windows/trash_browser.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <optional>

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
// program password first, what becomes of it while a run is under way, and what it does.
struct MainWindow::Command {
    const char* button;
    const char* menuItem;
    Guard guard;
    WhileRunning whileRunning;
    void (MainWindow::*handler)();
};

const MainWindow::Command MainWindow::Commands[] = {
    {"Command1", "FileGetMail", Guard::Password, WhileRunning::Greyed, &MainWindow::getMail},
    {"Command2", "FileDeleteSpam", Guard::None, WhileRunning::Greyed, &MainWindow::processMail},
    {"Command3", nullptr, Guard::None, WhileRunning::OnlyThen, &MainWindow::stop},
    {"Command4", nullptr, Guard::None, WhileRunning::Greyed, &MainWindow::openInEmailProgram},
    {"Command5", nullptr, Guard::None, WhileRunning::Greyed, &MainWindow::runEmailProgram},
    {"Command6", "FileTrashBrowser", Guard::Password, WhileRunning::Editor,
     &MainWindow::browseTrash},
    {"Command7", "EditPreferences", Guard::Password, WhileRunning::Editor,
     &MainWindow::editPreferences},
    {"Command8", nullptr, Guard::None, WhileRunning::Greyed, &MainWindow::markAllD},
    {"Command9", nullptr, Guard::None, WhileRunning::Greyed, &MainWindow::markAllB},
    {"Command11", nullptr, Guard::None, WhileRunning::Greyed, &MainWindow::markDAsB},
    {nullptr, "GridOpenMessage", Guard::None, WhileRunning::Greyed,
     &MainWindow::openInEmailProgram},
    {nullptr, "FileSaveMessage", Guard::None, WhileRunning::Greyed, &MainWindow::saveMessage},
    {nullptr, "FileClearPassword", Guard::None, WhileRunning::Editor, &MainWindow::clearSettings},
    {nullptr, "FileExit", Guard::None, WhileRunning::Free, &MainWindow::exit},
    {nullptr, "EditAccounts", Guard::Password, WhileRunning::Editor, &MainWindow::editAccounts},
    {nullptr, "EditBlacklist", Guard::Password, WhileRunning::Editor, &MainWindow::editLists},
    {nullptr, "EditRules", Guard::None, WhileRunning::Editor, &MainWindow::editRules},
    {nullptr, "ActionsQuickCheck", Guard::Password, WhileRunning::Greyed, &MainWindow::quickCheck},
    {nullptr, "ActionsDelLarge", Guard::Password, WhileRunning::Greyed, &MainWindow::deleteLarge},
    {nullptr, "ActionsTeach", Guard::Password, WhileRunning::Editor, &MainWindow::teachFromFolders},
    {nullptr, "ActionsWatch", Guard::None, WhileRunning::Greyed, &MainWindow::watchMail},
    {nullptr, "HelpHelp", Guard::None, WhileRunning::Free, &MainWindow::openManual},
    {nullptr, "HelpSupport", Guard::None, WhileRunning::Free, &MainWindow::openSupport},
    {nullptr, "HelpGoWebsite", Guard::None, WhileRunning::Free, &MainWindow::openWebsite},
    {nullptr, "HelpAbout", Guard::None, WhileRunning::Free, &MainWindow::showAbout},
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

void MainWindow::Buttons(bool enabled) {
    for (const Command& command : Commands) {
        if (command.whileRunning == WhileRunning::Free)
            continue;
        const bool on = enabled != (command.whileRunning == WhileRunning::OnlyThen);
        if (command.button)
            findChild<QAbstractButton*>(QLatin1String(command.button))->setEnabled(on);
        if (command.menuItem)
            findChild<QAction*>(QLatin1String(command.menuItem))->setEnabled(on);
    }
}

void MainWindow::run(const Command& command) {
    const bool greyedWhileRunning = command.whileRunning == WhileRunning::Greyed ||
                                    command.whileRunning == WhileRunning::Editor;
    // Greyed controls give no clicks; this also stops one queued before they were greyed.
    if (greyedWhileRunning && runs_.gate().underWay())
        return;
    if (command.guard == Guard::Password && GetPassword())
        return;
    std::optional<RunGate::Hold> editorOpen;
    if (command.whileRunning == WhileRunning::Editor)
        editorOpen.emplace(runs_.gate());
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

// The mail program gets the message itself, not the server's reply that the file keeps.
void MainWindow::openInEmailProgram() {
    const QString file = table_.cell(table_.grid().Row(), col::File);
    if (!file.isEmpty())
        handover::open(platform_, global_.cleanCopies, global_.dataPath(file),
                       QString::fromLatin1(Title));
}

void MainWindow::saveMessage() {
    const int row = table_.grid().Row();
    const QString file = table_.cell(row, col::File);
    if (!file.isEmpty())
        handover::saveAs(platform_, global_.dataPath(file), table_.cell(row, col::Subject),
                         QString::fromLatin1(Title));
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
    PreferencesWindow(global_, platform_, runs_.learning().available(), secrets_, this).run();
    global_.LoadSettings();
    secrets_.fetch(global_.settings, twips_.fromPixels(frameGeometry().topLeft()));
}

void MainWindow::teachFromFolders() {
    TeachWindow(global_, platform_, runs_.learning(), this).run();
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
