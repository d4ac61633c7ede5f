#include "windows/window_rig.h"

#include "review/grid_model.h"
#include "store/text_file.h"
#include "support/stored_tables.h"
#include "ui/grid_view.h"
#include "windows/accounts_window.h"
#include "windows/lists_window.h"
#include "windows/preferences_window.h"
#include "windows/rules_editor_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {

// Printable ASCII is typed key by key; anything else arrives pasted.
void typeInto(QLineEdit* box, const QString& text) {
    box->clear();
    if (std::all_of(text.begin(), text.end(),
                    [](QChar c) { return c.isPrint() && c.unicode() < 0x80; }))
        QTest::keyClicks(box, text);
    else
        box->insert(text);
}

void clickAt(QAbstractItemView* view, const QModelIndex& index) {
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

QString texts(const QList<QListWidgetItem*>& items) {
    QStringList all;
    for (const QListWidgetItem* item : items)
        all << item->text();
    return all.join(',');
}

// What a control shows: a box's text, a list's selected entries, a grid's row count.
QString state(QWidget* control) {
    if (auto* box = qobject_cast<QLineEdit*>(control))
        return box->text();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    if (auto* grid = qobject_cast<GridView*>(control))
        return QString::number(grid->grid().Rows());
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->isChecked() ? "1" : "0";
    return texts(qobject_cast<QListWidget*>(control)->selectedItems());
}

// One step: "click B", "type T=text", "toggle C" (check or option box), "combo C=item",
// "item L=n" (a click on entry n), "cell r,c" (a click), "current r,c" (the keyboard's move),
// "key W=Return|Escape" ("window" for the window itself), "close", "setting n=value",
// "vanish" (the data folder); or a check: "is W=state", "shows L=a,b", "top L=n" (the first
// visible entry), "sees r,c=text", "fixed W" (a fixed-pitch font).
void perform(Global& global, QDialog& window, const QString& step) {
    const QString verb = step.section(' ', 0, 0);
    const QString target = step.section(' ', 1).section('=', 0, 0);
    const QString value = step.section('=', 1);
    const int row = target.section(',', 0, 0).toInt(), col = target.section(',', 1).toInt();
    GridView* grid = window.findChild<GridView*>("MSFlexGrid1");
    if (verb == "click")
        QTest::mouseClick(find<QAbstractButton>(window, target), Qt::LeftButton);
    else if (verb == "type")
        typeInto(find<QLineEdit>(window, target), value);
    else if (verb == "toggle")
        find<QAbstractButton>(window, target)->click();
    else if (verb == "combo")
        find<QComboBox>(window, target)->setCurrentText(value);
    else if (verb == "item")
        clickAt(find<QListWidget>(window, target),
                find<QListWidget>(window, target)->model()->index(value.toInt(), 0));
    else if (verb == "cell")
        clickAt(grid, grid->model()->index(row - 1, col));
    else if (verb == "current")
        grid->grid().setCurrentCell(row, col);
    else if (verb == "key")
        QTest::keyClick(target == "window" ? &window : find(window, target),
                        value == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
    else if (verb == "close")
        window.close();
    else if (verb == "setting")
        global.settings[row] = value;
    else if (verb == "vanish")
        QDir(global.DataFolder).removeRecursively();
    else if (verb == "is")
        QCOMPARE(state(find(window, target)), value);
    else if (verb == "shows")
        QCOMPARE(texts(find<QListWidget>(window, target)->findItems("", Qt::MatchContains)), value);
    else if (verb == "top")
        QCOMPARE(find<QListWidget>(window, target)->indexAt(QPoint(2, 2)).row(), value.toInt());
    else if (verb == "sees")
        QCOMPARE(grid->grid().TextMatrix(row, col), value);
    else if (verb == "fixed")
        QCOMPARE(QFontMetrics(find(window, target)->font()).horizontalAdvance('i'),
                 QFontMetrics(find(window, target)->font()).horizontalAdvance('W'));
    else
        qFatal("no step %s", qPrintable(verb));
}

std::unique_ptr<EditorWindow> open(Kind kind, Desktop& desktop) {
    Global& global = desktop.global;
    Platform& platform = desktop.platform;
    if (kind == Accounts)
        return std::make_unique<AccountsWindow>(global, platform, desktop.secrets);
    if (kind == Preferences)
        return std::make_unique<PreferencesWindow>(global, platform, true, desktop.secrets);
    if (kind == Lists)
        return std::make_unique<ListsWindow>(global, platform);
    return std::make_unique<RulesEditorWindow>(global, platform);
}

} // namespace

WindowRig::WindowRig() {
    global.setUpDataFolder(home.documents());
    write("Accounts.txt", accountLines({"a"}));
    write("Rules.txt", ruleLines({"|Body|cash||||||"}));
    write("Blacklist.txt", {"a@x"});
    write("Whitelist.txt", {"w@x"});
    write("BlackIP.txt", {"1.1.1.1"});
}

void WindowRig::write(const QString& name, const QStringList& lines) {
    textfile::writeLines(global.dataPath(name), lines);
    global.loadAll();
}

void WindowRig::play(const Play& play) {
    for (auto file = play.files.begin(); file != play.files.end(); ++file)
        write(file.key(), file.value());
    platform.typed << play.typed;
    platform.chosenFiles << play.typed;
    platform.answers << play.answers;
    const auto before = filesIn(global.DataFolder);
    auto window = open(play.kind, *this);
    // The steps run inside the modal run; a window they leave open is closed by its close box.
    QTimer::singleShot(0, window.get(), [&] {
        for (const QString& step : play.steps.split(';', Qt::SkipEmptyParts))
            if (!QTest::currentTestFailed())
                perform(global, *window, QString(step).remove(QRegularExpression("^ +")));
        if (window->isVisible())
            window->close();
    });
    QCOMPARE(window->run(), play.saved);
    if (QTest::currentTestFailed())
        return;
    QStringList boxes;
    for (const auto& box : platform.boxes)
        boxes << box.text;
    QCOMPARE(boxes, play.boxes);
    if (play.kind == Preferences && play.saved)
        QCOMPARE(global.enteredPassword, global.settings[setting::ProgramPassword]);
    if (!play.file.isEmpty())
        QCOMPARE(textfile::readDataLines(global.dataPath(play.file))
                     .mid(qMax(0, play.from), play.from < 0 ? -1 : play.lines.size()),
                 play.lines);
    if (!play.keepsEverything)
        return;
    QCOMPARE(filesIn(global.DataFolder), before);
    global.LoadRules();    // as the main window does after the rules editor
    global.LoadSettings(); // and after the preferences
    QTemporaryDir other;   // what saving every table writes
    saveAll(global, other.path());
    QCOMPARE(filesIn(other.path()), before);
}

QStringList accountLines(const QStringList& names, const QStringList& enabled) {
    QStringList lines(260);
    for (qsizetype r = 0; r < names.size(); ++r)
        for (int f = 0; f < 10; ++f)
            lines[10 * (r + 1) + f] = f == 0 ? names[r] : f == 7 ? enabled.value(r) : AccountA[f];
    return lines;
}

QStringList ruleLines(const QStringList& rules) {
    QStringList lines;
    for (const QString& rule : rules)
        lines << rule.split('|');
    return lines;
}
