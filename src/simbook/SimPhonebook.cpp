#include "simbook/SimPhonebook.h"

#include "comm/ModemLink.h"
#include "modem/ModemCommand.h"
#include "modem/ModemTask.h"
#include "platform/Platform.h"

const QString kSimUnsafeEntryMessage =
    QStringLiteral("Eintrag %1 (%2) kann nicht auf die SIM-Karte geschrieben werden: Name und Nummer dürfen "
                   "keine Anführungszeichen, Semikolons, Zeilenumbrüche, Steuerzeichen oder nicht "
                   "übertragbaren Sonderzeichen enthalten. Es wurde nichts gesendet. ");

const QString kSimNothingToWriteMessage =
    QStringLiteral("Es gibt nichts auf die SIM-Karte zu schreiben: kein Eintrag ist neu, geändert oder gelöscht. ");

bool SimPhonebook::selectStorage(ModemTask &task)
{
    return task.exchange(QStringLiteral("AT+CPBS=\"SM\"")).ok();
}

SimRunResult SimPhonebook::readOut(ModemTask &task, const QString &countText)
{
    SimRunResult result;
    if (!PortIsOpen(task.link()))
        return result;
    result.end = SimRunResult::End::Failed;
    if (!selectStorage(task) || !task.exchange(QStringLiteral("AT+CPBR=?")).ok())
        return result;

    result.count = SimReadCount(countText);
    if (result.count < 1) {
        result.end = SimRunResult::End::NotStarted;
        return result;
    }
    if (onCount)
        onCount(result.count);
    for (int i = 1; i <= result.count; ++i) {
        result.step = i;
        if (task.cancelled()) {
            result.end = SimRunResult::End::Stopped;
            return result;
        }
        if (onStep)
            onStep(i, result.count);
        const ModemTask::Reply reply = task.exchange(CpbrCommand(i));
        if (!reply.ok())
            return result;
        if (onEntry)
            onEntry(i, CpbrEntry(reply.answer));
    }
    result.end = SimRunResult::End::Done;
    return result;
}

SimRunResult SimPhonebook::write(ModemTask &task, const SimWritePlan &plan)
{
    SimRunResult result;
    for (const SimWriteStep &step : plan.steps) {
        if (step.kind != SimWriteStep::Kind::Clear && !SimEntryIsSendable(step.name, step.number)) {
            platform::dialogs().message(kSimUnsafeEntryMessage.arg(step.row + 1).arg(step.name), MsgButtons::Ok,
                                        MsgIcon::Exclamation);
            return result;
        }
    }
    if (!PortIsOpen(task.link()))
        return result;
    if (plan.isEmpty()) {
        platform::dialogs().message(kSimNothingToWriteMessage);
        return result;
    }
    if (onConfirm && !onConfirm(plan))
        return result;

    result.count = int(plan.steps.size());
    result.end = SimRunResult::End::Failed;
    if (!selectStorage(task))
        return result;
    for (int i = 1; i <= result.count; ++i) {
        result.step = i;
        if (task.cancelled()) {
            result.end = SimRunResult::End::Stopped;
            return result;
        }
        if (onStep)
            onStep(i, result.count);
        const SimWriteStep &step = plan.steps.at(i - 1);
        if (!task.exchange(CpbwStepCommand(step)).ok())
            return result;
        if (onWritten)
            onWritten(step);
    }
    result.end = SimRunResult::End::Done;
    return result;
}
