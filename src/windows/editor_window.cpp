#include "windows/editor_window.h"

#include "platform/platform.h"
#include "store/storable.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Unstorable = QStringLiteral("%1 holds %2, which Mailweir cannot store.      \r\n"
                                          "Please remove it and try again.      ");
const QString PrintableCharacter = QStringLiteral("the character \"%1\"");
const QString ControlCharacter = QStringLiteral("the character %1");
const QString TooLong =
    QStringLiteral("%1 holds %2 characters; Mailweir keeps at most %3.      \r\n"
                   "Please shorten it and try again.      ");
// A box's limit, kept on the box: the box itself takes any length, so that a paste or a value
// from a hand-edited file is never cut without a word, and the limit is checked on Enter/Save.
const char* const LengthLimit = "mailweirLengthLimit";
const QString NamedBox = QStringLiteral("The %1 box");
const QString NotWritten =
    QStringLiteral("Mailweir could not write %1, which keeps what it held before.      \r\n"
                   "Check that the data folder can be written to.      ");
const QString NotOpened = QStringLiteral("The desktop could not open %1.      ");
constexpr int BoxOffsetTwips = 600;
constexpr int MissingScrollBarTwips = 90;
constexpr double HeadingScale = 1.4;

QString describe(char32_t c) {
    if (QChar::isPrint(c))
        return PrintableCharacter.arg(QString::fromUcs4(&c, 1));
    return ControlCharacter.arg(
        QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper());
}

qsizetype characters(const QString& text) {
    return text.toUcs4().size();
}

} // namespace

EditorWindow::EditorWindow(Global& global, Platform& platform, QWidget* parent, const char* name,
                           const QString& caption)
    : QDialog(parent), global_(global), platform_(platform), twips_(platform.twipsPerPixel()) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setAccessibleName(caption);
    setModal(true);
}

bool EditorWindow::run() {
    return exec() == QDialog::Accepted;
}

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption,
                       const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

QPushButton* EditorWindow::makeButton(const char* name, const QString& caption,
                                      const QString& tip) {
    return newButton(this, name, caption, tip);
}

QLineEdit* EditorWindow::makeBox(const char* name, int maxLength, const QString& tip,
                                 const QString& accessibleName) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setProperty(LengthLimit, maxLength);
    box->setToolTip(tip);
    box->setAccessibleName(accessibleName);
    return box;
}

QLabel* EditorWindow::makeLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, this);
    if (!buddy) {
        label->setWordWrap(true);
        return label;
    }
    label->setBuddy(buddy);
    if (buddy->accessibleName().isEmpty())
        buddy->setAccessibleName(text.trimmed().remove(QLatin1Char(':')));
    return label;
}

QLabel* EditorWindow::makeHeading(const QString& text) {
    auto* heading = new QLabel(text, this);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * HeadingScale);
    heading->setFont(font);
    return heading;
}

void EditorWindow::tell(const QString& text) {
    platform_.messageBox(text, Platform::Buttons::Ok, Platform::Icon::Warning, windowTitle());
}

bool EditorWindow::refusesCharacter(const QString& what, char32_t bad) {
    if (bad == 0)
        return false;
    tell(Unstorable.arg(what, describe(bad)));
    return true;
}

bool EditorWindow::refusesLength(const QLineEdit* box) {
    const int limit = box->property(LengthLimit).toInt();
    const qsizetype length = characters(box->text());
    if (limit <= 0 || length <= limit)
        return false;
    tell(TooLong.arg(NamedBox.arg(box->accessibleName())).arg(length).arg(limit));
    return true;
}

bool EditorWindow::refuses(const QLineEdit* box) {
    return refusesLength(box) || refusesCharacter(NamedBox.arg(box->accessibleName()),
                                                  storable::badCharacter(box->text()));
}

bool EditorWindow::refusesPassword(const QLineEdit* box) {
    return refusesLength(box) || refusesCharacter(NamedBox.arg(box->accessibleName()),
                                                  storable::badPasswordCharacter(box->text()));
}

bool EditorWindow::refuses(const QString& what, const QString& text) {
    return refusesCharacter(what, storable::badCharacter(text));
}

void EditorWindow::openOnDesktop(const QString& fileOrAddress) {
    if (platform_.shellOpen(fileOrAddress))
        tell(NotOpened.arg(fileOrAddress));
}

bool EditorWindow::saveFailed(bool failed, const QString& fileName) {
    if (failed)
        tell(NotWritten.arg(fileName));
    return failed;
}

QPoint EditorWindow::boxPosition() const {
    return twips_.fromPixels(frameGeometry().topLeft()) + QPoint(BoxOffsetTwips, BoxOffsetTwips);
}

double EditorWindow::usableWidth(int gridTwips) const {
    return gridTwips - twips_.perPixel() * platform_.verticalScrollBarWidth() -
           MissingScrollBarTwips;
}

QSize EditorWindow::pixels(int widthTwips, int heightTwips) const {
    return QSize(twips_.toPixels(widthTwips), twips_.toPixels(heightTwips));
}
