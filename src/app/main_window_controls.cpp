// Building the main window's controls and menus at their design geometry.
#include "app/main_window.h"

#include "ui/grid_view.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Design client area, in twips.
constexpr int DesignWidth = 11880;
constexpr int DesignHeight = 9000;

struct ButtonSpec {
    const char* name;
    const char* caption;
    const char* tip;
};

// The seven large toolbar buttons, left to right.
const ButtonSpec Toolbar[] = {
    {"Command1", " Get mail", " Get email "},
    {"Command2", "Process", " Process email - apply actions "},
    {"Command3", "Stop", " Stop current task "},
    {"Command4", "Open in OE", " Open selected message in Outlook Express "},
    {"Command6", "Trash", " Browse deleted emails "},
    {"Command7", "Config", " Configure the program "},
    {"Command5", "Email prog", " Run your email program "},
};
constexpr int ToolbarStep = 960;
constexpr int ToolbarTop = 15;
constexpr int ToolbarWidth = 975;
constexpr int ToolbarHeight = 780;

// The three small marking buttons, stacked.
const ButtonSpec Marking[] = {
    {"Command8", "Mark all D", " Mark all unmarked email D "},
    {"Command11", "D >> B", " Change email marked D to B "},
    {"Command9", "Mark all B", " Mark all unmarked email B "},
};
constexpr int MarkingLeft = 7680;
constexpr int MarkingTops[] = {15, 270, 525};
constexpr int MarkingHeight = 270;

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// The buttons keep the layout's widths, and a desktop font may be wider than the captions
// were drawn for: a caption that would be clipped is set a little smaller until it fits.
constexpr int CaptionMargin = 4; // pixels each side, clear of the frame
constexpr double SmallestCaption = 6;
void fitCaption(QPushButton* button) {
    QFont font = button->font();
    const int room = button->width() - 2 * CaptionMargin;
    while (QFontMetrics(font).horizontalAdvance(button->text()) > room &&
           font.pointSizeF() - 0.5 >= SmallestCaption)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    button->setFont(font);
}

} // namespace

void MainWindow::placeAtDesign(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twips_.toPixels(left, top, width, height));
}

void MainWindow::createControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    client->setMinimumSize(1, 1);
    const QRect design = twips_.toPixels(0, 0, DesignWidth, DesignHeight);
    resize(design.width(), design.height() + menuBar()->sizeHint().height());

    auto makeButton = [&](const ButtonSpec& spec) {
        auto* button = new QPushButton(latin(spec.caption), client);
        button->setObjectName(latin(spec.name));
        button->setToolTip(latin(spec.tip));
        return button;
    };
    QPushButton** toolbar[] = {&Command1, &Command2, &Command3, &Command4,
                               &Command6, &Command7, &Command5};
    for (int i = 0; i < 7; ++i) {
        *toolbar[i] = makeButton(Toolbar[i]);
        placeAtDesign(*toolbar[i], i * ToolbarStep, ToolbarTop, ToolbarWidth, ToolbarHeight);
        fitCaption(*toolbar[i]);
    }
    QPushButton** marking[] = {&Command8, &Command11, &Command9};
    for (int i = 0; i < 3; ++i) {
        *marking[i] = makeButton(Marking[i]);
        placeAtDesign(*marking[i], MarkingLeft, MarkingTops[i], ToolbarWidth, MarkingHeight);
        fitCaption(*marking[i]);
    }

    Check1 = new QCheckBox(QStringLiteral("Show raw text"), client);
    Check1->setObjectName(QStringLiteral("Check1"));
    placeAtDesign(Check1, 8940, 90, 1695, 270);
    Check2 = new QCheckBox(QStringLiteral("Show header"), client);
    Check2->setObjectName(QStringLiteral("Check2"));
    placeAtDesign(Check2, 8940, 450, 1695, 270);

    MSFlexGrid1 = new GridView(table_.grid(), twips_, client);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(QStringLiteral("Messages"));
    MSFlexGrid1->setActionColumn(col::Action);
    placeAtDesign(MSFlexGrid1, 0, MainLayout::GridTop, 11850, 6000);
    auto* open = new QAction(QStringLiteral("&Open in email program"), MSFlexGrid1);
    open->setObjectName(QStringLiteral("GridOpenMessage"));
    MSFlexGrid1->addActions({open, findChild<QAction*>(QStringLiteral("FileSaveMessage"))});
    MSFlexGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);

    Label5 = new QLabel(QStringLiteral(" Accounts"), client);
    Label5->setObjectName(QStringLiteral("Label5"));
    placeAtDesign(Label5, 0, 6840, 2715, 375);
    List2 = new QListWidget(client);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setAccessibleName(QStringLiteral("Accounts"));
    List2->setSelectionMode(QAbstractItemView::MultiSelection);
    placeAtDesign(List2, 0, 7140, 2715, 1740);

    Text1 = new QPlainTextEdit(client);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Message text and progress"));
    Text1->setReadOnly(true);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFamilies({QStringLiteral("Courier New"),
                       QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    Text1->setFont(fixed);
    placeAtDesign(Text1, MainLayout::TextLeft, 6840, 9015, MainLayout::TextHeight);

    Frame1 = new QFrame(client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setAutoFillBackground(true);
    placeAtDesign(Frame1, 3240, 2340, 4635, 1515);
    auto* inner = new QFrame(Frame1);
    inner->setFrameShape(QFrame::Panel);
    inner->setFrameShadow(QFrame::Raised);
    placeAtDesign(inner, 60, 60, 4515, 1395);
    auto* working = new QLabel(QStringLiteral("Working..."), inner);
    working->setObjectName(QStringLiteral("Label3"));
    placeAtDesign(working, 480, 360, 1455, 195);
    Label1 = new QLabel(inner);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFrameShape(QFrame::Panel);
    Label1->setFrameShadow(QFrame::Sunken);
    placeAtDesign(Label1, 420, 660, 3735, 315);
    Shape1 = new QFrame(inner);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setStyleSheet(QStringLiteral("background-color: #000080;"));
    placeAtDesign(Shape1, 450, 690, 90, 270);
    Frame1->hide();

    Command2->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    Check2->setEnabled(false);
}

void MainWindow::createMenus() {
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(latin(caption));
        action->setObjectName(latin(name));
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(latin(name));
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral(" &File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    // The current message, as a file any mail program can take; also in the grid's menu.
    QAction* save = item(file, "FileSaveMessage", "&Save message as...");
    save->setShortcut(QKeySequence::Save);
    separator(file, "FileSep0");
    item(file, "FileClearPassword", "Clear settings");
    item(file, "FileTrashBrowser", "Trash browser");
    separator(file, "FileSep");
    item(file, "FileExit", "Exit");

    QMenu* edit = menuBar()->addMenu(QStringLiteral(" &Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    item(edit, "EditAccounts", "Accounts");
    item(edit, "EditBlacklist", "Black/white lists");
    item(edit, "EditRules", "Rules");
    separator(edit, "EditSep1");
    item(edit, "EditPreferences", "Preferences");

    QMenu* actions = menuBar()->addMenu(QStringLiteral("Actions"));
    actions->setObjectName(QStringLiteral("ActionsMenu"));
    FileGetMail = item(actions, "FileGetMail", "Get mail");
    FileDeleteSpam = item(actions, "FileDeleteSpam", "Process mail");
    separator(actions, "ActionsSep1");
    item(actions, "ActionsQuickCheck", "Quick mail check");
    item(actions, "ActionsDelLarge", "Delete large email");
    item(actions, "ActionsTeach", "Teach from mail folders...");
    // Some desktops offer no minimise button; this way into automatic mode works on all of them.
    separator(actions, "ActionsSep2");
    QAction* watch = item(actions, "ActionsWatch", "&Minimise and watch mail");
    watch->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    const QString watchHint =
        QStringLiteral("Check the accounts every few minutes while minimised");
    watch->setStatusTip(watchHint);
    watch->setToolTip(watchHint);

    QMenu* help = menuBar()->addMenu(QStringLiteral(" &Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    item(help, "HelpHelp", "Read the manual");
    separator(help, "HelpSep2");
    item(help, "HelpSupport", "Email support");
    item(help, "HelpGoWebsite", "Go to website");
    separator(help, "HelpSep1");
    item(help, "HelpAbout", "About");
}
