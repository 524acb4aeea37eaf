#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

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
    const QString chosen = fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    // Tests run as root: a file chosen here may be replaced, truncated or deleted by the
    // program, or by a fault in it. Only a file inside a folder of its own under the temporary
    // folder (a QTemporaryDir) is ever handed out, never /dev/..., never /tmp itself.
    if (!chosen.isEmpty()) {
        const QString temp = QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/');
        const QString path = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
        if (!path.startsWith(temp) || !path.mid(temp.size()).contains(QLatin1Char('/')))
            qFatal("ScriptedDialogs: the file answer %s lies outside a temporary folder", qPrintable(chosen));
    }
    return chosen;
}
