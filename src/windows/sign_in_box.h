#pragma once

#include "store/account_options.h"

#include <QGroupBox>

struct Account;
class Global;
class Platform;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The accounts editor's sign-in part: how the account signs in (its password, or OAuth2 with
// a provider's preset or another provider's endpoints), whether it requires encryption, and the
// server certificate the user accepted. It shows one account and writes its choices back into
// one; an OAuth2 sign-in made here is kept until then.
class SignInBox : public QGroupBox {
    Q_OBJECT
public:
    SignInBox(Global& global, Platform& platform, QWidget* parent);

    void showAccount(const Account& account);
    // The options, the accepted certificate and, for OAuth2, the refresh token into `account`.
    void applyTo(Account& account) const;
    bool signsInWithOAuth() const;
    // The first and last controls, for the window's tab order.
    QWidget* first() const;
    QWidget* last() const;

Q_SIGNALS:
    // The method changed; a preset names its POP3 server and port.
    void methodChanged(bool oauth, const QString& popHost, int popPort);

private:
    void createControls();
    void Combo1_Click();
    void Command5_Click(); // sign in
    void Command6_Click(); // forget the certificate
    AccountOptions chosenOptions() const;
    void showStatus();

    Global& global_;
    Platform& platform_;
    AccountOptions options_;     // the account's, for what this box does not show
    QString token_;              // the refresh token
    QString pin_;                // the accepted certificate's fingerprint
    QComboBox* Combo1 = nullptr; // sign-in method
    QPushButton* Command5 = nullptr;
    QCheckBox* Check1 = nullptr; // require encryption
    QLineEdit* Text7 = nullptr;  // authorize URL
    QLineEdit* Text8 = nullptr;  // token URL
    QLineEdit* Text9 = nullptr;  // scope
    QLabel* Label1 = nullptr;    // signed in or not
    QLabel* Label2 = nullptr;    // the accepted certificate
    QLineEdit* Text10 = nullptr; // its fingerprint
    QPushButton* Command6 = nullptr;
};
