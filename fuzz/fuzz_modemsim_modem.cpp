// The simulated modem as a whole: any bytes a host may write, in pieces, to a modem with
// messages and phonebook entries on its SIM, with and without a PIN.
#include "FuzzSupport.h"

#include "core/Modem.h"

using namespace modemsim;

namespace {

Modem loadedModem(const QByteArray &pin)
{
    Config cfg;
    cfg.pin = pin;
    cfg.storageSize = 10;
    cfg.ownNumber = "+4917099999999";
    Modem m(cfg);
    m.storeSms({"REC UNREAD", "+4917012345678", "24/05/01,12:30:05+08", "Hallo!\r\nZweite Zeile"});
    m.storeSms({"REC READ", "+4915198765432", "24/05/02,08:00:00+08", "Gr\xFC\xDF" "e \x80 und \"Zitat\""});
    m.writePhoneEntry("SM", {"+4917011111111", 145, "Anna"});
    m.writePhoneEntry("SM", {"0301234567", 129, "Meier;Ernst"});
    return m;
}

void feed(Modem &m, const uint8_t *data, size_t size)
{
    // The first byte sets the piece size, so a command may arrive split anywhere.
    const size_t piece = size == 0 ? 1 : 1 + data[0] % 64;
    for (size_t i = size == 0 ? 0 : 1; i < size; i += piece) {
        const QList<Chunk> out = m.receive(fuzz::bytes(data + i, std::min(piece, size - i)));
        for (const Chunk &c : out)
            FUZZ_CHECK(c.delayMs >= 0);
    }
    FUZZ_CHECK(m.storageUsed() >= 0 && m.storageUsed() <= m.storageSize());
    FUZZ_CHECK(m.phonebookUsed("SM") <= m.phonebookSize("SM"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (const QByteArray &pin : {QByteArray(), QByteArray("1234")}) {
        Modem m = loadedModem(pin);
        feed(m, data, size);
        for (const SentSms &sms : m.outbox())
            FUZZ_CHECK(!sms.text.contains('\x1A'));
    }
    return 0;
}
