#pragma once

#include "windows/editor_window.h"

// The maker's contact points, shown in the About window and used by the Help menu.
namespace maker {
inline const QString Website = QStringLiteral("https://mailweir.org/");
inline const QString SupportAddress = QStringLiteral("support@mailweir.org");
inline const QString GeneralAddress = QStringLiteral("hello@mailweir.org");
inline const QString OtherWebsite = QStringLiteral("https://mailweir.org/manual/");
inline const QString OtherAddress = QStringLiteral("press@mailweir.org");
} // namespace maker

// The About window: the program's title and version, a system report, and the maker's contact
// points as links the desktop opens. It stores nothing.
class AboutWindow : public EditorWindow {
    Q_OBJECT
public:
    AboutWindow(Global& global, Platform& platform, QWidget* parent = nullptr);

    // Starts the first system report installed here, or says there is none.
    void StartSysInfo();

private:
    void createControls();
    QLabel* makeLink(const char* name, const QString& shown, const QString& target);

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};
