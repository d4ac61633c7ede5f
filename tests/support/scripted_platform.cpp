#include "support/scripted_platform.h"

Platform::Answer ScriptedPlatform::messageBox(const QString& text, Buttons buttons, Icon icon,
                                              const QString& title) {
    boxes.append({text, title, buttons, icon});
    if (!answers.isEmpty())
        return answers.dequeue();
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QString ScriptedPlatform::inputBox(const QString& prompt, const QString& title,
                                   const QString& defaultText, QPoint twipsPosition, bool secret) {
    prompts.append({prompt, title, defaultText, twipsPosition, secret});
    return typed.isEmpty() ? QString() : typed.dequeue();
}

QString ScriptedPlatform::fileOpenDialog(const QString&, const QString&, const QString&) {
    return chosenFiles.isEmpty() ? QString() : chosenFiles.dequeue();
}

QString ScriptedPlatform::fileSaveDialog(const QString&, const QString& path, const QString&) {
    suggested.append(path);
    return fileOpenDialog({}, {}, {});
}

bool ScriptedPlatform::shellOpen(const QString& fileOrAddress) {
    opened.append(fileOrAddress);
    return failing.contains(fileOrAddress);
}

bool ScriptedPlatform::startProgram(const QString& program, const QStringList& arguments) {
    started.append(QStringList{program} + arguments);
    return failing.contains(program);
}

bool ScriptedPlatform::programExists(const QString& program) {
    return existingPrograms.contains(program);
}
