#include "support/ScriptedDialogs.h"

MsgAnswer ScriptedDialogs::message(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title)
{
    const ShownMessage m{text, buttons, icon, title};
    shown << m;
    if (onMessage)
        onMessage(m);
    if (!answers.isEmpty())
        return answers.takeFirst();
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return MsgAnswer::Yes;
    case MsgButtons::RetryCancel: return MsgAnswer::Cancel;
    }
    return MsgAnswer::Ok;
}

void ScriptedDialogs::notice(const QString &text, MsgIcon icon, const QString &title)
{
    const ShownMessage m{text, MsgButtons::Ok, icon, title, false};
    shown << m;
    if (onMessage)
        onMessage(m);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &m : shown)
        out << m.text;
    return out;
}

void ScriptedDialogs::clear()
{
    shown.clear();
    answers.clear();
    fileRequests.clear();
    fileAnswers.clear();
    beeps = 0;
}

QString ScriptedDialogs::askFile(const FileRequest &request)
{
    fileRequests << request;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}
