#include "sms/ReadCycle.h"

#include "comm/CommPort.h"
#include "modem/ModemTask.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"
#include "text/StringUtil.h"

#include <QDateTime>

namespace {

const QString kShutOff = QStringLiteral("Modemabfrage wird abgeschaltet, weil es nicht antwortet. \r\n"
                                        "Für neuen Start bitte Fensterschließen und erneut öffnen.");
const QString kGsm = QStringLiteral("GSM");

// A storage name as AT+CPMS takes it back: two capital letters ("SM", "ME", "MT").
bool isStorageName(const QString &name)
{
    return name.size() == 2 && name.at(0).isUpper() && name.at(1).isUpper();
}

} // namespace

ReadCycle::ReadCycle(ModemTask &task, const QString &folder, const QStringList &knownFiles)
    : m_task(task), m_folder(folder), m_knownFiles(knownFiles)
{
}

ReadCycle::End ReadCycle::run()
{
    m_end = End::Done;
    m_failure.clear();
    qint16 used = 0;
    qint16 max = 0;
    if (SMSAnzahl(used, max) && readStorage(used, max))
        readOtherStorages();
    restore();
    return m_end;
}

bool ReadCycle::readStorage(qint16 &used, qint16 &max)
{
    // The bound is read anew on every pass: every query after a deletion may change it.
    for (int index = 1; used != 0 && index <= max; ++index) {
        if (!readSlot(index, used, max))
            return false;
    }
    return true;
}

// Messages may wait in a storage other than the one read (a modem that receives into its own
// memory, "ME", while "SM" is read): each such storage is read in turn, and the one read
// before is chosen again at the end.
bool ReadCycle::readOtherStorages()
{
    const QString first = m_storages.isEmpty() ? QString() : m_storages.first().name;
    QStringList done{first};
    bool moved = false;
    for (;;) {
        QString next;
        for (const NamedStorage &s : std::as_const(m_storages)) {
            // Status reports ("SR") and cell broadcasts ("BM") are no messages to file.
            if (!done.contains(s.name) && s.counts.used > 0 && s.name != u"SR" && s.name != u"BM")
                next = s.name;
        }
        for (const QString &name : std::as_const(m_announced)) {
            if (next.isEmpty() && !done.contains(name))
                next = name;
        }
        if (next.isEmpty() || !isStorageName(next))
            break;
        done << next;
        ModemReply reply;
        if (!ModemAbfrage(QStringLiteral("AT+CPMS=\"%1\"").arg(next), reply))
            return false;
        if (!reply.ok())
            break;
        moved = true;
        qint16 used = 0;
        qint16 max = 0;
        if (!SMSAnzahl(used, max) || !readStorage(used, max))
            return false;
    }
    if (moved && isStorageName(first)) {
        ModemReply reply;
        return ModemAbfrage(QStringLiteral("AT+CPMS=\"%1\"").arg(first), reply);
    }
    return true;
}

bool ReadCycle::stop(End why)
{
    m_end = why;
    return false;
}

bool ReadCycle::ModemAbfrage(const QString &command, ModemReply &reply, AnswerEndRule endRule)
{
    ExchangeOptions options = ExchangeOptions::quietTimeout();
    options.endRule = endRule;
    reply = m_task.exchange(command, options);
    if (m_task.cancelled())
        return stop(End::Cancelled);
    // Closed under the wait or before it: pulled out (the main window says so) or closed by
    // the user.
    if (!m_task.comm().portOpen())
        return stop(End::PortGone);
    return true;
}

bool ReadCycle::pause(double seconds)
{
    WaitSeconds(seconds);
    return !m_task.cancelled() || stop(End::Cancelled);
}

bool ReadCycle::SMSAnzahl(qint16 &used, qint16 &max)
{
    ModemReply reply;
    for (int attempt = 0; attempt <= 1; ++attempt) {
        if (!ModemAbfrage(QStringLiteral("AT+CPMS?"), reply))
            return false;
        if (reply.answer.contains(QLatin1String("+CPMS:")))
            break;
        if (onStatus)
            onStatus(QStringLiteral(" 2. Versuch"));
        if (!pause(1))
            return false;
    }
    const auto counts = reply.ok() ? CpmsStorageCounts(reply.answer) : std::nullopt;
    if (counts)
        m_storages = CpmsStorages(reply.answer);
    if (!counts) {
        // Told once; the cycle ends here, after a deletion as well, instead of walking the
        // remaining slots of a modem that has stopped answering.
        m_failure = kShutOff;
        return stop(End::Told);
    }
    used = counts->used;
    max = counts->max;
    if (onStatus)
        onStatus(StorageStatusText(*counts));
    // The pause gives a modem time to settle after a deletion. Ending at the final result code
    // leaves it out: the OK to AT+CMGD comes once the slot is deleted (27.005 3.5.4), and the
    // counts just read are those after it. A modem busy with its SIM even so answers AT+CMGR with
    // an error, and the message stays for the next cycle; nothing is lost.
    if (m_task.fastAnswers())
        return !m_task.cancelled() || stop(End::Cancelled);
    return pause(1);
}

bool ReadCycle::prepare()
{
    if (m_prepared)
        return true;
    m_prepared = true;
    ModemReply reply;
    if (!ModemAbfrage(QStringLiteral("AT+CSCS?"), reply))
        return false;
    const QString before = CscsCharset(reply.answer);
    if (before != kGsm) {
        if (!ModemAbfrage(QStringLiteral("AT+CSCS=\"GSM\""), reply))
            return false;
        // A modem without the set shows plain texts in the one it has; the index names it
        // ("?" when the modem named none: such texts are shown as they came).
        m_charset = reply.ok() ? kGsm : before.isEmpty() ? QStringLiteral("?") : before;
        m_charsetBefore = reply.ok() ? before : QString();
    } else {
        m_charset = kGsm;
    }
    return ModemAbfrage(QStringLiteral("AT+CSDH=1"), reply);
}

void ReadCycle::restore()
{
    // Not to a modem that has stopped answering or gone: it would only wait for the time-out.
    if (m_charsetBefore.isEmpty() || (m_end != End::Done && m_end != End::Failed))
        return;
    ModemReply reply;
    ModemAbfrage(QStringLiteral("AT+CSCS=\"%1\"").arg(m_charsetBefore), reply);
    m_charsetBefore.clear();
}

bool ReadCycle::readSlot(int index, qint16 &used, qint16 &max)
{
    if (!prepare())
        return false;
    ModemReply reply;
    if (!ModemAbfrage(QStringLiteral("AT+CMGR=") + NumberText(index), reply, &CmgrAnswerEnd))
        return false;
    // A modem that stopped answering would only collect one time-out after another.
    if (reply.status == kStatusTimeout)
        return stop(End::Silent);
    // The answer as it came, so a lone LF or CR in a text is kept.
    const SlotMessage slot = CmgrSlotMessage(reply.raw);
    // An empty slot, an unread PDU, or a message the modem had not finished sending: it stays
    // on the SIM and the next cycle reads it again.
    if (slot.kind != SlotKind::Message)
        return true;
    ArchivedSms sms;
    const bool known = ParseSmsRecord(slot.record, sms);
    sms.charset = m_charset;
    FiledMessages &filed = smsrun::filedMessages(m_folder);
    // Filed by an earlier run that ended before the slot was deleted: only the deletion is due.
    if (!known || !filed.contains(sms)) {
        // The record must be on disk before the message may leave the SIM.
        if (!SMSDateiSchreiben(slot.record))
            return stop(End::Failed);
        if (known)
            filed.add(sms);
        if (onFiled)
            onFiled({slot.record, slot.header, slot.firstLine, sms, known});
    }
    if (!ModemAbfrage(QStringLiteral("AT+CMGD=") + NumberText(index), reply))
        return false;
    if (reply.status == kStatusTimeout)
        return stop(End::Silent);
    if (!reply.ok()) {
        // Left on the SIM, the message would come back with every cycle; it is safe on disk.
        const QString refusal = ErrorLine(reply.answer);
        m_failure = QStringLiteral("Die SMS auf Platz %1 ist in der SMS-Datei gesichert, aber das Modem hat das "
                                   "Löschen auf der SIM-Karte abgelehnt (%2).")
                        .arg(index)
                        .arg(refusal.isEmpty() ? QStringLiteral("Antwort ohne OK") : refusal);
        return stop(End::Failed);
    }
    return SMSAnzahl(used, max);
}

bool ReadCycle::SMSDateiSchreiben(const QString &record)
{
    if (smsrun::currentFile().isEmpty() && !NeueSMSDateiAnlegen())
        return false;
    return AppendSmsRecord(smsrun::currentFile(), record, &m_failure, m_charset);
}

bool ReadCycle::NeueSMSDateiAnlegen()
{
    const QString path = CreateSmsFile(m_folder, m_knownFiles, QDateTime::currentDateTime(), &m_failure);
    if (path.isEmpty())
        return false;
    smsrun::setCurrentFile(path);
    if (onFileCreated)
        onFileCreated(path);
    return true;
}
