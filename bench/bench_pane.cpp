// Appending progress lines to the text pane the program's way (each line added at the end)
// next to the plain way it replaced (the whole text set again for every line). Prints figures.
#include "review/text_pane.h"
#include "ui/pane_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <cstdio>

namespace {

constexpr int Lines = 100000;
constexpr int Sample = 1000; // lines timed at the start and at the end
const QString Line = QStringLiteral("Connect to an account with a name of ordinary length");

double seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The program's way: microseconds per line for the first and the last Sample lines, and the
// seconds for all of them.
void appended() {
    TextPane pane;
    QPlainTextEdit view;
    view.show();
    showPane(pane, view);
    QElapsedTimer all;
    all.start();
    double first = 0;
    double last = 0;
    for (int n = 0; n < Lines; ++n) {
        QElapsedTimer one;
        one.start();
        pane.AddList(Line);
        if (n < Sample)
            first += seconds(one);
        else if (n >= Lines - Sample)
            last += seconds(one);
    }
    std::printf("appended, %d lines:        %.2f s; %.1f us a line at the start, %.1f us at the "
                "end\n",
                Lines, seconds(all), first / Sample * 1e6, last / Sample * 1e6);
}

// The plain way for `lines` lines: the seconds taken.
double replaced(int lines) {
    QPlainTextEdit view;
    view.show();
    QString text;
    QElapsedTimer all;
    all.start();
    for (int n = 0; n < lines; ++n) {
        text += Line + QLatin1Char('\n');
        view.setPlainText(text);
    }
    return seconds(all);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    appended();
    double estimate = 0;
    for (const int lines : {1000, 2000, 4000}) {
        const double taken = replaced(lines);
        // Each line costs in proportion to the text so far: the whole run grows as its square.
        estimate = taken * (double(Lines) / lines) * (double(Lines) / lines);
        std::printf("replaced, %5d lines:      %.2f s; %.1f us a line on average; %d lines "
                    "would take about %.0f s\n",
                    lines, taken, taken / lines * 1e6, Lines, estimate);
    }
    return 0;
}
