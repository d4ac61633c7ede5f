#include "ui/pane_view.h"

#include "review/text_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace {

const QLatin1String PaneLineEnd("\r\n");
const QLatin1Char ViewLineEnd('\n');

QString viewText(QString paneText) {
    return paneText.replace(PaneLineEnd, QString(ViewLineEnd));
}

void appendLine(QPlainTextEdit& view, const QString& line) {
    QScrollBar* bar = view.verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor end(view.document());
    end.movePosition(QTextCursor::End);
    end.insertText(viewText(line) + ViewLineEnd);
    if (atEnd)
        bar->setValue(bar->maximum());
}

} // namespace

void showPane(const TextPane& pane, QPlainTextEdit& view) {
    QObject::connect(&pane, &TextPane::textReplaced, &view,
                     [&view](const QString& text) { view.setPlainText(viewText(text)); });
    QObject::connect(&pane, &TextPane::lineAdded, &view,
                     [&view](const QString& line) { appendLine(view, line); });
}
