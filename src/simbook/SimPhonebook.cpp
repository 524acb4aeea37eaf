#include "simbook/SimPhonebook.h"

#include "comm/ModemLink.h"
#include "modem/ModemCommand.h"
#include "platform/Platform.h"

const QString kSimUnsafeEntryMessage =
    QStringLiteral("Eintrag %1 (%2) kann nicht auf die SIM-Karte geschrieben werden: Name und Nummer dürfen "
                   "keine Anführungszeichen, Semikolons, Zeilenumbrüche, Steuerzeichen oder nicht "
                   "übertragbaren Sonderzeichen enthalten. Es wurde nichts gesendet. ");

bool SimPhonebook::selectStorage()
{
    QString answer;
    return Exchange(m_link, QStringLiteral("AT+CPBS=\"SM\""), answer) == kStatusOk;
}

SimRunResult SimPhonebook::readOut(const QString &countText)
{
    SimRunResult result;
    if (!PortIsOpen(m_link))
        return result;
    result.end = SimRunResult::End::Failed;
    QString answer;
    if (!selectStorage() || Exchange(m_link, QStringLiteral("AT+CPBR=?"), answer) != kStatusOk)
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
        if (onStep && !onStep(i, result.count)) {
            result.end = SimRunResult::End::Stopped;
            return result;
        }
        if (Exchange(m_link, CpbrCommand(i), answer) != kStatusOk)
            return result;
        if (onEntry)
            onEntry(i, CpbrEntry(answer));
    }
    result.end = SimRunResult::End::Done;
    return result;
}

SimRunResult SimPhonebook::write(const QList<SimListRow> &rows)
{
    SimRunResult result;
    QList<SimListRow> entries;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const SimListRow &row = rows.at(r);
        if (row.name.isEmpty() && row.number.isEmpty())
            continue;
        if (!SimEntryIsSendable(row.name, row.number)) {
            platform::dialogs().message(kSimUnsafeEntryMessage.arg(r + 1).arg(row.name), MsgButtons::Ok,
                                        MsgIcon::Exclamation);
            return result;
        }
        entries.append(row);
    }
    if (!PortIsOpen(m_link))
        return result;

    result.count = int(entries.size());
    result.end = SimRunResult::End::Failed;
    if (!selectStorage())
        return result;
    for (int i = 1; i <= result.count; ++i) {
        result.step = i;
        if (onStep && !onStep(i, result.count)) {
            result.end = SimRunResult::End::Stopped;
            return result;
        }
        const SimListRow &row = entries.at(i - 1);
        QString answer;
        if (Exchange(m_link, CpbwCommand(row.number, row.name), answer) != kStatusOk)
            return result;
    }
    result.end = SimRunResult::End::Done;
    return result;
}
