#pragma once

#include "auth/secrets.h"
#include "store/global.h"
#include "support/fake_keyring.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QMap>
#include <QTest>

// A temporary home whose documents folder the scripted platform gives, and the shared tables,
// nothing loaded yet: what every window of the program works on.
struct Desktop {
    TempHome home;
    ScriptedPlatform platform;
    Global global;
    FakeKeyring keyring; // none, unless a test makes it available
    Secrets secrets{keyring, platform};

    Desktop() { platform.documents = home.documents(); }
};

// A control of a window by its object name; there must be one.
template <class Control = QWidget> Control* find(const QObject& window, const QString& name) {
    auto* found = window.findChild<Control*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

enum Kind { Accounts, Preferences, Lists, Rules };

// One run of a window: the data files it starts from (over the rig's own), the steps that work
// it (separated by ";", see perform()), the input boxes' answers (also the files the file
// dialog chooses), and what it must leave behind.
struct Play {
    explicit Play(Kind k = Accounts, const QString& s = QString()) : kind(k), steps(s) {}
    Play& with(const QString& name, const QStringList& content) {
        return files[name] = content, *this;
    }
    Play& typing(const QStringList& replies) { return typed = replies, *this; }
    // The messages shown, and the answers given to those that ask.
    Play& telling(const QStringList& messages, const QList<Platform::Answer>& replies = {}) {
        return boxes = messages, answers = replies, *this;
    }
    Play& unsaved() { return saved = false, *this; }
    // The file's lines from `first` on (-1: the whole file) afterwards.
    Play& leaves(const QString& name, const QStringList& content, int first = -1) {
        return file = name, lines = content, from = first, *this;
    }
    // Every file as it was and, once the main window has reloaded, every table too.
    Play& unchanged() { return keepsEverything = true, *this; }

    Kind kind;
    QString steps;
    QMap<QString, QStringList> files;
    QStringList typed;
    QList<Platform::Answer> answers;
    QStringList boxes;
    bool saved = true; // what run() returns
    QString file;
    QStringList lines;
    int from = -1;
    bool keepsEverything = false;
};

// A data folder holding every data file (account "a", rule "cash", one entry in each list),
// loaded as at start-up, and the scripted platform.
struct WindowRig : Desktop {
    WindowRig();
    void write(const QString& name, const QStringList& lines); // then loads everything again
    // Opens the window and plays it modally, comparing what it leaves with what `play` says.
    void play(const Play& play);
};

const QStringList AccountA = {"a", "pop.a", "user", "", "1/2/20", "0", "0", "", "110", "a@x"};
// Records like AccountA in rows 1, 2, ..., with the names and the enabled marks given.
QStringList accountLines(const QStringList& names, const QStringList& enabled = {});
QStringList ruleLines(const QStringList& rules); // each rule's nine fields joined by "|"
