#pragma once
#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>

struct ShownMessage {
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
    QString title;
    bool waited = true; // false for a notice
};

// Test double: records every box and answers from a script. Without a scripted answer it
// picks Ok / Yes / Cancel (for Retry-Cancel, so a failing write cannot loop forever).
class ScriptedDialogs final : public Dialogs {
public:
    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title) override;
    void notice(const QString &text, MsgIcon icon, const QString &title) override;
    void beep() override { ++beeps; }
    void setBusy(bool busy) override { busyNow = busy; }

    QList<ShownMessage> shown;
    QList<MsgAnswer> answers;
    QList<FileRequest> fileRequests;
    QStringList fileAnswers; // empty string = cancel
    int beeps = 0;
    bool busyNow = false;
    std::function<void(const ShownMessage &)> onMessage;

    QStringList texts() const;
    void clear();

protected:
    QString askFile(const FileRequest &request) override;
};
