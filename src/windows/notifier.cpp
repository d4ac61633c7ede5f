#include "windows/notifier.h"

#include "review/message_table.h"
#include "ui/grid_view.h"

#include <QColor>
#include <QHeaderView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const QString Title = QStringLiteral("Mailweir");
const QString Description = QStringLiteral("Mail waiting on your accounts; click to close");

struct Column {
    const char* title;
    double share;
    int alignment;
};
const Column Columns[] = {
    {"Account", 0.6, GridModel::AlignLeft},
    {"Mail", 0.2, GridModel::AlignCentre},
    {"Size", 0.2, GridModel::AlignCentre},
};

// The table's colours: dark blue on white cells, brown on the light orange title row, black on
// white for the selection, grey beyond the cells and light grey lines.
const QString Look = QStringLiteral(
    "QTableView { background-color: #808080; color: #000040; gridline-color: #C0C0C0;"
    " selection-background-color: #FFFFFF; selection-color: #000000; border: none; }"
    "QHeaderView::section { background-color: #FFE0C0; color: #804000;"
    " border: none; border-right: 1px solid #C0C0C0; border-bottom: 1px solid #C0C0C0; }");

const QLatin1String KiloSuffix("k");
const QColor CellText(0x00, 0x00, 0x40); // dark blue
const QString CountLine = QStringLiteral("%1: %2 (%3)");
const QString FailedLine = QStringLiteral("%1: not reached");

} // namespace

Notifier::Notifier(Twips twips, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), twips_(twips),
      grid_(static_cast<int>(std::size(Columns)), Rows),
      MSFlexGrid1(new GridView(grid_, twips, this)), Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("Notifier"));
    setWindowTitle(Title);
    setAccessibleName(Title);
    setAccessibleDescription(Description);
    setToolTip(Description);
    // It pops up while the user works elsewhere: never steal the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(Description);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MSFlexGrid1);
    connect(&grid_, &GridModel::Click, this, &Notifier::MSFlexGrid1_Click);
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &Notifier::MSFlexGrid1_Click);
    connect(Timer1, &QTimer::timeout, this, &Notifier::Timer1_Timer);
    Form_Load();
}

void Notifier::Form_Load() {
    MSFlexGrid1->setStyleSheet(Look);
    MSFlexGrid1->setInk(CellText);
    MSFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->horizontalHeader()->setFixedHeight(rowHeight());
    MSFlexGrid1->setFocusPolicy(Qt::NoFocus);
    for (int c = 0; c < grid_.Cols(); ++c) {
        grid_.setTextMatrix(0, c, QString::fromLatin1(Columns[c].title));
        grid_.setColAlignment(c, Columns[c].alignment);
        grid_.setColWidth(c, static_cast<int>(std::lround(WidthTwips * Columns[c].share)));
    }
    setFixedWidth(twips_.toPixels(WidthTwips));
}

int Notifier::rowHeight() const {
    return MSFlexGrid1->verticalHeader()->defaultSectionSize();
}

void Notifier::showCounts(const QList<MailCount>& counts, const QRect& available, qint64 seconds) {
    int row = 1;
    {
        const GridModel::Batch batch(grid_);
        for (const MailCount& count : counts) {
            if (row >= grid_.Rows())
                break;
            grid_.setTextMatrix(row, 0, count.account);
            grid_.setTextMatrix(row, 1, QString::number(count.count));
            grid_.setTextMatrix(row, 2, sizeText(count.sizeK));
            for (int c = 0; c < grid_.Cols(); ++c)
                grid_.setCellBackColor(row, c, count.failed ? colour::LightRed : colour::White);
            ++row;
        }
    }
    setFixedHeight(rowHeight() * row);
    move(placement(available, size(), twips_));
    Timer1->start(static_cast<int>(std::clamp<qint64>(seconds * 1000, 0, INT_MAX)));
    show();
}

QString Notifier::summary(const QList<MailCount>& counts, const QLocale& locale) {
    QStringList lines;
    for (const MailCount& count : counts)
        lines.append(count.failed ? FailedLine.arg(count.account)
                                  : CountLine.arg(count.account, QString::number(count.count),
                                                  sizeText(count.sizeK, locale)));
    return lines.join(QLatin1Char('\n'));
}

QString Notifier::sizeText(qint64 sizeK, const QLocale& locale) {
    return (sizeK == 0 ? QString() : locale.toString(sizeK)) + KiloSuffix;
}

QPoint Notifier::placement(const QRect& available, const QSize& size, const Twips& twips) {
    return {available.x() + available.width() - size.width() - twips.toPixels(RightMarginTwips),
            available.y() + available.height() - size.height() - twips.toPixels(BottomMarginTwips)};
}

void Notifier::MSFlexGrid1_Click() {
    const GridModel::Batch batch(grid_);
    for (int r = 1; r < grid_.Rows(); ++r)
        for (int c = 0; c < grid_.Cols(); ++c) {
            grid_.setTextMatrix(r, c, QString());
            grid_.setCellBackColor(r, c, colour::White);
        }
    hide();
}

void Notifier::Timer1_Timer() {
    Timer1->stop();
    MSFlexGrid1_Click();
}
