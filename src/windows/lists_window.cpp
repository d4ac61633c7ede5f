#include "windows/lists_window.h"

#include "platform/platform.h"
#include "store/global.h"
#include "store/text.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString Caption = QStringLiteral("Blacklist and whitelist");
const QString Heading = QStringLiteral("Blacklist");
const QString Explanation = QStringLiteral(
    "Blacklisted email is automatically selected for deletion. The IP address of the sender is "
    "stored in a separate IP blacklist. Whitelisted emails are never deleted, even if they "
    "appear on a blacklist or trigger a rule.");
const QString BlacklistTag = QStringLiteral("Blacklist");
const QString WhitelistTag = QStringLiteral("Whitelist");
const QString BlackIPTag = QStringLiteral("BlackIP");
const QString FindName = QStringLiteral("Find text");

const QString Crlf = QStringLiteral("\r\n");
const QString IpPrompt = QStringLiteral("Enter an IP address like 192.0.2.25") + Crlf +
                         QStringLiteral("Any email containing IP address will be") + Crlf +
                         QStringLiteral("automatically selection for deletion.") + Crlf +
                         QStringLiteral("Whitelist has priority over the blacklists.");
const QString AddressPrompt = QStringLiteral("Enter an email address like: someone@example.com") +
                              Crlf + QStringLiteral("Or enter a domain like: example.com") + Crlf +
                              QStringLiteral("Domains block/allow everyone at that domain.") +
                              Crlf + QStringLiteral("Whitelist has priority over the blacklists.");
const QString AddTitle = QStringLiteral("Add item to list");
const QString EditTitle = QStringLiteral("Edit item");
const QString DeleteTitle = QStringLiteral("Delete");
const QString DeleteAllQuestion = QStringLiteral("Delete all listed addresses?      ");
const QString TheEntry = QStringLiteral("The entry");
const QString ListFull = QStringLiteral("This list holds at most %1 entries.      \r\n"
                                        "Delete an entry before you add another.      ");

constexpr int SearchLength = 100;
constexpr int ListWidth = 5400;
constexpr int ListHeight = 4200;
// A new entry is shown as the sixth visible line.
constexpr int LinesAboveNew = 5;
constexpr int FewestToSearch = 3;

// The list box keeps its entries in alphabetical order, letter case ignored. An entry joins
// the list box only once it is built, so that the sorted insertion compares with this order.
class SortedEntry : public QListWidgetItem {
public:
    explicit SortedEntry(const QString& text) : QListWidgetItem(text) {}
    bool operator<(const QListWidgetItem& other) const override {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

} // namespace

ListsWindow::ListsWindow(Global& global, Platform& platform, QWidget* parent)
    : EditorWindow(global, platform, parent, "Lists", Caption) {
    createControls();
    connectControls();
    showList(global_.blacklist, BlacklistTag);
}

void ListsWindow::createControls() {
    auto* layout = new QGridLayout(this);
    layout->addWidget(makeHeading(Heading), 0, 0, 1, 3);
    layout->addWidget(makeLabel(Explanation), 1, 0, 1, 3);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    List1->setFont(fixed);
    List1->setSortingEnabled(true);
    List1->setFixedSize(pixels(ListWidth, ListHeight));
    layout->addWidget(List1, 2, 0, 3, 1);

    auto* choices = new QVBoxLayout;
    Option1 = new QRadioButton(QStringLiteral("Blacklist email"), this);
    Option2 = new QRadioButton(QStringLiteral("Whitelist email"), this);
    Option3 = new QRadioButton(QStringLiteral("IP blacklist"), this);
    int number = 1;
    for (QRadioButton* option : {Option1, Option2, Option3}) {
        option->setObjectName(QStringLiteral("Option%1").arg(number++));
        choices->addWidget(option);
    }
    Option1->setChecked(true);
    layout->addLayout(choices, 2, 1, 1, 2);

    Command3 = makeButton("Command3", QStringLiteral("Add"), QStringLiteral(" Add a new entry "));
    Command5 =
        makeButton("Command5", QStringLiteral("Edit"), QStringLiteral(" Edit selected entry "));
    Command4 =
        makeButton("Command4", QStringLiteral("Delete"), QStringLiteral(" Delete selected entry "));
    Command6 = makeButton("Command6", QStringLiteral("Delete all"),
                          QStringLiteral(" Delete all entries "));
    auto* editing = new QVBoxLayout;
    for (QPushButton* button : {Command3, Command5, Command4, Command6})
        editing->addWidget(button);
    editing->addStretch();
    layout->addLayout(editing, 3, 1, 1, 2);

    Text1 = makeBox("Text1", 0, QString(), FindName);
    Text1->setMaxLength(SearchLength); // a search text, never stored
    Command7 = makeButton("Command7", QStringLiteral("Find"));
    Command8 = makeButton("Command8", QStringLiteral("Next"));
    auto* search = new QHBoxLayout;
    search->addWidget(Text1);
    search->addWidget(Command7);
    search->addWidget(Command8);
    layout->addLayout(search, 5, 0);
    Command1 = makeButton("Command1", QStringLiteral("Save"));
    Command2 = makeButton("Command2", QStringLiteral("Cancel"));
    layout->addWidget(Command1, 5, 1);
    layout->addWidget(Command2, 5, 2);

    QWidget* const order[] = {List1,    Option1, Option2,  Option3,  Command3, Command5, Command4,
                              Command6, Text1,   Command7, Command8, Command1, Command2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ListsWindow::connectControls() {
    auto choice = [this](QRadioButton* option, EntryList& list, const QString& tag) {
        connect(option, &QRadioButton::toggled, this, [this, &list, tag](bool on) {
            if (on)
                choose(list, tag);
        });
    };
    choice(Option1, global_.blacklist, BlacklistTag);
    choice(Option2, global_.whitelist, WhitelistTag);
    choice(Option3, global_.blackIP, BlackIPTag);
    connect(Command1, &QPushButton::clicked, this, &ListsWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ListsWindow::reject);
    connect(Command3, &QPushButton::clicked, this, &ListsWindow::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &ListsWindow::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &ListsWindow::Command4_Click);
    connect(Command6, &QPushButton::clicked, this, &ListsWindow::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &ListsWindow::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &ListsWindow::Command8_Click);
    connect(Text1, &QLineEdit::returnPressed, this, &ListsWindow::Command7_Click);
}

void ListsWindow::showList(EntryList& list, const QString& tag) {
    platform_.setBusy(true);
    List1->clear();
    tag_ = tag;
    // One sort after filling is far quicker than a sorted insertion per entry.
    List1->setSortingEnabled(false);
    for (const QString& entry : list.entries())
        List1->addItem(new SortedEntry(entry));
    List1->sortItems();
    List1->setSortingEnabled(true);
    const QRadioButton* option = tag == WhitelistTag ? Option2
                                 : tag == BlackIPTag ? Option3
                                                     : Option1;
    List1->setAccessibleName(option->text());
    platform_.setBusy(false);
}

// Entries beyond the list's capacity, the last in sorted order, are dropped.
void ListsWindow::store() {
    platform_.setBusy(true);
    QStringList entries;
    EntryList& list = taggedList();
    const int n = static_cast<int>(qMin<qsizetype>(List1->count(), list.capacity()));
    entries.reserve(n);
    for (int i = 0; i < n; ++i)
        entries.append(List1->item(i)->text());
    list.setEntries(entries);
    platform_.setBusy(false);
}

EntryList& ListsWindow::taggedList() {
    if (tag_ == WhitelistTag)
        return global_.whitelist;
    return tag_ == BlackIPTag ? global_.blackIP : global_.blacklist;
}

void ListsWindow::choose(EntryList& list, const QString& tag) {
    if (tag_ == tag)
        return;
    store();
    showList(list, tag);
}

QString ListsWindow::prompt() const {
    return tag_ == BlackIPTag ? IpPrompt : AddressPrompt;
}

// Refuses what the list file cannot hold and, for a new entry, one more than the list's
// capacity, which would otherwise be dropped without a word when the list is stored.
bool ListsWindow::refusesEntry(const QString& entry, bool adding) {
    if (refuses(TheEntry, entry))
        return true;
    const qsizetype capacity = taggedList().capacity();
    if (adding && List1->count() >= capacity) {
        tell(ListFull.arg(capacity));
        return true;
    }
    return false;
}

void ListsWindow::addAndSelect(const QString& entry) {
    List1->addItem(new SortedEntry(entry));
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->text() == entry) {
            select(i, qMax(0, i - LinesAboveNew));
            return;
        }
    }
}

int ListsWindow::selectedIndex() const {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    return selected.isEmpty() ? -1 : List1->row(selected.first());
}

void ListsWindow::select(int index, int topIndex) {
    List1->setCurrentRow(index);
    List1->scrollToItem(List1->item(topIndex), QAbstractItemView::PositionAtTop);
}

void ListsWindow::deselect() {
    List1->setCurrentItem(nullptr);
    List1->clearSelection();
}

void ListsWindow::Command3_Click() {
    const QString entry =
        text::trimSpaces(platform_.inputBox(prompt(), AddTitle, QString(), boxPosition()));
    if (!entry.isEmpty() && !refusesEntry(entry, true))
        addAndSelect(entry);
}

void ListsWindow::Command5_Click() {
    const int selected = selectedIndex();
    if (selected < 0)
        return;
    const QString entry = text::trimSpaces(
        platform_.inputBox(prompt(), EditTitle, List1->item(selected)->text(), boxPosition()));
    if (entry.isEmpty() || refusesEntry(entry, false))
        return;
    delete List1->takeItem(selected);
    addAndSelect(entry);
}

void ListsWindow::Command4_Click() {
    const int selected = selectedIndex();
    if (selected < 0)
        return;
    delete List1->takeItem(selected);
    deselect();
}

void ListsWindow::Command6_Click() {
    if (platform_.messageBox(DeleteAllQuestion, Platform::Buttons::YesNo, Platform::Icon::Warning,
                             DeleteTitle) == Platform::Answer::Yes)
        List1->clear();
}

// Looks from `start` on for the first entry that holds the search text, letter case included;
// the search never wraps to the top.
void ListsWindow::findFrom(int start) {
    const QString wanted = text::trimSpaces(Text1->text());
    if (wanted.isEmpty() || List1->count() < FewestToSearch)
        return;
    for (int i = start; i < List1->count(); ++i) {
        if (List1->item(i)->text().contains(wanted, Qt::CaseSensitive)) {
            select(i, i);
            return;
        }
    }
}

void ListsWindow::Command7_Click() {
    findFrom(0);
}

void ListsWindow::Command8_Click() {
    const int selected = selectedIndex();
    if (selected < List1->count() - 1)
        findFrom(selected + 1);
}

void ListsWindow::Command1_Click() {
    platform_.setBusy(true);
    store();
    bool failed = false;
    for (const EntryList* list : {&global_.whitelist, &global_.blacklist, &global_.blackIP})
        failed = failed || saveFailed(list->save(global_.DataFolder), list->fileName());
    platform_.setBusy(false);
    if (!failed)
        accept();
}

// Cancel, Escape and the close box all come here: every change made in the window, the lists
// already stored by switching included, is discarded.
void ListsWindow::reject() {
    platform_.setBusy(true);
    global_.whitelist.load(global_.DataFolder);
    global_.blacklist.load(global_.DataFolder);
    global_.blackIP.load(global_.DataFolder);
    platform_.setBusy(false);
    EditorWindow::reject();
}
