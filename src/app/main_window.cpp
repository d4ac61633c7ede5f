#include "app/main_window.h"

#include "mail/email_program.h"
#include "platform/platform.h"
#include "store/global.h"
#include "ui/pane_view.h"
#include "windows/about_window.h"
#include "windows/accounts_window.h"
#include "windows/lists_window.h"
#include "windows/notifier.h"
#include "windows/preferences_window.h"
#include "windows/rules_editor_window.h"
#include "windows/trash_browser.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

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

const QString NotAvailable = QStringLiteral(" is not available in this version of Mailweir.");
const QString NoDataFolder = QStringLiteral("Mailweir could not create its data folder ");
const QString NothingSaved = QStringLiteral(". Settings, lists and messages cannot be saved.");
const QString NotSaved = QStringLiteral("Could not save ");
const QString NotRead = QStringLiteral("Mailweir could not read ");
const QString LeftAsItIs =
    QStringLiteral(". The file is left as it is: Mailweir will not save over it this time.");
const QString NotOpened = QStringLiteral("The desktop could not open ");
const QString AccountsFile = QStringLiteral("Accounts.txt");
const QString SettingsFile = QStringLiteral("config.ini");

const QString ManualName = QStringLiteral("Help.html");
// Where an installed program keeps its manual, from the program's folder.
const QString InstalledManualFolder = QStringLiteral("../share/mailweir");

// Shows one of the editor windows modally over `owner` until the user closes it.
template <class Editor> void showEditor(Global& global, Platform& platform, QWidget* owner) {
    Editor editor(global, platform, owner);
    editor.run();
}

constexpr int LayoutDelayMs = 250;

} // namespace

// One entry per command: the button and menu item that give it, whether it asks for the
// program password first, and what it does. A command without a handler belongs to a window
// or run this version does not have, and says so.
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

MainWindow::MainWindow(Global& global, Platform& platform, QWidget* parent)
    : QMainWindow(parent), global_(global), platform_(platform), twips_(platform.twipsPerPixel()),
      runs_(socket_, clock_, platform, global, table_, *this), messageGrid_(table_, pane_, global),
      Timer1(new QTimer(this)), notifier_(std::make_unique<Notifier>(twips_)) {
    setWindowTitle(QString::fromLatin1(Title));
    setObjectName(QStringLiteral("MainWindow"));
    createMenus();
    createControls();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(LayoutDelayMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    showPane(pane_, *Text1);
    connectCommands();
    connectGrid();
}

MainWindow::~MainWindow() = default;

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
    if (command.handler) {
        (this->*command.handler)();
        return;
    }
    const QString caption =
        findChild<QAction*>(QLatin1String(command.menuItem))->text().remove(QLatin1Char('&'));
    tellUser(caption + NotAvailable);
}

void MainWindow::Form_Load() {
    platform_.setBusy(true);
    if (global_.setUpDataFolder(platform_.documentsFolder()))
        tellUser(NoDataFolder + global_.DataFolder + NothingSaved);
    QCoreApplication::processEvents();
    global_.loadAll();
    for (const QString& path : global_.unreadableFiles())
        tellUser(NotRead + path + LeftAsItIs);
    ListAccounts();
    pane_.setText(global_.statistics());
    global_.pruneTrash();
    const MainLayout layout =
        MainLayout::compute(windowTwips().width(), windowTwips().height(), metrics());
    table_.setColumnWidths(layout.gridWidth, metrics().scrollBarTwips());
    platform_.setBusy(false);
    loadState_.clear();
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

void MainWindow::Buttons(bool enabled) {
    for (QPushButton* button : {Command1, Command2, Command4, Command6, Command7, Command5,
                                Command8, Command9, Command11})
        button->setEnabled(enabled);
    FileGetMail->setEnabled(enabled);
    FileDeleteSpam->setEnabled(enabled);
    Command3->setEnabled(!enabled);
}

void MainWindow::ListAccounts() {
    const QSignalBlocker quiet(List2);
    List2->clear();
    for (int r = 1; r <= AccountTable::MaxAccounts; ++r) {
        const Account& account = global_.accounts.row(r);
        if (account.AccountName.isEmpty())
            break;
        List2->addItem(account.AccountName);
        List2->item(r - 1)->setSelected(!account.Enabled.isEmpty());
    }
}

void MainWindow::tellUser(const QString& text) {
    platform_.messageBox(text, Platform::Buttons::Ok, Platform::Icon::Information,
                         QString::fromLatin1(Title));
}

void MainWindow::connectGrid() {
    connect(&table_.grid(), &GridModel::Click, this,
            [this] { messageGrid_.MSFlexGrid1_Click(Check1->isChecked(), Check2->isChecked()); });
    connect(Check1, &QCheckBox::clicked, this, [this] {
        Check2->setEnabled(messageGrid_.Check1_Click(Check1->isChecked(), Check2->isChecked()));
    });
    connect(Check2, &QCheckBox::clicked, this,
            [this] { messageGrid_.Check2_Click(Check1->isChecked(), Check2->isChecked()); });
    connect(List2, &QListWidget::itemSelectionChanged, this, [this] {
        QList<bool> selected;
        for (int i = 0; i < List2->count(); ++i)
            selected.append(List2->item(i)->isSelected());
        messageGrid_.List2_Click(selected);
    });
}

void MainWindow::showProgress(bool visible) {
    Frame1->setVisible(visible);
    Frame1->raise();
}

void MainWindow::setProgress(qint64 done, qint64 total) {
    const int bar = MainLayout::progressBarWidth(twips_.fromPixels(Label1->width()), done, total);
    Shape1->resize(twips_.toPixels(bar), Shape1->height());
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
    showEditor<AccountsWindow>(global_, platform_, this);
    ListAccounts();
}

void MainWindow::editPreferences() {
    showEditor<PreferencesWindow>(global_, platform_, this);
    global_.LoadSettings();
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

void MainWindow::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::Form_QueryUnload() {
    Timer1->stop();
    runs_.automatic().stop();
    notifier_->hide();
    loadState_ = QStringLiteral("Loading");
    // A run waiting for a reply returns from its wait without touching anything and the
    // program ends; it never resumes.
    runs_.channel().abandon();
    global_.deleteMessageFiles();
    stop();
    // Without a data folder the program ran on its defaults and writes nothing.
    if (!global_.dataFolderReady())
        return;
    if (global_.SaveAccounts())
        tellUser(NotSaved + AccountsFile);
    if (global_.SaveSettings())
        tellUser(NotSaved + SettingsFile);
}

void MainWindow::deleteLarge() {
    runs_.largeMail().ActionsDelLarge_Click(twips_.fromPixels(frameGeometry().topLeft()));
}

// On the screen the window is on, less the desktop's panels, so no panel covers the notifier.
void MainWindow::showCounts(const QList<MailCount>& counts) {
    notifier_->showCounts(counts, screen()->availableGeometry(),
                          global_.settings.number(setting::NotifySecs));
}
