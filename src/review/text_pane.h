#pragma once

#include <QObject>
#include <QString>

// The main window's text pane (Text1) as the runs see it: one text, replaced or extended by
// lines. The window mirrors it in a read-only fixed-pitch editor.
class TextPane : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const QString& text() const { return text_; }
    void setText(const QString& text);
    void clear() { setText(QString()); }
    // AddList: the old text followed by the line and CR LF. Costs the same at any length.
    void AddList(const QString& line);

Q_SIGNALS:
    void textReplaced(const QString& text);
    void lineAdded(const QString& line);

private:
    QString text_;
};
