#include "windows/sign_in_box.h"

#include "auth/oauth_provider.h"
#include "auth/oauth_sign_in.h"
#include "platform/platform.h"
#include "store/data_files.h"
#include "store/global.h"
#include "windows/editor_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

const QString Title = QStringLiteral("Sign-in and security");
const QString MethodLabel = QStringLiteral("Si&gn in with:");
// In the order of OAuthProvider::presets(), after the password.
const QString Methods[] = {QStringLiteral("Password"), QStringLiteral("Microsoft account (OAuth2)"),
                           QStringLiteral("Google account (OAuth2)"),
                           QStringLiteral("Other OAuth2 provider")};
const QString SignInCaption = QStringLiteral("Sign &in...");
const QString SignInTip = QStringLiteral(" Sign in on the provider's page in your browser ");
const QString EncryptCaption = QStringLiteral("&Require encryption");
const QString EncryptTip =
    QStringLiteral(" Never send the password or token over a connection that is not encrypted ");
const QString EndpointLabels[] = {QStringLiteral("Authorize URL:"), QStringLiteral("Token URL:"),
                                  QStringLiteral("Scope:")};
const QString SignedIn = QStringLiteral("Signed in.");
const QString NotSignedIn = QStringLiteral("Not signed in: press Sign in.");
const QString PasswordKept = QStringLiteral("The password is typed above.");
const QString NoCertificate = QStringLiteral("No certificate accepted by hand.");
const QString Certificate = QStringLiteral("Accepted certificate (SHA-256):");
const QString ForgetCaption = QStringLiteral("&Forget certificate");
const QString ForgetTip = QStringLiteral(" Refuse this certificate again until you accept it ");
const QString SignInFailed = QStringLiteral("The sign-in did not succeed.      \r\n%1");
const QString Waiting =
    QStringLiteral("Sign in on the provider's page in your browser; Mailweir waits for it here.");
const QString CancelCaption = QStringLiteral("&Cancel");

} // namespace

SignInBox::SignInBox(Global& global, Platform& platform, QWidget* parent)
    : QGroupBox(Title, parent), global_(global), platform_(platform) {
    createControls();
}

void SignInBox::createControls() {
    auto* layout = new QGridLayout(this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    for (const QString& method : Methods)
        Combo1->addItem(method);
    auto* methodLabel = new QLabel(MethodLabel, this);
    methodLabel->setBuddy(Combo1);
    Combo1->setAccessibleName(QStringLiteral("Sign in with"));
    Command5 = newButton(this, "Command5", SignInCaption, SignInTip);
    Check1 = new QCheckBox(EncryptCaption, this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setToolTip(EncryptTip);
    layout->addWidget(methodLabel, 0, 0);
    layout->addWidget(Combo1, 0, 1);
    layout->addWidget(Command5, 0, 2);
    layout->addWidget(Check1, 1, 1, 1, 2);
    QLineEdit** boxes[] = {&Text7, &Text8, &Text9};
    for (int i = 0; i < 3; ++i) {
        *boxes[i] = new QLineEdit(this);
        (*boxes[i])->setObjectName(QStringLiteral("Text%1").arg(7 + i));
        auto* label = new QLabel(EndpointLabels[i], this);
        label->setBuddy(*boxes[i]);
        (*boxes[i])->setAccessibleName(EndpointLabels[i].chopped(1));
        layout->addWidget(label, 2 + i, 0);
        layout->addWidget(*boxes[i], 2 + i, 1, 1, 2);
    }
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    // The fingerprint in a box of its own: too long for a line of the label, and the user may
    // want to copy it.
    Text10 = new QLineEdit(this);
    Text10->setObjectName(QStringLiteral("Text10"));
    Text10->setReadOnly(true);
    Text10->setAccessibleName(Certificate.chopped(1));
    Label2->setBuddy(Text10);
    Command6 = newButton(this, "Command6", ForgetCaption, ForgetTip);
    layout->addWidget(Label1, 5, 1, 1, 2);
    layout->addWidget(Label2, 6, 0, 1, 2);
    layout->addWidget(Command6, 6, 2);
    layout->addWidget(Text10, 7, 0, 1, 3);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &SignInBox::Combo1_Click);
    connect(Command5, &QPushButton::clicked, this, &SignInBox::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &SignInBox::Command6_Click);
}

QWidget* SignInBox::first() const {
    return Combo1;
}

QWidget* SignInBox::last() const {
    return Command6;
}

// An empty row is a new account: it requires encryption unless the user says otherwise.
void SignInBox::showAccount(const Account& account) {
    options_ = AccountOptions::of(account);
    if (account.AccountName.isEmpty())
        options_.requireEncryption = true;
    token_ = options_.signsInWithOAuth() ? account.AccountPassword : QString();
    pin_ = pinnedCertificate(account);
    const int preset = static_cast<int>(OAuthProvider::presets().indexOf(options_.oauthPreset));
    {
        const QSignalBlocker quiet(Combo1); // showing an account changes nothing in it
        Combo1->setCurrentIndex(preset + 1);
    }
    Check1->setChecked(options_.requireEncryption);
    Text7->setText(options_.authorizeUrl);
    Text8->setText(options_.tokenUrl);
    Text9->setText(options_.scope);
    showStatus();
}

bool SignInBox::signsInWithOAuth() const {
    return Combo1->currentIndex() > 0;
}

AccountOptions SignInBox::chosenOptions() const {
    AccountOptions options = options_;
    options.requireEncryption = Check1->isChecked();
    options.oauthPreset =
        signsInWithOAuth() ? OAuthProvider::presets().value(Combo1->currentIndex() - 1) : QString();
    const bool other = options.oauthPreset == OAuthProvider::presets().constLast();
    options.authorizeUrl = other ? Text7->text().trimmed() : QString();
    options.tokenUrl = other ? Text8->text().trimmed() : QString();
    options.scope = other ? Text9->text().simplified() : QString();
    return options;
}

void SignInBox::applyTo(Account& account) const {
    chosenOptions().applyTo(account);
    setPinnedCertificate(account, pin_);
    if (signsInWithOAuth())
        account.AccountPassword = token_;
}

void SignInBox::showStatus() {
    const bool oauth = signsInWithOAuth();
    const bool other = Combo1->currentIndex() == Combo1->count() - 1;
    Command5->setEnabled(oauth);
    for (QLineEdit* box : {Text7, Text8, Text9})
        box->setEnabled(other);
    Label1->setText(!oauth ? PasswordKept : token_.isEmpty() ? NotSignedIn : SignedIn);
    Label2->setText(pin_.isEmpty() ? NoCertificate : Certificate);
    Text10->setText(pin_);
    Text10->setCursorPosition(0);
    Text10->setVisible(!pin_.isEmpty());
    Command6->setEnabled(!pin_.isEmpty());
}

// A new method forgets the token of the old one.
void SignInBox::Combo1_Click() {
    token_.clear();
    showStatus();
    const OAuthProvider provider = OAuthProvider::of(chosenOptions());
    Q_EMIT methodChanged(signsInWithOAuth(), provider.popHost, provider.popPort);
}

// The window waits while the user signs in in the browser; nothing in it can change meanwhile.
void SignInBox::Command5_Click() {
    const AccountOptions options = chosenOptions();
    const OAuthProvider provider = OAuthProvider::of(options);
    // The wait is window-modal: the editor takes no input meanwhile, but the user can give up.
    QProgressDialog waiting(Waiting, CancelCaption, 0, 0, window());
    waiting.setWindowTitle(window()->windowTitle());
    waiting.setWindowModality(Qt::WindowModal);
    waiting.setMinimumDuration(0);
    const oauth::SignInResult result = oauth::signIn(
        provider, OAuthProvider::clientId(global_.settings, options.oauthPreset),
        [this](const QUrl& page) { platform_.shellOpen(page.toString()); },
        [&waiting](const oauth::Cancel& cancel) {
            QObject::connect(&waiting, &QProgressDialog::canceled, &waiting, cancel);
            waiting.show();
        });
    // Closing a progress dialog cancels it, and the sign-in's wait is over.
    QObject::disconnect(&waiting, &QProgressDialog::canceled, nullptr, nullptr);
    waiting.close();
    if (result.refreshToken.isEmpty() && !result.cancelled)
        platform_.messageBox(SignInFailed.arg(result.failure), Platform::Buttons::Ok,
                             Platform::Icon::Warning, window()->windowTitle());
    else
        token_ = result.refreshToken;
    showStatus();
}

void SignInBox::Command6_Click() {
    pin_.clear();
    showStatus();
}
