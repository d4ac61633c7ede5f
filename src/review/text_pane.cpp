#include "review/text_pane.h"

void TextPane::setText(const QString& text) {
    text_ = text;
    Q_EMIT textChanged(text_);
}

void TextPane::AddList(const QString& line) {
    setText(text_ + line + QLatin1String("\r\n"));
}
