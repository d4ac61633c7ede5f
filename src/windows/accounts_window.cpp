#include "windows/accounts_window.h"

#include "auth/secrets.h"
#include "platform/platform.h"
#include "store/global.h"
#include "store/text.h"
#include "ui/grid_view.h"
#include "windows/sign_in_box.h"

#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace {

const QString Caption = QStringLiteral("Accounts");
const QString Heading = QStringLiteral("Manage accounts");
const QString Help = QStringLiteral(
    "The name can be anything and is just an easy way for you to identify an account. The email "
    "address is used to check that messages are correctly addressed. Copy the username and "
    "password from your email program. Most email servers use port 110, so leave this at the "
    "default setting.");
const QString GridName = QStringLiteral("Accounts");
const QString Titles[] = {QStringLiteral("Name"), QStringLiteral("Mail server"),
                          QStringLiteral("Username")};
constexpr double Shares[] = {0.3, 0.4, 0.3};
const QString DefaultPort = QStringLiteral("110");
const QString Zero = QStringLiteral("0");
const QString EnabledOn = QStringLiteral("1");

const QString TooManyAccounts =
    QStringLiteral("Mailweir keeps at most 25 accounts.      \r\n"
                   "Delete an account before you enter a new one.      ");
const QString NoName = QStringLiteral("Please give the account a name.      \r\n"
                                      "To remove an account, select it and press Delete.      ");
const QString DuplicateName = QStringLiteral("Another account is already called \"%1\".      \r\n"
                                             "Please give this one a different name.      ");

constexpr int GridWidth = 7500;
constexpr int GridHeight = 2700;
constexpr int PortWidth = 1200;
constexpr int NameCol = 0;
constexpr int DateCol = 4;
constexpr int Spare1Col = 5;
constexpr int Spare2Col = 6;
constexpr int EnabledCol = 7;
constexpr int PortCol = 8;

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

// In tab order: each box with its label, the grid column it edits, its length and tooltip.
const AccountsWindow::BoxSpec AccountsWindow::Boxes[] = {
    {&AccountsWindow::Text1, "Text1", "Name:", 0, 50, " Name this account whatever you like "},
    {&AccountsWindow::Text6, "Text6", "Email addr:", 9, 50,
     " Used to check email is actually for you "},
    {&AccountsWindow::Text2, "Text2", "Mail server:", 1, 50, " Copy this from your email program "},
    {&AccountsWindow::Text5, "Text5", "Port:", PortCol, 0, ""},
    {&AccountsWindow::Text3, "Text3", "Username:", 2, 50, " This is also in your email program "},
    {&AccountsWindow::Text4, "Text4", "Password:", 3, 50, ""},
};

AccountsWindow::AccountsWindow(Global& global, Platform& platform, Secrets& secrets,
                               QWidget* parent)
    : EditorWindow(global, platform, parent, "Accounts", Caption), secrets_(secrets) {
    createControls();
    Form_Load();
}

void AccountsWindow::createControls() {
    auto* layout = new QGridLayout(this);
    layout->addWidget(makeHeading(Heading), 0, 0, 1, 4);
    layout->addWidget(makeLabel(Help), 1, 0, 1, 4);
    MSFlexGrid1 = new GridView(grid_, twips_, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(GridName);
    MSFlexGrid1->setFixedSize(pixels(GridWidth, GridHeight));
    layout->addWidget(MSFlexGrid1, 2, 0, 1, 4);

    // The port box sits on the mail server's line; the others have a line each.
    const int places[][2] = {{3, 0}, {4, 0}, {5, 0}, {5, 2}, {6, 0}, {7, 0}};
    QWidget* previous = MSFlexGrid1;
    for (int i = 0; i < 6; ++i) {
        const BoxSpec& spec = Boxes[i];
        QLineEdit* box = makeBox(spec.name, spec.maxLength, latin(spec.tip));
        this->*spec.box = box;
        layout->addWidget(makeLabel(latin(spec.label), box), places[i][0], places[i][1]);
        layout->addWidget(box, places[i][0], places[i][1] + 1);
        setTabOrder(previous, box);
        previous = box;
    }
    Command1 = makeButton("Command1", QStringLiteral("Enter"));
    Command4 = makeButton("Command4", QStringLiteral("Delete"));
    Command2 = makeButton("Command2", QStringLiteral("Save"),
                          QStringLiteral(" Close window, save settings "));
    Command3 = makeButton("Command3", QStringLiteral("Cancel"),
                          QStringLiteral(" Close window, don't save anything "));
    signIn_ = new SignInBox(global_, platform_, this);
    layout->addWidget(signIn_, 8, 0, 1, 4);
    setTabOrder(previous, signIn_->first());
    previous = signIn_->last();
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {Command1, Command4, Command2, Command3}) {
        if (button == Command2)
            buttons->addStretch();
        buttons->addWidget(button);
        setTabOrder(previous, button);
        previous = button;
    }
    layout->addLayout(buttons, 9, 0, 1, 4);
    Text5->setFixedWidth(twips_.toPixels(PortWidth));

    connect(&grid_, &GridModel::Click, this, &AccountsWindow::MSFlexGrid1_Click);
    // A token is not typed: the password box is for the password alone.
    connect(signIn_, &SignInBox::methodChanged, this,
            [this](bool oauth, const QString& popHost, int popPort) {
                Text4->setEnabled(!oauth);
                if (popHost.isEmpty())
                    return;
                Text2->setText(popHost);
                Text5->setText(QString::number(popPort));
            });
    connect(Command1, &QPushButton::clicked, this, &AccountsWindow::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &AccountsWindow::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &AccountsWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &AccountsWindow::reject);
}

void AccountsWindow::Form_Load() {
    const auto usable = static_cast<qint16>(usableWidth(GridWidth));
    for (int c = 0; c < 3; ++c) {
        grid_.setColWidth(c, static_cast<int>(std::lround(Shares[c] * usable)));
        grid_.setColAlignment(c, GridModel::AlignLeft);
        grid_.setTextMatrix(0, c, Titles[c]);
    }
    const int count = global_.accounts.count();
    for (int r = 1; r <= count; ++r) {
        const auto fields = global_.accounts.row(r).fields();
        for (int c = 0; c < Columns; ++c)
            grid_.setTextMatrix(r, c, *fields[c]);
    }
    grid_.setRow(1);
    MSFlexGrid1_Click();
}

void AccountsWindow::MSFlexGrid1_Click() {
    const int r = grid_.Row();
    for (const BoxSpec& spec : Boxes)
        (this->*spec.box)->setText(grid_.TextMatrix(r, spec.column));
    if (Text5->text().isEmpty())
        Text5->setText(DefaultPort);
    signIn_->showAccount(rowAccount(r));
    Text4->setEnabled(!signIn_->signsInWithOAuth());
    if (signIn_->signsInWithOAuth())
        Text4->clear();
    grid_.setCol(0);
    grid_.setColSel(2);
}

// A new account lands in the first free row after the last account, wherever the user
// clicked; the title row stops the walk.
int AccountsWindow::firstFreeRow(int row) const {
    while (row > 1 && grid_.TextMatrix(row - 1, NameCol).isEmpty())
        --row;
    return row;
}

// The stored layout holds 25 accounts, and the table ends at the first empty name, so an
// empty name is refused rather than taken as a deletion (Delete is one button away). Two
// accounts of one name would let the processing run send one account's message numbers to
// the other's server, so a name another row already has is refused too.
bool AccountsWindow::refusesEntry(int row, bool isNew) {
    const QString name = text::trimSpaces(Text1->text());
    if (isNew && row > AccountTable::MaxAccounts) {
        tell(TooManyAccounts);
        return true;
    }
    if (name.isEmpty()) {
        tell(NoName);
        return true;
    }
    for (int r = 1; r < grid_.Rows(); ++r) {
        if (r != row && grid_.TextMatrix(r, NameCol) == name) {
            tell(DuplicateName.arg(name));
            return true;
        }
    }
    for (const BoxSpec& spec : Boxes) {
        const QLineEdit* box = this->*spec.box;
        if (box == Text4 ? refusesPassword(box) : refuses(box))
            return true;
    }
    return false;
}

void AccountsWindow::Command1_Click() {
    int r = qMax(1, grid_.Row());
    const bool isNew = grid_.TextMatrix(r, NameCol).isEmpty();
    if (isNew)
        r = firstFreeRow(r);
    if (refusesEntry(r, isNew))
        return;
    grid_.setRow(r);
    if (isNew) {
        // ISO 8601 rather than the locale's short form: Latin digits and one order whatever
        // the desktop's language, so the file reads the same everywhere.
        grid_.setTextMatrix(r, DateCol, QDate::currentDate().toString(Qt::ISODate));
        grid_.setTextMatrix(r, Spare1Col, Zero);
        grid_.setTextMatrix(r, Spare2Col, Zero);
        grid_.setTextMatrix(r, EnabledCol, EnabledOn);
    }
    for (const BoxSpec& spec : Boxes)
        grid_.setTextMatrix(r, spec.column, text::trimSpaces((this->*spec.box)->text()));
    Account account = rowAccount(r);
    signIn_->applyTo(account);
    const auto fields = std::as_const(account).fields();
    for (int c = 0; c < Columns; ++c)
        grid_.setTextMatrix(r, c, *fields[c]);
}

Account AccountsWindow::rowAccount(int r) const {
    Account account;
    const auto fields = account.fields();
    for (int c = 0; c < Columns; ++c)
        *fields[c] = grid_.TextMatrix(r, c);
    return account;
}

// The rows below move up by one. The boxes then show the row that took the deleted one's
// place, so a following Enter cannot write the deleted account over its neighbour.
void AccountsWindow::Command4_Click() {
    const int last = grid_.Rows() - 1;
    for (int r = qMax(1, grid_.Row()); r < last; ++r)
        for (int c = 0; c < Columns; ++c)
            grid_.setTextMatrix(r, c, grid_.TextMatrix(r + 1, c));
    for (int c = 0; c < Columns; ++c)
        grid_.setTextMatrix(last, c, QString());
    MSFlexGrid1_Click();
}

void AccountsWindow::Command2_Click() {
    AccountTable table = global_.accounts;
    for (int r = 1; r <= AccountTable::MaxAccounts; ++r) {
        const auto fields = table.row(r).fields();
        for (int c = 0; c < Columns; ++c)
            *fields[c] = grid_.TextMatrix(r, c);
    }
    secrets_.keep(table);
    if (saveFailed(table.save(global_.DataFolder), QString::fromLatin1(AccountTable::FileName)))
        return;
    global_.accounts = table;
    accept();
}
