// The simulated modem with messages of today, as each profile: any bytes a host may write, in
// pieces, with the modem's clock moving between them. Whatever the host asks, the storages stay
// within their sizes, and every PDU the modem shows decodes to a message of its stated length.
#include "FuzzSupport.h"

#include "core/Modem.h"
#include "core/Pdu.h"
#include "core/Profiles.h"

#include <QRegularExpression>

using namespace modemsim;

namespace {

Modem loadedModem(const QByteArray &profile, const QByteArray &pin)
{
    Config cfg;
    cfg.profile = profile;
    cfg.pin = pin;
    cfg.storageSize = 6;
    cfg.meStorageSize = 6;
    cfg.reportStorageSize = 2;
    cfg.reportDelayMs = 50;
    cfg.networkTime = "24/05/01,12:30:05+08";
    Modem m(cfg);
    Incoming long_;
    long_.number = "+4917012345678";
    long_.text = QStringLiteral("Grüße 😀 „Привет“ ") + QString(80, u'ж');
    long_.parts = {2, 1};
    m.preload(long_);
    Incoming gsm;
    gsm.number = "Bank";
    gsm.text = QStringLiteral("Preis 5 € [netto] ") + QString(150, u'x');
    gsm.wideReference = true;
    m.preload(gsm);
    m.storeSms({"REC READ", "+4915198765432", "24/05/02,08:00:00+08",
                "Gr\xFC\xDF"
                "e"});
    return m;
}

// Every PDU line after a +CMGR/+CMGL/+CMT/+CDS head in PDU mode is a whole TPDU of the stated
// length behind a service-centre address, and of a type the modem keeps.
void checkPdus(const QByteArray &out)
{
    static const QRegularExpression head(
        QStringLiteral(R"(\+(?:CMG[RL]: (?:\d+,)?\d,|CMT: |CDS: ),?(\d+)\r\n([0-9A-F]+)\r\n)"));
    auto it = head.globalMatch(QString::fromLatin1(out));
    while (it.hasNext()) {
        const auto m = it.next();
        QByteArray octets, smsc, tpdu;
        FUZZ_CHECK(pdu::fromHex(m.captured(2).toLatin1(), &octets));
        FUZZ_CHECK(pdu::splitCentre(octets, &smsc, &tpdu));
        FUZZ_CHECK(tpdu.size() == m.captured(1).toInt());
        pdu::Deliver d;
        pdu::Submit s;
        pdu::StatusReport r;
        switch (pdu::messageType(tpdu)) {
        case 0:
            FUZZ_CHECK(pdu::decodeDeliver(tpdu, &d));
            break;
        case 1:
            FUZZ_CHECK(pdu::decodeSubmit(tpdu, &s));
            break;
        case 2:
            FUZZ_CHECK(pdu::decodeStatusReport(tpdu, &r));
            break;
        default:
            FUZZ_CHECK(false);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the profile (or none) and the piece size.
    const QList<Profile> &all = profiles();
    const int which = data[0] % (all.size() + 1);
    const QByteArray profile = which == 0 ? QByteArray() : QByteArray(all[which - 1].name);
    const size_t piece = 1 + (data[0] >> 3) % 32;
    for (const QByteArray &pin : {QByteArray(), QByteArray("1234")}) {
        Modem m = loadedModem(profile, pin);
        QByteArray out;
        for (const Chunk &c : m.powerOn())
            out += c.bytes;
        qint64 clock = 0;
        for (size_t i = 1; i < size; i += piece) {
            for (const Chunk &c : m.receive(fuzz::bytes(data + i, std::min(piece, size - i)))) {
                FUZZ_CHECK(c.delayMs >= 0);
                out += c.bytes;
            }
            clock += 40;
            for (const Chunk &c : m.advanceTo(clock))
                out += c.bytes;
        }
        for (const char *mem : {"SM", "ME", "SR"})
            FUZZ_CHECK(m.storageUsed(mem) >= 0 && m.storageUsed(mem) <= m.storageSize(mem));
        for (const Arrival &a : m.arrivals())
            FUZZ_CHECK(a.parts >= 0 && (a.parts > 0 || a.text.isEmpty()));
        checkPdus(out);
    }
    return 0;
}
