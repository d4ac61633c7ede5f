#include "app/main_window.h"

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
}

MainWindow::~MainWindow() = default;

void MainWindow::Form_Load() {
    platform_.setBusy(true);
    if (global_.setUpDataFolder(platform_.documentsFolder()))
        tellUser(NoDataFolder + global_.DataFolder + NothingSaved);
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
    secrets_.keep(global_.accounts);
    if (global_.SaveAccounts())
        tellUser(NotSaved + AccountsFile);
    secrets_.keep(global_.settings);
    if (global_.SaveSettings())
        tellUser(NotSaved + SettingsFile);
}

// On the screen the window is on, less the desktop's panels, so no panel covers the notifier.
void MainWindow::showCounts(const QList<MailCount>& counts) {
    notifier_->showCounts(counts, screen()->availableGeometry(),
                          global_.settings.number(setting::NotifySecs));
}
