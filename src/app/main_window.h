#pragma once

#include "app/main_layout.h"
#include "mail/mail_run_host.h"
#include "mail/qt_wait_clock.h"
#include "review/message_grid.h"
#include "review/message_table.h"
#include "review/text_pane.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class GridView;
class Global;
class Platform;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class Pop3Channel;
class ProcessingRun;
class QtSocketControl;
class RetrievalRun;

// The main window: start-up, the commands' dispatch, the password guard, the layout pass and
// shutdown. The runs themselves live in the mail and review rooms.
class MainWindow : public QMainWindow, public MailRunHost {
    Q_OBJECT
public:
    static constexpr auto Title = "Mailweir";

    MainWindow(Global& global, Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: data folder, loads, statistics, trash pruning, the grid. Run once after
    // construction.
    void Form_Load();

    // True when the command must not run (the password was refused).
    bool GetPassword();
    void ListAccounts();

    // MailRunHost
    void Buttons(bool enabled) override;
    QString autoCheckState() const override { return Timer2.property("tag").toString(); }
    void showProgress(bool visible) override;
    int progressTrackWidth() const override;
    void setProgressBarWidth(int width) override;

    QString loadState() const { return loadState_; }
    QtSocketControl& socket() { return *Winsock1; }
    Pop3Channel& channel() { return *channel_; }
    TextPane& textPane() { return pane_; }
    MessageTable& messageTable() { return table_; }
    WindowMetrics metrics() const;
    // The outer window size in twips, as the layout pass sees it.
    QSize windowTwips() const;

    // Controls, named as the program knows them.
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
    QFrame* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Shape1 = nullptr;
    QTimer Timer1; // layout pass
    QTimer Timer2; // automatic mode
    std::unique_ptr<QtSocketControl> Winsock1;

    QAction* FileClearPassword = nullptr;
    QAction* FileTrashBrowser = nullptr;
    QAction* FileExit = nullptr;
    QAction* EditAccounts = nullptr;
    QAction* EditBlacklist = nullptr;
    QAction* EditRules = nullptr;
    QAction* EditPreferences = nullptr;
    QAction* FileGetMail = nullptr;
    QAction* FileDeleteSpam = nullptr;
    QAction* ActionsQuickCheck = nullptr;
    QAction* ActionsDelLarge = nullptr;
    QAction* HelpHelp = nullptr;
    QAction* HelpSupport = nullptr;
    QAction* HelpGoWebsite = nullptr;
    QAction* HelpAbout = nullptr;

public Q_SLOTS:
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void FileClearPassword_Click();
    void Timer1_Timer();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
    void connectCommands();
    void placeAtDesign(QWidget* control, int left, int top, int width, int height);
    QRect pixels(int left, int top, int width, int height) const;
    void Form_Resize();
    void Form_QueryUnload();
    void applyLayout(const MainLayout& layout);
    void notAvailable(const QString& what);
    void connectGrid();
    int twips(int pixels) const;

    Global& global_;
    Platform& platform_;
    MessageTable table_;
    TextPane pane_;
    QtWaitClock clock_;
    std::unique_ptr<Pop3Channel> channel_;
    std::unique_ptr<RetrievalRun> retrieval_;
    std::unique_ptr<ProcessingRun> processing_;
    MessageGrid messageGrid_;
    QString loadState_ = QStringLiteral("Loading");
    double twipsPerPixel_ = 15.0;
};
