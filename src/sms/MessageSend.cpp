#include "sms/MessageSend.h"

#include "comm/CommPort.h"
#include "modem/ModemCommand.h"
#include "modem/ModemTask.h"
#include "sms/SendAnswers.h"
#include "sms/SentStore.h"
#include "sms/SubmitPdu.h"
#include "text/StringUtil.h"

#include <QStringList>

namespace {

const QChar kCtrlZ(26);
const QChar kEscape(27);
const QString kLinkLost = QStringLiteral("Verbindung zum Modem unterbrochen");

bool linkGone(ModemTask &task)
{
    return task.comm().lost() || !task.comm().portOpen();
}

// The outcome of one part: its prompt, then its text or PDU.
struct PartOutcome {
    bool prompted = false;
    ModemReply reply;
};

PartOutcome submitPart(ModemTask &task, const QString &command, const QString &body)
{
    PartOutcome o;
    o.reply = task.exchange(command);
    if (!o.reply.answer.contains(QLatin1Char('>')))
        return o;
    o.prompted = true;
    task.send(body + kCtrlZ);
    o.reply = task.answer();
    return o;
}

// Records the part's outcome; false when the run stops here.
bool settle(ModemTask &task, SentStore &store, SendResult &result, int part, const PartOutcome &o)
{
    const std::optional<int> mr = CmgsReference(o.reply.answer);
    if (o.prompted && mr && o.reply.status != kStatusError) {
        result.references.append(*mr);
        if (store.accepted(result.id, part, *mr))
            return true;
        // Out, but not on record: no further part goes out unrecorded.
        result.recordError = store.error();
        if (part == result.parts)
            return true;
        result.failedPart = part + 1;
        result.reason = QStringLiteral("nicht gesendet, weil die Datei der gesendeten Nachrichten nicht geschrieben "
                                       "werden kann");
        return false;
    }
    result.failedPart = part;
    result.timedOut = o.reply.status == kStatusTimeout;
    result.reason = linkGone(task) ? kLinkLost : CmgsFailure(o.reply.answer, o.reply.status, o.prompted);
    // Once the text has gone to the modem, only its answer tells whether it went on; an error
    // says it did not.
    result.uncertain = o.prompted && o.reply.status != kStatusError;
    const bool written = result.uncertain ? store.uncertain(result.id, part, result.reason)
                                          : store.refused(result.id, part, result.reason);
    if (!written)
        result.recordError = store.error();
    return false;
}

void sendInTextMode(ModemTask &task, SentStore &store, const SendJob &job, SendResult &result)
{
    QString text = job.plan.text;
    UmlautReplace(text);
    settle(task, store, result, 1, submitPart(task, QStringLiteral("AT+CMGS=\"%1\"").arg(job.number), text));
}

void sendInPduMode(ModemTask &task, SentStore &store, const SendJob &job, SendResult &result,
                   const std::function<void(int, int)> &progress)
{
    const ModemReply mode = task.exchange(QStringLiteral("AT+CMGF=0"));
    if (!mode.ok()) {
        result.failedPart = 1;
        result.timedOut = mode.status == kStatusTimeout;
        result.reason = linkGone(task) ? kLinkLost
                        : result.timedOut
                            ? QStringLiteral("keine Antwort vom Modem")
                            : QStringLiteral("das Modem nimmt den PDU-Modus nicht an (%1)")
                                  .arg(SendErrorText(mode.answer).isEmpty() ? QStringLiteral("keine Bestätigung")
                                                                            : SendErrorText(mode.answer));
        if (!store.refused(result.id, 1, result.reason))
            result.recordError = store.error();
        return;
    }
    // The reference ties the parts together; the record's id changes with every message.
    const QList<SubmitPdu> pdus =
        BuildSubmitPdus(job.number, job.plan.coding, job.plan.parts, job.statusReport, result.id & 0xFF);
    bool promptHangs = false;
    for (int i = 0; i < pdus.size(); ++i) {
        const int part = i + 1;
        if (progress)
            progress(part, result.parts);
        if (!store.submitting(result.id, part)) {
            result.failedPart = part;
            result.reason = QStringLiteral("nicht gesendet, weil die Datei der gesendeten Nachrichten nicht "
                                           "geschrieben werden kann");
            result.recordError = store.error();
            break;
        }
        const PartOutcome o = submitPart(task, QStringLiteral("AT+CMGS=%1").arg(pdus[i].length), pdus[i].hex);
        if (!settle(task, store, result, part, o)) {
            promptHangs = !o.prompted;
            break;
        }
    }
    if (linkGone(task))
        return;
    // Back to text mode, which the read cycle and the next plain message expect. A prompt that
    // may still wait for its PDU is cancelled first.
    if (promptHangs)
        task.send(QString(kEscape));
    task.exchange(QStringLiteral("AT+CMGF=1"), ExchangeOptions::quietTimeout());
}

QString referencesText(const QList<int> &refs)
{
    QStringList list;
    for (int r : refs)
        list << QString::number(r);
    return list.join(QStringLiteral(", "));
}

} // namespace

QString CmgsFailure(const QString &answer, qint16 status, bool prompted)
{
    if (status == kStatusTimeout)
        return QStringLiteral("keine Antwort vom Modem");
    const QString error = SendErrorText(answer);
    if (!error.isEmpty())
        return QStringLiteral("abgelehnt: ") + error;
    if (!prompted)
        return QStringLiteral("keine Eingabeaufforderung vom Modem");
    if (CmgsReference(answer))
        return {};
    return QStringLiteral("keine Bestätigung vom Modem");
}

SendResult SendMessage(ModemTask &task, SentStore &store, const SendJob &job,
                       const std::function<void(int, int)> &progress)
{
    SendResult result;
    result.parts = int(job.plan.parts.size());
    SentMessage record;
    record.number = job.number;
    record.name = job.name;
    record.coding = job.plan.coding;
    record.route = job.plan.route;
    record.report = job.statusReport;
    // The text as the user reads it: the line breaks of the text box.
    record.text = QString(job.plan.text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    record.parts.resize(result.parts);
    result.id = store.begin(record);
    if (result.id == 0) {
        result.failedPart = 1;
        result.reason = store.error();
        return result;
    }
    if (job.plan.route == SendRoute::TextMode) {
        if (progress)
            progress(1, 1);
        if (store.submitting(result.id, 1)) {
            sendInTextMode(task, store, job, result);
        } else {
            result.failedPart = 1;
            result.reason = store.error();
        }
    } else {
        sendInPduMode(task, store, job, result, progress);
    }
    store.finished(result.id);
    return result;
}

QString SendResultText(const SendResult &result, bool statusReport)
{
    const QString record = result.recordError.isEmpty() ? QString() : QLatin1Char(' ') + result.recordError;
    if (result.ok()) {
        QString text = result.parts == 1
                           ? QStringLiteral("Gesendet (Referenz %1).").arg(referencesText(result.references))
                           : QStringLiteral("Gesendet in %1 Teilen (Referenzen %2).")
                                 .arg(result.parts)
                                 .arg(referencesText(result.references));
        if (statusReport)
            text += QStringLiteral(" Empfangsbestätigung angefordert.");
        return text + record;
    }
    QString text = result.uncertain ? QStringLiteral("Ungewiss, ob gesendet: ") : QStringLiteral("Nicht gesendet: ");
    if (result.parts > 1)
        text += QStringLiteral("Teil %1 von %2, ").arg(result.failedPart).arg(result.parts);
    text += result.reason + QLatin1Char('.');
    const int before = result.failedPart - 1;
    if (result.parts > 1 && before == 1)
        text += QStringLiteral(" Teil 1 ist gesendet.");
    else if (result.parts > 1 && before > 1)
        text += QStringLiteral(" Teile 1 bis %1 sind gesendet.").arg(before);
    return text + record;
}
