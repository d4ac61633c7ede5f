#pragma once

#include "mail/mail_count.h"
#include "review/grid_model.h"
#include "ui/twips.h"

#include <QList>
#include <QLocale>
#include <QWidget>

class GridView;
class QTimer;

// The notifier: a small table near the bottom-right corner of the screen that tells how much
// mail waits on each enabled account while the main window is minimised. It hides itself when
// its time is up or when it is clicked, and stays loaded for the next check.
class Notifier : public QWidget {
    Q_OBJECT
public:
    static constexpr int Rows = 27; // the title row and rows 1 to 26: room for the 25 accounts
    static constexpr int WidthTwips = 4200;
    static constexpr int RightMarginTwips = 300;
    static constexpr int BottomMarginTwips = 500;

    explicit Notifier(Twips twips, QWidget* parent = nullptr);

    // Fills one row per count from row 1 (light red for an account that was not reached), sizes the
    // window to the title row and those rows, places it near the bottom-right corner of `available`
    // (the screen less its panels, in pixels) and shows it for `seconds` without taking the focus.
    void showCounts(const QList<MailCount>& counts, const QRect& available, qint64 seconds);

    // The counts as lines of text, for a desktop notification and the tray's tooltip: one line
    // per account, its count and size, or that it was not reached.
    static QString summary(const QList<MailCount>& counts, const QLocale& locale = QLocale());

    // The size column: the whole k grouped in threes with the locale's separator, nothing for
    // 0, then "k".
    static QString sizeText(qint64 sizeK, const QLocale& locale = QLocale());
    // The window's top-left corner: RightMarginTwips from the right edge of `available` and
    // BottomMarginTwips above its bottom edge, for a window of `size` pixels.
    static QPoint placement(const QRect& available, const QSize& size, const Twips& twips);

    const GridModel& grid() const { return grid_; }

public Q_SLOTS:
    // A click anywhere on the table: the rows are emptied and the window hides.
    void MSFlexGrid1_Click();
    // The display time is up.
    void Timer1_Timer();

private:
    void Form_Load();
    int rowHeight() const;

    const Twips twips_;
    GridModel grid_;
    GridView* MSFlexGrid1;
    QTimer* Timer1;
};
