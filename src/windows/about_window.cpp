#include "windows/about_window.h"

#include "platform/platform.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Mailweir");
const QString Version = QStringLiteral("Version %1.%2.%3")
                            .arg(MAILWEIR_VERSION_MAJOR)
                            .arg(MAILWEIR_VERSION_MINOR)
                            .arg(MAILWEIR_VERSION_PATCH);
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");
const QString Mailto = QStringLiteral("mailto:");
const QString Link = QStringLiteral("<a href=\"%1\">%2</a>");

// The desktops' own system reports, tried in this order: a general one first, then those of
// the common desktops.
struct Report {
    QString program;
    QStringList arguments;
};
const Report Reports[] = {
    {QStringLiteral("hardinfo"), {}},
    {QStringLiteral("kinfocenter"), {}},
    {QStringLiteral("gnome-control-center"), {QStringLiteral("info-overview")}},
    {QStringLiteral("xfce4-about"), {}},
};

} // namespace

AboutWindow::AboutWindow(Global& global, Platform& platform, QWidget* parent)
    : EditorWindow(global, platform, parent, "About", QStringLiteral("About ") + Title) {
    createControls();
    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::StartSysInfo);
}

void AboutWindow::createControls() {
    auto* layout = new QGridLayout(this);
    QLabel* title = makeHeading(Title);
    title->setObjectName(QStringLiteral("lblTitle"));
    auto* version = new QLabel(Version, this);
    version->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(version, 1, 0, 1, 2);
    const struct {
        QString caption;
        QLabel* address;
    } contacts[] = {
        {QStringLiteral("Website:"), makeLink("Label3", maker::Website, maker::Website)},
        {QStringLiteral("Support:"),
         makeLink("Label9", maker::SupportAddress, Mailto + maker::SupportAddress)},
        {QStringLiteral("General:"),
         makeLink("Label10", maker::GeneralAddress, Mailto + maker::GeneralAddress)},
        {QStringLiteral("Other website:"), new QLabel(maker::OtherWebsite, this)},
        {QStringLiteral("Other email:"), new QLabel(maker::OtherAddress, this)},
    };
    int row = 2;
    for (const auto& contact : contacts) {
        layout->addWidget(makeLabel(contact.caption, contact.address), row, 0);
        layout->addWidget(contact.address, row++, 1);
    }
    cmdSysInfo = makeButton("cmdSysInfo", QStringLiteral("&System Info"));
    cmdOK = makeButton("cmdOK", QStringLiteral("Close"), QStringLiteral(" Close "));
    cmdOK->setDefault(true);
    layout->addWidget(cmdSysInfo, row, 0);
    layout->addWidget(cmdOK, row, 1, Qt::AlignRight);
}

// A link the keyboard reaches with Tab and opens with Enter, as the mouse does with a click.
QLabel* AboutWindow::makeLink(const char* name, const QString& shown, const QString& target) {
    auto* link = new QLabel(Link.arg(target, shown), this);
    link->setObjectName(QString::fromLatin1(name));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setToolTip(target);
    connect(link, &QLabel::linkActivated, this,
            [this](const QString& address) { platform_.shellOpen(address); });
    return link;
}

void AboutWindow::StartSysInfo() {
    for (const Report& report : Reports) {
        if (!platform_.programExists(report.program))
            continue;
        if (!platform_.startProgram(report.program, report.arguments))
            return;
        break;
    }
    platform_.messageBox(Unavailable, Platform::Buttons::Ok, Platform::Icon::Information,
                         windowTitle());
}
