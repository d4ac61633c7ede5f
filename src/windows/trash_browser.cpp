#include "windows/trash_browser.h"

#include "platform/platform.h"
#include "review/message_handover.h"
#include "store/global.h"
#include "ui/grid_view.h"
#include "ui/pane_view.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString Caption = QStringLiteral("Trash browser");
const QString NotDeleted = QStringLiteral("Mailweir could not delete %1.      \r\n"
                                          "Check that the Trash folder can be written to.      ");
const QString GridName = QStringLiteral("Trash copies");
const QString PaneName = QStringLiteral("Message text");

// The window as designed, in twips; every control keeps its share of it when resized.
constexpr int DesignWidth = 9600;
constexpr int DesignHeight = 7200;
constexpr int ButtonTop = 6630;
constexpr int ButtonWidth = 1620;
constexpr int ButtonHeight = 480;
constexpr int ScanDelayMs = 250;
// The scan does not yield, so its progress lines are painted by hand, a few times a second.
constexpr int PaintEveryMs = 100;

const QList<double> LoadShares = {0.1, 0.3, 0.4, 0.2};
const QList<double> ResizeShares = {0.1, 0.3, 0.5, 0.1};

} // namespace

TrashBrowser::TrashBrowser(Global& global, Platform& platform, QWidget* parent)
    : EditorWindow(global, platform, parent, "TrashBrowser", Caption), Timer1(new QTimer(this)) {
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(ScanDelayMs);
    Timer1->setSingleShot(true);
    createControls();
    connectControls();
    showPane(pane_, *Text1);
    resize(pixels(DesignWidth, DesignHeight));
    list_.setColumnWidths(usableWidth(DesignWidth), LoadShares);
}

void TrashBrowser::createControls() {
    MSFlexGrid1 = new GridView(list_.grid(), twips_, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(GridName);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setAccessibleName(PaneName);
    Text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Check1 = new QCheckBox(QStringLiteral("Show header"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Command1 = makeButton("Command1", QStringLiteral("View in OE"),
                          QStringLiteral(" View in Outlook Express "));
    Command3 =
        makeButton("Command3", QStringLiteral("Delete"), QStringLiteral(" Delete selected email "));
    Command4 = makeButton("Command4", QStringLiteral("Explorer"),
                          QStringLiteral(" Open Windows Explorer "));
    Command2 = makeButton("Command2", QStringLiteral("Close"), QStringLiteral(" Close window "));

    // The grid's menu: what "View in OE" does, and the copy saved where the user chooses.
    auto* view = new QAction(QStringLiteral("&View in email program"), MSFlexGrid1);
    SaveCopy = new QAction(QStringLiteral("&Save copy as..."), MSFlexGrid1);
    SaveCopy->setObjectName(QStringLiteral("SaveCopy"));
    SaveCopy->setShortcut(QKeySequence::Save);
    SaveCopy->setShortcutContext(Qt::WindowShortcut);
    MSFlexGrid1->addActions({view, SaveCopy});
    connect(view, &QAction::triggered, this, &TrashBrowser::Command1_Click);
    connect(SaveCopy, &QAction::triggered, this, &TrashBrowser::saveCopy);

    place(MSFlexGrid1, 0, 0, DesignWidth, 3600);
    place(Text1, 0, 3660, DesignWidth, 2880);
    place(Check1, 120, ButtonTop, 1800, ButtonHeight);
    int left = 2160;
    for (QPushButton* button : {Command1, Command3, Command4, Command2}) {
        button->setEnabled(false); // until the scan has finished
        place(button, left, ButtonTop, ButtonWidth, ButtonHeight);
        left += ButtonWidth + 240;
    }
    QWidget* const order[] = {MSFlexGrid1, Text1, Check1, Command1, Command3, Command4, Command2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TrashBrowser::place(QWidget* control, int left, int top, int width, int height) {
    layoutRecord_.append(
        {control, QRectF(double(left) / DesignWidth, double(top) / DesignHeight,
                         double(width) / DesignWidth, double(height) / DesignHeight)});
}

void TrashBrowser::connectControls() {
    connect(Timer1, &QTimer::timeout, this, &TrashBrowser::Timer1_Timer);
    connect(&list_.grid(), &GridModel::Click, this, &TrashBrowser::MSFlexGrid1_Click);
    connect(Check1, &QCheckBox::clicked, this, &TrashBrowser::MSFlexGrid1_Click);
    connect(Command1, &QPushButton::clicked, this, &TrashBrowser::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &TrashBrowser::reject);
    connect(Command3, &QPushButton::clicked, this, &TrashBrowser::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &TrashBrowser::Command4_Click);
}

void TrashBrowser::showEvent(QShowEvent* event) {
    EditorWindow::showEvent(event);
    // The scan runs once, after the window first appears.
    if (!scanStarted_) {
        scanStarted_ = true;
        Timer1->start();
    }
}

void TrashBrowser::Timer1_Timer() {
    Timer1->stop();
    platform_.setBusy(true);
    sincePainted_.start();
    list_.scan(global_.TrashFolder, [this](const QString& line) { logLine(line); });
    list_.grid().setCurrentCell(1, TrashList::Date);
    MSFlexGrid1_Click();
    for (QPushButton* button : {Command1, Command2, Command3, Command4})
        button->setEnabled(true);
    MSFlexGrid1->setContextMenuPolicy(Qt::ActionsContextMenu); // its menu, like the buttons
    platform_.setBusy(false);
}

void TrashBrowser::logLine(const QString& line) {
    pane_.AddList(line);
    if (sincePainted_.elapsed() >= PaintEveryMs) {
        Text1->repaint();
        sincePainted_.restart();
    }
}

void TrashBrowser::resizeEvent(QResizeEvent* event) {
    EditorWindow::resizeEvent(event);
    Form_Resize();
}

void TrashBrowser::Form_Resize() {
    const double w = width(), h = height();
    for (const Place& place : layoutRecord_) {
        const QRectF& f = place.fraction;
        place.control->setGeometry(qRound(w * f.left()), qRound(h * f.top()), qRound(w * f.width()),
                                   qRound(h * f.height()));
    }
    list_.setColumnWidths(usableWidth(twips_.fromPixels(MSFlexGrid1->width())), ResizeShares);
}

void TrashBrowser::MSFlexGrid1_Click() {
    pane_.setText(list_.showCurrent(Check1->isChecked()));
}

// The mail program gets the message itself, not the server's reply that the copy keeps.
void TrashBrowser::Command1_Click() {
    const QString path = list_.currentPath();
    if (!path.isEmpty())
        handover::open(platform_, global_.cleanCopies, path, windowTitle());
}

void TrashBrowser::saveCopy() {
    const QString path = list_.currentPath();
    if (!path.isEmpty())
        handover::saveAs(platform_, path,
                         list_.grid().TextMatrix(list_.grid().Row(), TrashList::Subject),
                         windowTitle());
}

void TrashBrowser::Command3_Click() {
    const QString path = list_.currentPath();
    if (list_.deleteCurrent())
        tell(NotDeleted.arg(path));
}

void TrashBrowser::Command4_Click() {
    openOnDesktop(global_.TrashFolder);
}
