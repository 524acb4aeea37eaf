#include "sms/MultiSend.h"

#include <QStringList>

#include <algorithm>

namespace {

QString joined(const QList<SendOutcome> &outcomes, SendState state, bool withReason)
{
    QStringList parts;
    for (const SendOutcome &o : outcomes) {
        if (o.state != state)
            continue;
        parts.append(withReason && !o.reason.isEmpty() ? QStringLiteral("%1 (%2)").arg(o.to.label(), o.reason)
                                                       : o.to.label());
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString MultiSendProgress(int number, int total)
{
    return QStringLiteral("Nachricht %1 von %2 …").arg(number).arg(total);
}

QStringList NationalNumbers(const QList<Recipient> &to)
{
    QStringList lines;
    for (const Recipient &r : to) {
        if (!r.number.startsWith(QLatin1String("00")) && !r.number.startsWith(u'+'))
            lines.append(QStringLiteral("%1 (%2)").arg(r.label(), r.number));
    }
    return lines;
}

QString MultiSendSummary(const QList<SendOutcome> &outcomes, bool brokenOff)
{
    const auto count = [&](SendState s) {
        return std::count_if(outcomes.begin(), outcomes.end(), [s](const SendOutcome &o) { return o.state == s; });
    };
    const qsizetype sent = count(SendState::Sent);
    QStringList lines;
    lines.append((brokenOff ? QStringLiteral("Versand abgebrochen: %1 von %2 Nachrichten gesendet.")
                            : QStringLiteral("%1 von %2 Nachrichten gesendet."))
                     .arg(sent)
                     .arg(outcomes.size()));
    if (sent > 0)
        lines.append(QStringLiteral("Gesendet an: ") + joined(outcomes, SendState::Sent, false));
    if (count(SendState::Failed) > 0)
        lines.append(QStringLiteral("Fehlgeschlagen: ") + joined(outcomes, SendState::Failed, true));
    if (count(SendState::NotSent) > 0)
        lines.append(QStringLiteral("Nicht gesendet: ") + joined(outcomes, SendState::NotSent, true));
    return lines.join(QStringLiteral("\r\n"));
}
