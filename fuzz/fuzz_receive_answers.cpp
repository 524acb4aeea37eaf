// The read cycle's answer-cutting rules: storage counts, the slot read and its header line.
#include "FuzzSupport.h"

#include "sms/ReceiveAnswers.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"

namespace {

void cutAnswer(const QString &answer)
{
    if (const auto counts = CpmsStorageCounts(answer)) {
        FUZZ_CHECK(counts->used >= 0 && counts->max >= 0);
        FUZZ_CHECK(StorageStatusText(*counts).startsWith(QStringLiteral("SMS vorhanden: ")));
    }
    const SlotMessage slot = CmgrSlotMessage(answer);
    if (slot.kind != SlotKind::Message) {
        FUZZ_CHECK(slot.record.isEmpty() && slot.header.isEmpty());
        return;
    }
    // The record filed on disk is the answer (less notices the modem put inside it) up to the
    // final OK line.
    FUZZ_CHECK(slot.record.size() <= answer.size());
    QStringView end(slot.record);
    while (end.endsWith(u'\n') || end.endsWith(u'\r'))
        end.chop(1);
    FUZZ_CHECK(end.endsWith(u"OK"));
    FUZZ_CHECK(slot.textStatus == 0 || slot.textStatus == 4 || slot.textStatus == 5);
    FUZZ_CHECK(!slot.firstLine.contains(u'"'));
    // What is filed reads back the same, through the file and its index, and decodes the same.
    ArchivedSms filed;
    if (ParseSmsRecord(slot.record, filed)) {
        filed.charset = QStringLiteral("GSM");
        const QByteArray head = SmsFileHeader(QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
        const QByteArray record = SmsRecordBytes(slot.record);
        const ArchiveFile back = ParseSmsFile(head + record, {{head.size(), record.size(), QStringLiteral("GSM")}}, 1);
        FUZZ_CHECK(back.messages.size() == 1);
        const ArchivedSms &read = back.messages.first();
        FUZZ_CHECK(read.number == filed.number && read.stamp == filed.stamp && read.text == filed.text);
        const DecodedSms a = DecodeArchived(filed);
        const DecodedSms b = DecodeArchived(read);
        FUZZ_CHECK(a.text == b.text && a.damaged == b.damaged && a.data == b.data);
    }
    const MessageHeader h = CmgrHeaderFields(slot.header);
    FUZZ_CHECK(h.time.size() <= 8);
    FUZZ_CHECK(h.date.size() <= 8);
    FUZZ_CHECK(!h.number.contains(u'"'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString raw = fuzz::lineText(data, size);
    cutAnswer(fuzz::terminalAnswer(raw));
    cutAnswer(raw);
    (void)CmgrHeaderFields(raw);
    return 0;
}
