#include "app/main_window.h"

#include "mail/pop3_channel.h"
#include "mail/processing_run.h"
#include "mail/qt_socket_control.h"
#include "mail/retrieval_run.h"
#include "platform/platform.h"
#include "store/global.h"
#include "store/text.h"
#include "ui/grid_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <cmath>

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

const QString CloseFailed = QStringLiteral("Error - close connection");
const QString Loading = QStringLiteral("Loading");
const QString NotAvailable = QStringLiteral(" is not available in this version of Mailweir.");

// The maker's addresses.
const QString SupportAddress = QStringLiteral("mailto:support@mailweir.org");
const QString Website = QStringLiteral("https://mailweir.org/");
const QString ManualName = QStringLiteral("Help.html");

constexpr int LayoutDelayMs = 250;
constexpr int Label5Width = 2715;
constexpr int Label5Height = 375;
constexpr int List2Width = 2715;
constexpr int List2Height = 1740;
constexpr int AutoCheckMs = 60000;

} // namespace

MainWindow::MainWindow(Global& global, Platform& platform, QWidget* parent)
    : QMainWindow(parent), Winsock1(std::make_unique<QtSocketControl>()), global_(global),
      platform_(platform),
      channel_(std::make_unique<Pop3Channel>(*Winsock1, clock_, platform, pane_)),
      retrieval_(std::make_unique<RetrievalRun>(*channel_, global, table_, pane_, *this, platform)),
      processing_(std::make_unique<ProcessingRun>(
          *channel_, global, table_, pane_, *this, platform, [this] { Command5_Click(); },
          [this] { close(); })),
      messageGrid_(table_, pane_, global), twipsPerPixel_(platform.twipsPerPixel()) {
    setWindowTitle(QString::fromLatin1(Title));
    setObjectName(QStringLiteral("MainWindow"));
    createMenus();
    createControls();
    Timer1.setInterval(LayoutDelayMs);
    Timer1.setSingleShot(true);
    Timer2.setInterval(AutoCheckMs);
    Timer2.setProperty("tag", QStringLiteral("0"));
    connect(&pane_, &TextPane::textChanged, this, [this](const QString& text) {
        Text1->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    });
    connectCommands();
    connectGrid();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectCommands() {
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(FileGetMail, &QAction::triggered, this, [this] {
        if (!GetPassword())
            Command1_Click();
    });
    connect(Command2, &QPushButton::clicked, this, [this] { processing_->Command2_Click(); });
    connect(FileDeleteSpam, &QAction::triggered, this, [this] { processing_->Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, &MainWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &MainWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &MainWindow::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &MainWindow::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &MainWindow::Command7_Click);
    connect(FileClearPassword, &QAction::triggered, this, &MainWindow::FileClearPassword_Click);
    connect(FileExit, &QAction::triggered, this, &QWidget::close);
    connect(HelpHelp, &QAction::triggered, this, [this] {
        platform_.shellOpen(QCoreApplication::applicationDirPath() + QLatin1Char('/') + ManualName);
    });
    // Commands whose windows and runs are not part of this build say so plainly.
    for (QAction* guarded : {FileTrashBrowser, EditAccounts, EditBlacklist, EditPreferences,
                             ActionsQuickCheck, ActionsDelLarge})
        connect(guarded, &QAction::triggered, this, [this, guarded] {
            if (!GetPassword())
                notAvailable(guarded->text());
        });
    for (QAction* open : {EditRules, HelpAbout})
        connect(open, &QAction::triggered, this, [this, open] { notAvailable(open->text()); });
    connect(HelpSupport, &QAction::triggered, this,
            [this] { platform_.shellOpen(SupportAddress); });
    connect(HelpGoWebsite, &QAction::triggered, this, [this] { platform_.shellOpen(Website); });
}

void MainWindow::Form_Load() {
    platform_.setBusy(true);
    global_.setUpDataFolder(platform_.documentsFolder());
    QCoreApplication::processEvents();
    global_.loadAll();
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
    const QPoint corner = frameGeometry().topLeft() * twipsPerPixel_;
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

void MainWindow::notAvailable(const QString& what) {
    platform_.messageBox(what + NotAvailable, Platform::Buttons::Ok, Platform::Icon::Information,
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
    connect(Command8, &QPushButton::clicked, this, [this] { messageGrid_.markAllD(); });
    connect(Command9, &QPushButton::clicked, this, [this] { messageGrid_.markAllB(); });
    connect(Command11, &QPushButton::clicked, this, [this] { messageGrid_.markDAsB(); });
    connect(List2, &QListWidget::itemSelectionChanged, this, [this] {
        QList<bool> selected;
        for (int i = 0; i < List2->count(); ++i)
            selected.append(List2->item(i)->isSelected());
        messageGrid_.List2_Click(selected);
    });
}

void MainWindow::Command1_Click() {
    if (!GetPassword())
        retrieval_->Command1_Click();
}

void MainWindow::Command3_Click() {
    channel_->Stop();
}

void MainWindow::showProgress(bool visible) {
    Frame1->setVisible(visible);
    Frame1->raise();
}

int MainWindow::twips(int pixels) const {
    return static_cast<int>(std::lround(pixels * twipsPerPixel_));
}

int MainWindow::progressTrackWidth() const {
    return twips(Label1->width());
}

void MainWindow::setProgressBarWidth(int width) {
    Shape1->resize(static_cast<int>(std::lround(width / twipsPerPixel_)), Shape1->height());
}

void MainWindow::Command4_Click() {
    const QString file = table_.cell(table_.grid().Row(), col::File);
    if (!file.isEmpty())
        platform_.shellOpen(global_.dataPath(file));
}

// The e-mail program is started directly, never through a shell. When the setting names no
// program on this system (the default names one from another platform), the desktop's own
// e-mail program is opened instead.
void MainWindow::Command5_Click() {
    const QString command = global_.settings[setting::EmailProgram];
    if (command.isEmpty())
        return;
    QStringList words = QProcess::splitCommand(command);
    const QString program = words.isEmpty() ? QString() : words.takeFirst();
    if (!program.isEmpty() && platform_.programExists(program))
        platform_.startProgram(program, words);
    else
        platform_.shellOpen(QStringLiteral("mailto:"));
}

void MainWindow::Command6_Click() {
    if (!GetPassword())
        FileTrashBrowser->trigger();
}

void MainWindow::Command7_Click() {
    if (!GetPassword())
        EditPreferences->trigger();
}

void MainWindow::FileClearPassword_Click() {
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

WindowMetrics MainWindow::metrics() const {
    WindowMetrics m;
    m.twipsPerPixel = twipsPerPixel_;
    m.framePixels = platform_.sizingFrameHeight();
    m.captionPixels = platform_.captionHeight();
    m.scrollBarPixels = platform_.verticalScrollBarWidth();
    return m;
}

QSize MainWindow::windowTwips() const {
    const WindowMetrics m = metrics();
    const int inner = static_cast<int>(std::lround(width() * twipsPerPixel_));
    const int tall = static_cast<int>(std::lround(height() * twipsPerPixel_));
    return QSize(inner + 2 * m.frameTwips(), tall + m.barTwips() + m.frameTwips());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void MainWindow::Form_Resize() {
    if (isMinimized()) {
        Timer2.setProperty("tag", QStringLiteral("0"));
        Timer2.start();
        return;
    }
    Timer2.stop();
    Timer1.stop();
    Timer1.start();
}

void MainWindow::Timer1_Timer() {
    Timer1.stop();
    if (loadState_ == Loading) {
        loadState_.clear();
        return;
    }
    if (isMinimized())
        return;
    const QSize outer = windowTwips();
    const MainLayout layout = MainLayout::compute(outer.width(), outer.height(), metrics());
    if (layout.windowWidth != outer.width() || layout.windowHeight != outer.height()) {
        const QSize grow = QSize(layout.windowWidth, layout.windowHeight) - outer;
        resize(width() + static_cast<int>(std::ceil(grow.width() / twipsPerPixel_)),
               height() + static_cast<int>(std::ceil(grow.height() / twipsPerPixel_)));
    }
    applyLayout(layout);
}

void MainWindow::applyLayout(const MainLayout& layout) {
    placeAtDesign(Text1, MainLayout::TextLeft, layout.textTop, layout.textWidth,
                  MainLayout::TextHeight);
    placeAtDesign(Label5, 0, layout.labelTop, Label5Width, Label5Height);
    placeAtDesign(List2, 0, layout.listTop, List2Width, List2Height);
    placeAtDesign(MSFlexGrid1, 0, MainLayout::GridTop, layout.gridWidth, layout.gridHeight);
    table_.setColumnWidths(layout.gridWidth, metrics().scrollBarTwips());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::Form_QueryUnload() {
    Timer1.stop();
    Timer2.stop();
    loadState_ = Loading;
    // A run waiting for a reply returns from its wait without touching anything and the
    // program ends; it never resumes.
    channel_->abandon();
    global_.deleteMessageFiles();
    Command3_Click();
    global_.SaveAccounts();
    global_.SaveSettings();
}
