// The simulated modem's files: preloaded messages, phonebook entries, injected events, and the
// field escapes they share.
#include "FuzzSupport.h"

#include "core/DataFiles.h"

using namespace modemsim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file = fuzz::bytes(data, size);

    QList<MessageRecord> messages;
    QString error;
    if (parseMessages(file, &messages, &error)) {
        Modem m;
        if (storeMessages(messages, m, &error))
            FUZZ_CHECK(m.storageUsed() == messages.size());
        else
            FUZZ_CHECK(m.storageUsed() == 0);
    } else {
        FUZZ_CHECK(!error.isEmpty());
    }

    QList<PhoneRecord> entries;
    if (parsePhonebook(file, &entries, &error)) {
        Modem m;
        if (storePhonebook(entries, m, &error))
            FUZZ_CHECK(m.phonebookUsed("SM") == entries.size());
        else
            FUZZ_CHECK(m.phonebookUsed("SM") == 0);
    }

    QList<ControlRecord> control;
    (void)parseControl(file, &control, &error);

    // Escaped and unescaped again, a field is what it was; the escaped form is one plain line.
    const QByteArray escaped = escapeField(file);
    FUZZ_CHECK(!escaped.contains('\t') && !escaped.contains('\r') && !escaped.contains('\n'));
    QByteArray back;
    FUZZ_CHECK(unescapeField(escaped, &back) && back == file);
    const QByteArray transcript = escapeField(file, Escape::Transcript);
    for (char c : transcript)
        FUZZ_CHECK(c >= 0x20 && c < 0x7F);
    QByteArray unused;
    (void)unescapeField(file, &unused);

    (void)isTimestamp(file);
    FUZZ_CHECK(outboxLine({file, file, 1}).endsWith('\n'));
    return 0;
}
