#include "review/text_pane.h"

void TextPane::setText(const QString& text) {
    text_ = text;
    Q_EMIT textReplaced(text_);
}

void TextPane::AddList(const QString& line) {
    text_ += line + QLatin1String("\r\n");
    Q_EMIT lineAdded(line);
}
