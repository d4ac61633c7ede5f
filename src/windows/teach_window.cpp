#include "windows/teach_window.h"

#include "learn/learning_engine.h"
#include "learn/mail_folder.h"
#include "mail/qt_wait_clock.h"
#include "platform/platform.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString Caption = QStringLiteral("Teach from mail folders");
const QString Heading = QStringLiteral("Teach the learned test");
const QString Help = QStringLiteral(
    "Choose a mail folder of spam and one of good mail: a Maildir, a folder of message files or "
    "an mbox file. Each message is taught once; a message taught the other way before is taught "
    "again.");
const QString SpamLabel = QStringLiteral("Spam:");
const QString GoodLabel = QStringLiteral("Good mail:");
const QString FolderTip =
    QStringLiteral(" Type the folder's path, or click Find for an mbox file ");
const QString FindTitle = QStringLiteral("Select an mbox file");
const QString FindFilter = QStringLiteral("All files (*)");
const QString NoMessages = QStringLiteral("No messages found in ");
const QString NoFolder = QStringLiteral("Choose a folder of spam, of good mail or both.");
const QString Missing = QStringLiteral(
    "The learning engine is not installed: install the bogofilter package to teach it.");
const QString Progress = QStringLiteral("Taught %1 of %2 messages");
const QString Stopped = QStringLiteral("Stopped after %1 of %2 messages");
const QString NotSaved = QStringLiteral("Could not save ");

constexpr int WidthTwips = 7200; // room for a folder's path

// The engine is handed this many messages at a time, so Stop and the bar answer quickly.
constexpr qsizetype Step = 100;
// A step that takes longer than this has hung.
constexpr double StepSeconds = 600;

} // namespace

TeachWindow::TeachWindow(Global& global, Platform& platform, LearningEngine& engine,
                         QWidget* parent)
    : EditorWindow(global, platform, parent, "TeachWindow", Caption), engine_(engine) {
    setMinimumWidth(twips_.toPixels(WidthTwips));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(Heading));
    layout->addWidget(makeLabel(Help));
    layout->addLayout(folderRow(Text1, Command3, "Text1", "Command3", SpamLabel));
    layout->addLayout(folderRow(Text2, Command4, "Text2", "Command4", GoodLabel));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(Caption);
    layout->addWidget(ProgressBar1);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    auto* buttons = new QHBoxLayout;
    Command1 = makeButton("Command1", QStringLiteral("&Teach"));
    Command2 = makeButton("Command2", QStringLiteral("&Stop"));
    Command5 = makeButton("Command5", QStringLiteral("Close"));
    buttons->addStretch();
    for (QPushButton* button : {Command1, Command2, Command5})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &TeachWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, [this] { stopped_ = true; });
    connect(Command5, &QPushButton::clicked, this, &TeachWindow::reject);
    connect(Command3, &QPushButton::clicked, this, [this] { find(Text1); });
    connect(Command4, &QPushButton::clicked, this, [this] { find(Text2); });
    setTeaching(false);
    if (!engine_.available()) {
        Label1->setText(Missing);
        Command1->setEnabled(false);
    }
}

QLayout* TeachWindow::folderRow(QLineEdit*& box, QPushButton*& find, const char* boxName,
                                const char* findName, const QString& label) {
    auto* row = new QHBoxLayout;
    box = makeBox(boxName, 0, FolderTip);
    find = makeButton(findName, QStringLiteral("Find"), FolderTip);
    QLabel* name = makeLabel(label, box);
    name->setMinimumWidth(twips_.toPixels(1100));
    row->addWidget(name);
    row->addWidget(box, 1);
    row->addWidget(find);
    return row;
}

// Closing while the engine is being taught stops the teaching first.
void TeachWindow::reject() {
    stopped_ = true;
    closeRequested_ = teaching_;
    if (!teaching_)
        EditorWindow::reject();
}

void TeachWindow::find(QLineEdit* box) {
    const QString chosen = platform_.fileOpenDialog(FindTitle, box->text(), FindFilter);
    if (!chosen.isEmpty())
        box->setText(chosen);
}

void TeachWindow::Command1_Click() {
    const QString spamFolder = Text1->text().trimmed();
    const QString goodFolder = Text2->text().trimmed();
    if (spamFolder.isEmpty() && goodFolder.isEmpty()) {
        tell(NoFolder);
        return;
    }
    QList<QByteArray> read[2];
    for (int kind = 0; kind < 2; ++kind) {
        const QString& folder = kind == 0 ? spamFolder : goodFolder;
        if (folder.isEmpty())
            continue;
        read[kind] = learn::readMailFolder(folder);
        if (read[kind].isEmpty()) {
            tell(NoMessages + folder);
            return;
        }
    }
    teach(read[0], read[1]);
}

void TeachWindow::teach(const QList<QByteArray>& spam, const QList<QByteArray>& good) {
    QList<Lesson> lessons;
    for (const QByteArray& text : spam)
        lessons.append({text, TaughtRecord::Kind::Spam});
    for (const QByteArray& text : good)
        lessons.append({text, TaughtRecord::Kind::Good});
    const qsizetype total = lessons.size();
    ProgressBar1->setRange(0, static_cast<int>(total));
    setTeaching(true);
    QtWaitClock clock;
    qsizetype done = 0;
    bool saveFailed = false;
    while (done < total && !stopped_) {
        saveFailed |= engine_.teach(lessons.mid(done, Step));
        clock.waitUntil([this] { return !engine_.teacher().busy(); }, StepSeconds);
        done = std::min(total, done + Step);
        ProgressBar1->setValue(static_cast<int>(done));
        Label1->setText((done < total && stopped_ ? Stopped : Progress).arg(done).arg(total));
    }
    if (saveFailed)
        tell(NotSaved + LearningEngine::recordName());
    setTeaching(false);
    if (closeRequested_)
        EditorWindow::reject();
}

void TeachWindow::setTeaching(bool teaching) {
    teaching_ = teaching;
    stopped_ = false;
    Command2->setEnabled(teaching);
    for (QWidget* control :
         std::initializer_list<QWidget*>{Command1, Command3, Command4, Text1, Text2, Command5})
        control->setEnabled(!teaching);
    platform_.setBusy(teaching);
}
