#include "windows/preferences_window.h"

#include "auth/secrets.h"
#include "platform/platform.h"
#include "store/global.h"
#include "store/text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <limits>

namespace {

const QString Caption = QStringLiteral("Configure Mailweir");
const QString Heading = QStringLiteral("Preferences");
const QString Help =
    QStringLiteral("Most, but not all settings are configured here. You should enable and disable "
                   "rules in the rules editor and email accounts are enabled on the main screen.");
const QString SpamRules = QStringLiteral("Spam rules:");
const QString BlackWhite = QStringLiteral("Black/whitelists:");
const QString Attachments = QStringLiteral("Attachments:");
const QString AttachmentsTip = QStringLiteral(" Mark for deletion email with small images ");
const QString ImageTypes[] = {QStringLiteral("image/gif"), QStringLiteral("image/jpeg"),
                              QStringLiteral("image/png")};
const QString SafeDeletion = QStringLiteral("Safe deletion:");
const QString EmailProgram = QStringLiteral("Email program:");
const QString EmailProgramTip = QStringLiteral(" Click Find and select the executable file ");
const QString EmailProgramHelp = QStringLiteral(
    "Entering msimn.exe or outlook.exe is usually sufficient to run Outlook Express or Outlook");
const QString Notifier = QStringLiteral("Email notifier when minimised:");
const QString Password = QStringLiteral("Password:");
const QString PasswordTip = QStringLiteral(" Password protect functions like Get Mail ");
const QString Learning = QStringLiteral("Learning:");
const QString LearnCaption = QStringLiteral("Learn from my decisions");
const QString LearnTip = QStringLiteral(" Propose actions learned from the email you processed ");
const QString LearnHelp =
    QStringLiteral("Each Process teaches it which email is spam: it proposes nothing until it has "
                   "learned from some of each.");
const QString LearnMissing =
    QStringLiteral("Not available: the learning engine (the bogofilter package) is not installed.");
const QString ClientIds = QStringLiteral("OAuth2 client ids:");
const QString ClientIdTip =
    QStringLiteral(" The client id registered with the provider; left empty, Mailweir uses its own "
                   "if it was built with one ");

const QString WarningTitle = QStringLiteral("Warning!");
const QString AutoDeleteWarning =
    QStringLiteral("Enabled email accounts will be checked for      \r\n"
                   "messages and spam will be deleted automatically.      \r\n"
                   "You will not have the opportunity to read the      \r\n"
                   "messages to ensure that they really are spam!      \r\n"
                   "Are you sure you want to do this?      ");

// Programs live in /usr/bin here, and have no .exe ending to filter by.
const QString FindTitle = QStringLiteral("Select a file");
const QString FindFolder = QStringLiteral("/usr/bin");
const QString FindFilter = QStringLiteral("All files (*)");

constexpr int EmailProgramLength = 260;
constexpr int PasswordLength = 50;
constexpr int NumberBoxWidth = 750;
constexpr int ListHeight = 900;
constexpr int MinimumSize = 10;
constexpr int MinimumMinutes = 2;
constexpr int MinimumSeconds = 5;
constexpr int MaximumSeconds = 60;
constexpr qint64 NoMaximum = std::numeric_limits<qint64>::max();

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// The typed text, or the bound it falls outside of, by the leading-number rule.
QString bounded(const QString& typed, qint64 low, qint64 high) {
    const qint64 n = text::leadingInteger(typed);
    if (n < low)
        return QString::number(low);
    if (n > high)
        return QString::number(high);
    return typed;
}

QString flag(const QCheckBox* box) {
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

const PreferencesWindow::CheckSpec PreferencesWindow::Checks[] = {
    {&PreferencesWindow::Check1, "Check1", "No subject", setting::MarkNoSubject,
     " Mark for deletion email with no subject "},
    {&PreferencesWindow::Check2, "Check2", "Blank To:", setting::MarkBlankTo,
     " Mark for deletion email with blank To: "},
    {&PreferencesWindow::Check3, "Check3", "Blank From:", setting::MarkBlankFrom,
     " Mark for deletion email with blank From: "},
    {&PreferencesWindow::Check6, "Check6", "Not to me", setting::MarkNotToMe,
     " Mark for deletion email not addressed to me "},
    {&PreferencesWindow::Check7, "Check7", "Duplicates", setting::MarkDuplicates,
     " Mark for deletion duplicate emails "},
    {&PreferencesWindow::Check4, "Check4", "Blacklist", setting::UseBlacklist,
     " Check against blacklist "},
    {&PreferencesWindow::Check5, "Check5", "Whitelist", setting::UseWhitelist,
     " Check against whitelist "},
    {&PreferencesWindow::Check10, "Check10", "IP blacklist", setting::UseBlackIP,
     " Check against IP blacklist "},
    // Its caption is the label beside it, which carries the same tooltip.
    {&PreferencesWindow::Check11, "Check11", "", setting::SafeDeletion,
     " Extra check that the right email is being deleted "},
    {&PreferencesWindow::Check9, "Check9", "Run email program after processing email?",
     setting::RunEmailProgram, ""},
    {&PreferencesWindow::Check8, "Check8", "Auto delete spam:", setting::AutoDelete,
     " Check for and delete spam when program minimised "},
};

const PreferencesWindow::ClientIdSpec PreferencesWindow::ClientIdBoxes[] = {
    {&PreferencesWindow::Text7, "Text7", "Microsoft:", setting::OAuthClientMicrosoft},
    {&PreferencesWindow::Text8, "Text8", "Google:", setting::OAuthClientGoogle},
    {&PreferencesWindow::Text9, "Text9", "Other provider:", setting::OAuthClientOther},
};

const PreferencesWindow::NumberSpec PreferencesWindow::Numbers[] = {
    {&PreferencesWindow::Text5, "Text5", "Emails to keep in Trash:", "", 3,
     " Enter a number 10-999 "},
    {&PreferencesWindow::Text1, "Text1", "Ignore email larger than:", "k", 3,
     " Enter a value between 10 and 999 "},
    {&PreferencesWindow::Text3, "Text3", "Check every:", "mins", 3,
     " Check email when program is minimised "},
    {&PreferencesWindow::Text4, "Text4", "Show for:", "secs", 2,
     " Notify of new email when minimised "},
};

PreferencesWindow::PreferencesWindow(Global& global, Platform& platform, bool learningAvailable,
                                     Secrets& secrets, QWidget* parent)
    : EditorWindow(global, platform, parent, "Preferences", Caption), secrets_(secrets),
      learningAvailable_(learningAvailable) {
    for (const CheckSpec& spec : Checks) {
        auto* box = new QCheckBox(latin(spec.caption), this);
        box->setObjectName(latin(spec.name));
        box->setToolTip(latin(spec.tip));
        this->*spec.box = box;
    }
    createControls();
    Form_Load();
}

void PreferencesWindow::createControls() {
    auto* layout = new QGridLayout(this);
    layout->addWidget(makeHeading(Heading), 0, 0, 1, 2);
    layout->addWidget(makeLabel(Help), 1, 0, 1, 2);
    layout->addLayout(leftHalf(), 2, 0, Qt::AlignTop);
    layout->addLayout(rightHalf(), 2, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    Command1 = makeButton("Command1", QStringLiteral("Save"),
                          QStringLiteral(" Save settings and close window "));
    Command2 = makeButton("Command2", QStringLiteral("Cancel"),
                          QStringLiteral(" Close window, don't save "));
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons, 3, 0, 1, 2);
    tabOrder_ << Command1 << Command2;
    for (qsizetype i = 1; i < tabOrder_.size(); ++i)
        setTabOrder(tabOrder_[i - 1], tabOrder_[i]);

    connect(Command1, &QPushButton::clicked, this, &PreferencesWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PreferencesWindow::reject);
    connect(Command3, &QPushButton::clicked, this, &PreferencesWindow::Command3_Click);
}

QLayout* PreferencesWindow::leftHalf() {
    auto* half = new QVBoxLayout;
    half->addLayout(numberRows(0, 2));
    half->addWidget(checkGroup(SpamRules, 0, 5));
    half->addWidget(checkGroup(BlackWhite, 5, 3));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setToolTip(AttachmentsTip);
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const QString& type : ImageTypes)
        List1->addItem(type);
    List1->setFixedHeight(twips_.toPixels(ListHeight));
    half->addWidget(makeLabel(Attachments, List1));
    half->addWidget(List1);
    auto* safe = new QHBoxLayout;
    QLabel* safeLabel = makeLabel(SafeDeletion, Check11);
    safeLabel->setToolTip(Check11->toolTip());
    safe->addWidget(safeLabel);
    safe->addWidget(Check11);
    safe->addStretch();
    half->addLayout(safe);
    tabOrder_ << List1 << Check11;
    return half;
}

QLayout* PreferencesWindow::rightHalf() {
    auto* half = new QVBoxLayout;
    Text2 = makeBox("Text2", EmailProgramLength, EmailProgramTip);
    Command3 = makeButton("Command3", QStringLiteral("Find"), EmailProgramTip);
    half->addWidget(makeLabel(EmailProgram, Text2));
    auto* program = new QHBoxLayout;
    program->addWidget(Text2);
    program->addWidget(Command3);
    half->addLayout(program);
    half->addWidget(makeLabel(EmailProgramHelp));
    half->addWidget(Check9);
    auto* notifier = new QGroupBox(Notifier, this);
    auto* inside = new QVBoxLayout(notifier);
    inside->addWidget(Check8);
    tabOrder_ << Text2 << Command3 << Check9 << Check8;
    inside->addLayout(numberRows(2, 2));
    half->addWidget(notifier);
    Text6 = makeBox("Text6", PasswordLength, PasswordTip);
    auto* password = new QHBoxLayout;
    password->addWidget(makeLabel(Password, Text6));
    password->addWidget(Text6);
    half->addLayout(password);
    tabOrder_ << Text6;
    half->addWidget(learningGroup());
    auto* clients = new QGroupBox(ClientIds, this);
    auto* rows = new QGridLayout(clients);
    for (int i = 0; i < 3; ++i) {
        const ClientIdSpec& spec = ClientIdBoxes[i];
        QLineEdit* box = makeBox(spec.name, 0, ClientIdTip);
        this->*spec.box = box;
        rows->addWidget(makeLabel(latin(spec.label), box), i, 0);
        rows->addWidget(box, i, 1);
        tabOrder_ << box;
    }
    half->addWidget(clients);
    return half;
}

// Without the engine the box stays clear and disabled, and says why; what is stored stays.
QWidget* PreferencesWindow::learningGroup() {
    auto* group = new QGroupBox(Learning, this);
    auto* inside = new QVBoxLayout(group);
    Check12 = new QCheckBox(LearnCaption, this);
    Check12->setObjectName(QStringLiteral("Check12"));
    Check12->setToolTip(LearnTip);
    Check12->setEnabled(learningAvailable_);
    QLabel* help = makeLabel(learningAvailable_ ? LearnHelp : LearnMissing);
    help->setObjectName(QStringLiteral("Label12"));
    help->setWordWrap(true);
    inside->addWidget(Check12);
    inside->addWidget(help);
    tabOrder_ << Check12;
    return group;
}

// Digit boxes, each with its label and unit on one line.
QLayout* PreferencesWindow::numberRows(int first, int count) {
    auto* rows = new QGridLayout;
    for (int i = 0; i < count; ++i) {
        const NumberSpec& spec = Numbers[first + i];
        // Digits only, typed or pasted: a cut there loses nothing the user could not see.
        QLineEdit* box = makeBox(spec.name, 0, latin(spec.tip));
        box->setMaxLength(spec.maxLength);
        box->setFixedWidth(twips_.toPixels(NumberBoxWidth));
        box->installEventFilter(this);
        this->*spec.box = box;
        rows->addWidget(makeLabel(latin(spec.label), box), i, 0);
        rows->addWidget(box, i, 1);
        rows->addWidget(new QLabel(latin(spec.unit), this), i, 2);
        tabOrder_ << box;
    }
    rows->setColumnStretch(2, 1);
    return rows;
}

QWidget* PreferencesWindow::checkGroup(const QString& title, int first, int count) {
    auto* group = new QGroupBox(title, this);
    auto* inside = new QVBoxLayout(group);
    for (int i = first; i < first + count; ++i) {
        inside->addWidget(this->*Checks[i].box);
        tabOrder_ << this->*Checks[i].box;
    }
    return group;
}

// The digit boxes discard every typed character but the digits; keys that type nothing
// (backspace, Tab, Enter, the arrows) pass.
bool PreferencesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (!typed.isEmpty() && typed.front().isPrint() &&
            (typed.front() < QLatin1Char('0') || typed.front() > QLatin1Char('9')))
            return true;
    }
    return EditorWindow::eventFilter(watched, event);
}

void PreferencesWindow::Form_Load() {
    const Settings& settings = global_.settings;
    Text1->setText(QString::number(settings.number(setting::MaxSizeK)));
    for (const CheckSpec& spec : Checks)
        (this->*spec.box)->setChecked(settings.number(spec.entry) == 1);
    Text5->setText(settings[setting::TrashKeep]);
    Text2->setText(settings[setting::EmailProgram]);
    Text3->setText(settings[setting::CheckEveryMins]);
    Text4->setText(settings[setting::NotifySecs]);
    Text6->setText(settings[setting::ProgramPassword]);
    for (const ClientIdSpec& spec : ClientIdBoxes)
        (this->*spec.box)->setText(settings[spec.entry]);
    for (int i = 0; i < 3; ++i)
        List1->item(i)->setSelected(!settings[setting::SmallImageTypes + i].isEmpty());
    Check12->setChecked(learningAvailable_ && settings.learningOn());
}

void PreferencesWindow::Command1_Click() {
    if (refuses(Text2) || refusesPassword(Text6) || refuses(Text7) || refuses(Text8) ||
        refuses(Text9))
        return;
    if (Check8->isChecked() &&
        platform_.messageBox(AutoDeleteWarning, Platform::Buttons::YesNo, Platform::Icon::Warning,
                             WarningTitle) == Platform::Answer::No)
        Check8->setChecked(false);
    Settings settings = global_.settings;
    for (const CheckSpec& spec : Checks)
        settings[spec.entry] = flag(this->*spec.box);
    if (learningAvailable_)
        settings[setting::UseLearning] = flag(Check12);
    settings[setting::EmailProgram] = text::trimSpaces(Text2->text());
    settings[setting::ProgramPassword] = text::trimSpaces(Text6->text());
    for (const ClientIdSpec& spec : ClientIdBoxes)
        settings[spec.entry] = text::trimSpaces((this->*spec.box)->text());
    settings[setting::NotifySecs] = bounded(Text4->text(), MinimumSeconds, MaximumSeconds);
    settings[setting::CheckEveryMins] = bounded(Text3->text(), MinimumMinutes, NoMaximum);
    settings[setting::MaxSizeK] = bounded(Text1->text(), MinimumSize, NoMaximum);
    settings[setting::TrashKeep] = bounded(Text5->text(), MinimumSize, NoMaximum);
    // The next Trash slot must lie within the new Trash size; a negative slot from a
    // hand-edited file is brought into range as well.
    const qint64 keep = settings.number(setting::TrashKeep);
    settings[setting::TrashNext] =
        QString::number((settings.number(setting::TrashNext) % keep + keep) % keep);
    for (int i = 0; i < 3; ++i)
        settings[setting::SmallImageTypes + i] =
            List1->item(i)->isSelected() ? ImageTypes[i] : QString();
    secrets_.keep(settings);
    if (saveFailed(settings.save(global_.DataFolder), QString::fromLatin1(Settings::FileName)))
        return;
    global_.settings = settings;
    global_.enteredPassword = settings[setting::ProgramPassword];
    accept();
}

// The data files are addressed by full path, so the dialog's folder changes nothing else.
void PreferencesWindow::Command3_Click() {
    const QString chosen = platform_.fileOpenDialog(FindTitle, FindFolder, FindFilter);
    if (!chosen.isEmpty())
        Text2->setText(chosen);
}
