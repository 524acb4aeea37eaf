#pragma once
// One exchange outside any window, for tests and benchmarks that talk to the modem directly:
// a task of its own around it, as every window's work has.
#include "modem/ModemTask.h"

inline qint16 Exchange(ModemLink &link, const QString &command, QString &answer)
{
    ModemTask task(link, nullptr, QStringLiteral("Test"));
    const ModemTask::Reply reply = task.exchange(command);
    answer = reply.answer;
    return reply.status;
}
