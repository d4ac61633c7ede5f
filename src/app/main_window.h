#pragma once

#include "app/main_layout.h"
#include "auth/secrets.h"
#include "mail/mail_runs.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "review/message_grid.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "ui/twips.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class GridView;
class Notifier;
class WatchTray;
class Global;
class Platform;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The main window: start-up, the command table with its password guard, the layout pass and
// shutdown. The runs live in the mail room and report here as their observer; the review
// grid's logic lives in the review room. Controls are private: tests find them by their
// object names.
class MainWindow : public QMainWindow, private RunObserver {
    Q_OBJECT
public:
    static constexpr auto Title = "Mailweir";

    MainWindow(Global& global, Platform& platform, Keyring& keyring, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: data folder, loads, statistics, trash pruning, the grid. Run once after
    // construction. True when another program already uses the data folder: it told the user,
    // and this one must end without saving anything.
    bool Form_Load();

    // True when the command must not run (the password was refused).
    bool GetPassword();
    void ListAccounts();
    // Greys the commands that must not start while a run is under way (false), or restores
    // them (true); Stop is the other way round.
    void Buttons(bool enabled);

    QString loadState() const { return loadState_; }
    const SocketControl& socket() const { return socket_; }
    MessageTable& messageTable() { return table_; }
    // The outer window size in twips, as the layout pass sees it.
    QSize windowTwips() const;

public Q_SLOTS:
    void Timer1_Timer();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Whether a command asks for the program password first.
    enum class Guard { None, Password };
    // One dialogue at a time: commands that start a dialogue, or change the grid or the tables
    // a run works from, are greyed while a run is under way. An editor also holds the run gate
    // while it is open, so an automatic check waits for it to close. Stop is the other way round.
    enum class WhileRunning { Free, Greyed, Editor, OnlyThen };
    struct Command;
    static const Command Commands[];

    // RunObserver
    void AddList(const QString& line) override { pane_.AddList(line); }
    void clearLog() override { pane_.clear(); }
    void runStateChanged(RunState state) override { Buttons(state == RunState::Idle); }
    void showProgress(bool visible) override;
    void setProgress(qint64 done, qint64 total) override;
    void closeRequested() override { close(); }
    bool passwordRefused() override { return GetPassword(); }
    void showCounts(const QList<MailCount>& counts) override;

    void createControls();
    void createMenus();
    void connectCommands();
    void connectGrid();
    void run(const Command& command);
    void placeAtDesign(QWidget* control, int left, int top, int width, int height);
    void Form_Resize();
    void Form_QueryUnload();
    void applyLayout(const MainLayout& layout);
    WindowMetrics metrics() const;
    void tellUser(const QString& text);

    // The commands.
    void getMail() { runs_.retrieval().Command1_Click(); }
    void processMail() { runs_.processing().Command2_Click(); }
    void stop() { runs_.channel().Stop(); }
    void quickCheck() { runs_.quickCheck().ActionsQuickCheck_Click(); }
    void deleteLarge();
    void watchMail();
    // Automatic mode on (the window minimised or hidden to the tray) or off (the user is back).
    void startWatching();
    void stopWatching();
    void watchFromTray(bool watch);
    void exit() { close(); }
    void openInEmailProgram();
    void saveMessage();
    void open(const QString& fileOrAddress);
    void runEmailProgram();
    void clearSettings();
    // The editors; afterwards the main window takes up what they stored.
    void editAccounts();
    void editPreferences();
    void editLists();
    void editRules();
    void teachFromFolders();
    void openManual();
    void openSupport();
    void openWebsite();
    void browseTrash();
    void showAbout();
    void markAllD() { messageGrid_.markAllD(); }
    void markAllB() { messageGrid_.markAllB(); }
    void markDAsB() { messageGrid_.markDAsB(); }

    Global& global_;
    Platform& platform_;
    Secrets secrets_;
    const Twips twips_;
    MessageTable table_;
    TextPane pane_;
    QtSocketControl socket_;
    QtWaitClock clock_{this}; // its Timer2 is the window's automatic-mode timer
    MailRuns runs_;
    MessageGrid messageGrid_;
    QString loadState_ = QStringLiteral("Loading");

    QPushButton* Command1 = nullptr;  // Get mail
    QPushButton* Command2 = nullptr;  // Process
    QPushButton* Command3 = nullptr;  // Stop
    QPushButton* Command4 = nullptr;  // Open in OE
    QPushButton* Command5 = nullptr;  // Email prog
    QPushButton* Command6 = nullptr;  // Trash
    QPushButton* Command7 = nullptr;  // Config
    QPushButton* Command8 = nullptr;  // Mark all D
    QPushButton* Command9 = nullptr;  // Mark all B
    QPushButton* Command11 = nullptr; // D >> B
    QCheckBox* Check1 = nullptr;      // Show raw text
    QCheckBox* Check2 = nullptr;      // Show header
    GridView* MSFlexGrid1 = nullptr;
    QLabel* Label5 = nullptr;
    QListWidget* List2 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QFrame* Frame1 = nullptr; // the progress panel: Label1 is its track, Shape1 its bar
    QLabel* Label1 = nullptr;
    QFrame* Shape1 = nullptr;
    QAction* FileGetMail = nullptr;
    QAction* FileDeleteSpam = nullptr;
    QTimer* Timer1 = nullptr; // layout pass; automatic mode's Timer2 ticks on the runs' clock
    std::unique_ptr<Notifier> notifier_; // a window of its own, so it shows while this is minimised
    WatchTray* tray_ = nullptr;
};
