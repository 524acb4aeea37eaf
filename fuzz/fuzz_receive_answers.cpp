// The read cycle's answer-cutting rules: storage counts, the slot read and its header line.
#include "FuzzSupport.h"

#include "sms/ReceiveAnswers.h"

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
