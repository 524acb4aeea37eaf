// The simulated modem's message coder. What it encodes, its decoder reads back as the same text:
// any text, in each alphabet and reference form, part by part, through SMS-DELIVER and
// SMS-SUBMIT. No PDU, however broken, upsets the decoders, and the host's character sets give
// back what they took.
#include "FuzzSupport.h"

#include "core/Charsets.h"
#include "core/Pdu.h"
#include "core/SmsCoding.h"

using namespace modemsim;
using coding::Alphabet;

namespace {

bool fits(const QString &text, Alphabet a)
{
    switch (a) {
    case Alphabet::Gsm7:
        return coding::gsm7Length(text) >= 0;
    case Alphabet::Ucs2:
        return true;
    case Alphabet::Data8:
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    }
    return false;
}

void roundTrip(const QString &text, Alphabet alphabet, int reference, bool wide)
{
    const QList<coding::UserData> parts = coding::split(text, alphabet, reference, wide);
    FUZZ_CHECK(parts.isEmpty() || fits(text, alphabet));
    FUZZ_CHECK(parts.size() <= 255);
    QString joined;
    for (int i = 0; i < parts.size(); ++i) {
        const coding::UserData &ud = parts[i];
        FUZZ_CHECK(ud.length() <= (alphabet == Alphabet::Gsm7 ? 160 : 140));
        const pdu::Deliver d{"+4917012345", 0, "24/05/01,12:30:05+08", ud};
        pdu::Deliver back;
        FUZZ_CHECK(pdu::decodeDeliver(pdu::encodeDeliver(d), &back) && back == d);
        pdu::Submit s;
        s.reference = i;
        s.destination = "0171";
        s.ud = ud;
        s.reportRequest = true;
        pdu::Submit sback;
        FUZZ_CHECK(pdu::decodeSubmit(pdu::encodeSubmit(s), &sback) && sback == s);
        if (parts.size() > 1) {
            const auto c = coding::findConcat(back.ud.header);
            FUZZ_CHECK(c && c->sequence == i + 1 && c->total == parts.size() && c->wide == wide);
        }
        joined += coding::textOf(back.ud);
    }
    if (!parts.isEmpty())
        FUZZ_CHECK(joined == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray raw = fuzz::bytes(data, size);
    const QString text = fuzz::anyText(data, size);

    for (Alphabet a : {Alphabet::Gsm7, Alphabet::Ucs2, Alphabet::Data8}) {
        for (bool wide : {false, true})
            roundTrip(text, a, int(size) * 7919, wide);
    }
    // Latin-1 text, so that the 7-bit alphabet and 8-bit data get texts they can carry.
    const QString latin = QString::fromLatin1(raw);
    roundTrip(latin, Alphabet::Gsm7, 1, false);
    roundTrip(latin, Alphabet::Data8, 2, true);
    roundTrip(latin, coding::alphabetFor(latin), 3, false);

    // Septets packed behind any fill and unpacked are what they were.
    QByteArray septets = raw;
    for (char &c : septets)
        c = char(c & 0x7F);
    for (int fill = 0; fill < 7; ++fill)
        FUZZ_CHECK(coding::unpack7(coding::pack7(septets, fill), int(septets.size()), fill) == septets);

    // The host's character sets.
    for (te::Charset cs : {te::Charset::Gsm, te::Charset::Ira, te::Charset::Latin1, te::Charset::Pc437,
                           te::Charset::Ucs2, te::Charset::Hex}) {
        QString back;
        const bool ok = te::fromTe(te::toTe(latin, cs), cs, &back);
        FUZZ_CHECK(ok);
        if (cs == te::Charset::Latin1 ||
            ((cs == te::Charset::Gsm || cs == te::Charset::Hex) && fits(latin, Alphabet::Gsm7)))
            FUZZ_CHECK(back == latin);
        QString any;
        (void)te::fromTe(raw, cs, &any);
    }
    QString back;
    FUZZ_CHECK(te::fromTe(te::toTe(text, te::Charset::Ucs2), te::Charset::Ucs2, &back) && back == text);

    // Broken PDUs.
    pdu::Deliver d;
    if (pdu::decodeDeliver(raw, &d))
        (void)coding::textOf(d.ud);
    pdu::Submit s;
    if (pdu::decodeSubmit(raw, &s))
        (void)coding::findConcat(s.ud.header);
    pdu::StatusReport r;
    (void)pdu::decodeStatusReport(raw, &r);
    QByteArray smsc, tpdu;
    if (pdu::splitCentre(raw, &smsc, &tpdu))
        FUZZ_CHECK(tpdu.size() < raw.size());
    if (size >= 3) {
        coding::UserData ud;
        // Without a header what is read has the length it was said to have. (A header of no
        // elements, UDHL 00, leaves none to show.)
        if (coding::decodeUserData(data[0], data[1] & 1, data[2], raw.mid(3), &ud) && !(data[1] & 1))
            FUZZ_CHECK(ud.length() == data[2]);
    }
    (void)coding::findConcat(raw);
    return 0;
}
