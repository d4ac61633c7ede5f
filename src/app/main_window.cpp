#include "app/main_window.h"

#include "app/watch_tray.h"
#include "platform/platform.h"
#include "store/global.h"
#include "ui/pane_view.h"
#include "windows/notifier.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {

const QString NoDataFolder = QStringLiteral("Mailweir could not create its data folder ");
const QString AlreadyRunning =
    QStringLiteral("Mailweir is already running. Only one Mailweir at a time can use the data "
                   "folder ");
const QString NothingSaved = QStringLiteral(". Settings, lists and messages cannot be saved.");
const QString NotSaved = QStringLiteral("Could not save ");
const QString NotRead = QStringLiteral("Mailweir could not read ");
const QString LeftAsItIs =
    QStringLiteral(". The file is left as it is: Mailweir will not save over it this time.");
const QString AccountsFile = QStringLiteral("Accounts.txt");
const QString SettingsFile = QStringLiteral("config.ini");

constexpr int LayoutDelayMs = 250;

} // namespace

MainWindow::MainWindow(Global& global, Platform& platform, Keyring& keyring, QWidget* parent)
    : QMainWindow(parent), global_(global), platform_(platform), secrets_(keyring, platform),
      twips_(platform.twipsPerPixel()), runs_(socket_, clock_, platform, global, table_, *this),
      messageGrid_(table_, pane_, global), Timer1(new QTimer(this)),
      notifier_(std::make_unique<Notifier>(twips_)) {
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
    tray_ = new WatchTray(this);
    connect(tray_, &WatchTray::watchToggled, this, &MainWindow::watchFromTray);
    connect(tray_, &WatchTray::showRequested, this, [this] { watchFromTray(false); });
}

MainWindow::~MainWindow() = default;

bool MainWindow::Form_Load() {
    platform_.setBusy(true);
    if (global_.setUpDataFolder(platform_.documentsFolder()))
        tellUser(NoDataFolder + global_.DataFolder + NothingSaved);
    // Two programs over one folder would delete and rewrite each other's message files.
    else if (global_.lockDataFolder()) {
        platform_.setBusy(false);
        tellUser(AlreadyRunning + global_.DataFolder + QLatin1Char('.'));
        return true;
    }
    QCoreApplication::processEvents();
    global_.loadAll();
    secrets_.fetch(global_.settings, twips_.fromPixels(frameGeometry().topLeft()));
    secrets_.fetch(global_.accounts, twips_.fromPixels(frameGeometry().topLeft()));
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
    return false;
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
    global_.cleanCopies.removeAll();
    stop();
    // Without a data folder the program ran on its defaults and writes nothing.
    if (!global_.dataFolderReady())
        return;
    secrets_.keep(global_.accounts);
    if (global_.SaveAccounts())
        tellUser(NotSaved + AccountsFile);
    secrets_.keep(global_.settings);
    if (global_.SaveSettings())
        tellUser(NotSaved + SettingsFile);
}

// On the screen the window is on, less the desktop's panels, so no panel covers the notifier.
// Where the notifier cannot place itself in its corner, the desktop's notifications show the
// counts instead, and the notifier only where there are none.
void MainWindow::showCounts(const QList<MailCount>& counts) {
    const QString summary = Notifier::summary(counts);
    tray_->setCounts(summary);
    const qint64 seconds = global_.settings.number(setting::NotifySecs);
    if (!platform_.placesWindows() &&
        !platform_.notify(QString::fromLatin1(Title), summary, seconds))
        return;
    notifier_->showCounts(counts, screen()->availableGeometry(), seconds);
}
