#include "core/Pdu.h"

#include "core/Charsets.h"

namespace modemsim::pdu {

namespace {

constexpr quint8 kInternational = 0x91;
constexpr quint8 kUnknownType = 0x81;
constexpr quint8 kAlphanumeric = 0xD0;

// First octet bits (23.040 9.2.3).
constexpr quint8 kMoreMessagesNot = 0x04;  // TP-MMS: 1 = no more messages waiting
constexpr quint8 kReport = 0x20;           // TP-SRI (DELIVER), TP-SRR (SUBMIT)
constexpr quint8 kHeader = 0x40;           // TP-UDHI
constexpr quint8 kReplyPath = 0x80;        // TP-RP
constexpr quint8 kRejectDuplicates = 0x04; // TP-RD (SUBMIT)

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isNumeric(const QByteArray &digits)
{
    if (digits.isEmpty())
        return false;
    for (char c : digits) {
        if (!((c >= '0' && c <= '9') || c == '*' || c == '#'))
            return false;
    }
    return true;
}

int twoDigits(const QByteArray &s, int pos)
{
    const char a = s[pos];
    const char b = s[pos + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return -1;
    return (a - '0') * 10 + (b - '0');
}

// A value 0..99 as a swapped semi-octet pair: the units digit in the high nibble.
char semiOctets(int value)
{
    return char(((value % 10) << 4) | ((value / 10) % 10));
}

// A cursor over octets that fails once it runs past the end.
struct Reader {
    const QByteArray &b;
    int pos = 0;
    bool octet(int *v)
    {
        if (pos >= b.size())
            return false;
        *v = quint8(b[pos++]);
        return true;
    }
    bool take(int n, QByteArray *into = nullptr)
    {
        if (n < 0 || pos + n > b.size())
            return false;
        if (into)
            *into = b.mid(pos, n);
        pos += n;
        return true;
    }
};

QByteArray timestampOctets(const QByteArray &stamp)
{
    QByteArray octets;
    return encodeTimestamp(stamp, &octets) ? octets : QByteArray(7, '\0');
}

bool readUserData(Reader &r, quint8 fo, int dcs, coding::UserData *ud)
{
    int udl = 0;
    if (!r.octet(&udl))
        return false;
    return coding::decodeUserData(quint8(dcs), fo & kHeader, udl, r.b.mid(r.pos), ud);
}

} // namespace

int typeOfNumber(const QByteArray &number)
{
    if (number.startsWith('+') && isNumeric(number.mid(1)))
        return kInternational;
    return isNumeric(number) ? kUnknownType : kAlphanumeric;
}

QByteArray encodeAddress(const QByteArray &number, bool lengthInOctets)
{
    const int type = typeOfNumber(number);
    QByteArray out;
    if (type == kAlphanumeric) {
        // An alphanumeric sender such as a bank's name, in the 7-bit alphabet.
        QByteArray septets;
        if (!coding::toGsm7(te::fromLine(number), &septets))
            septets = QByteArray(int(number.size()), '?');
        const QByteArray packed = coding::pack7(septets);
        out += char(lengthInOctets ? packed.size() + 1 : (septets.size() * 7 + 3) / 4);
        out += char(kAlphanumeric);
        return out + packed;
    }
    const QByteArray digits = type == kInternational ? number.mid(1) : number;
    out += char(lengthInOctets ? (digits.size() + 1) / 2 + 1 : digits.size());
    out += char(type);
    auto nibble = [](char c) { return c == '*' ? 0xA : c == '#' ? 0xB : c - '0'; };
    for (int i = 0; i < digits.size(); i += 2) {
        const int lo = nibble(digits[i]);
        const int hi = i + 1 < digits.size() ? nibble(digits[i + 1]) : 0xF;
        out += char((hi << 4) | lo);
    }
    return out;
}

bool decodeAddress(const QByteArray &octets, int *pos, bool lengthInOctets, QByteArray *number)
{
    Reader r{octets, *pos};
    int length = 0;
    int type = 0;
    if (!r.octet(&length))
        return false;
    if (lengthInOctets && length == 0) {
        number->clear();
        *pos = r.pos;
        return true;
    }
    if (!r.octet(&type))
        return false;
    const int valueOctets = lengthInOctets ? length - 1 : (length + 1) / 2;
    QByteArray value;
    if (!r.take(valueOctets, &value))
        return false;
    number->clear();
    if ((type & 0x70) == 0x50) {
        const int semi = lengthInOctets ? valueOctets * 2 : length;
        *number = te::toLine(coding::fromGsm7(coding::unpack7(value, semi * 4 / 7)));
    } else {
        static const char digitOf[] = "0123456789*#abc";
        const int digits = lengthInOctets ? valueOctets * 2 : length;
        for (int k = 0; k < digits; ++k) {
            const int n = (quint8(value[k / 2]) >> (k % 2 ? 4 : 0)) & 0x0F;
            if (n == 0x0F)
                break;
            *number += digitOf[n];
        }
        if ((type & 0x70) == 0x10)
            number->prepend('+');
    }
    *pos = r.pos;
    return true;
}

bool encodeTimestamp(const QByteArray &stamp, QByteArray *octets)
{
    // yy/MM/dd,hh:mm:ss+zz
    static const char pattern[] = "99/99/99,99:99:99s99";
    if (stamp.size() != int(sizeof pattern) - 1)
        return false;
    for (int i = 0; i < stamp.size(); ++i) {
        const char p = pattern[i];
        const char c = stamp[i];
        if (p == '9' ? !(c >= '0' && c <= '9') : p == 's' ? !(c == '+' || c == '-') : c != p)
            return false;
    }
    octets->clear();
    for (int pos : {0, 3, 6, 9, 12, 15})
        *octets += semiOctets(twoDigits(stamp, pos));
    // The zone in quarter hours; its sign is bit 3 of the octet (the tens semi-octet's top bit).
    char zone = semiOctets(twoDigits(stamp, 18) % 80);
    if (stamp[17] == '-')
        zone = char(zone | 0x08);
    *octets += zone;
    return true;
}

bool decodeTimestamp(const QByteArray &octets, QByteArray *stamp)
{
    if (octets.size() != 7)
        return false;
    auto pair = [](quint8 o) { return QByteArray(1, char('0' + (o & 0x0F) % 10)) + char('0' + (o >> 4) % 10); };
    QByteArray s;
    const char sep[] = "//,::";
    for (int i = 0; i < 6; ++i) {
        s += pair(quint8(octets[i]));
        if (i < 5)
            s += sep[i];
    }
    const quint8 zone = quint8(octets[6]);
    s += (zone & 0x08) ? '-' : '+';
    s += pair(quint8(zone & 0xF7));
    *stamp = s;
    return true;
}

QByteArray encodeDeliver(const Deliver &d)
{
    quint8 fo = 0x00; // TP-MTI 00
    if (!d.moreMessages)
        fo |= kMoreMessagesNot;
    if (d.reportIndication)
        fo |= kReport;
    if (d.ud.hasHeader())
        fo |= kHeader;
    if (d.replyPath)
        fo |= kReplyPath;
    QByteArray tpdu(1, char(fo));
    tpdu += encodeAddress(d.originator);
    tpdu += char(d.pid);
    tpdu += char(d.ud.dcs);
    tpdu += timestampOctets(d.timestamp);
    tpdu += char(d.ud.length());
    tpdu += d.ud.octets();
    return tpdu;
}

bool decodeDeliver(const QByteArray &tpdu, Deliver *out)
{
    Reader r{tpdu};
    int fo = 0, pid = 0, dcs = 0;
    if (!r.octet(&fo) || (fo & 0x03) != 0x00)
        return false;
    Deliver d;
    d.moreMessages = !(fo & kMoreMessagesNot);
    d.reportIndication = fo & kReport;
    d.replyPath = fo & kReplyPath;
    QByteArray stamp;
    if (!decodeAddress(tpdu, &r.pos, false, &d.originator) || !r.octet(&pid) || !r.octet(&dcs) || !r.take(7, &stamp) ||
        !decodeTimestamp(stamp, &d.timestamp) || !readUserData(r, quint8(fo), dcs, &d.ud)) {
        return false;
    }
    d.pid = quint8(pid);
    *out = d;
    return true;
}

QByteArray encodeSubmit(const Submit &s)
{
    quint8 fo = 0x01; // TP-MTI 01
    if (s.rejectDuplicates)
        fo |= kRejectDuplicates;
    fo |= quint8((s.validityFormat & 0x03) << 3);
    if (s.reportRequest)
        fo |= kReport;
    if (s.ud.hasHeader())
        fo |= kHeader;
    if (s.replyPath)
        fo |= kReplyPath;
    QByteArray tpdu(1, char(fo));
    tpdu += char(s.reference);
    tpdu += encodeAddress(s.destination);
    tpdu += char(s.pid);
    tpdu += char(s.ud.dcs);
    const int vpLength = s.validityFormat == 0 ? 0 : s.validityFormat == 2 ? 1 : 7;
    tpdu += s.validity.left(vpLength).leftJustified(vpLength, '\0');
    tpdu += char(s.ud.length());
    tpdu += s.ud.octets();
    return tpdu;
}

bool decodeSubmit(const QByteArray &tpdu, Submit *out)
{
    Reader r{tpdu};
    int fo = 0, mr = 0, pid = 0, dcs = 0;
    if (!r.octet(&fo) || (fo & 0x03) != 0x01 || !r.octet(&mr))
        return false;
    Submit s;
    s.reference = mr;
    s.rejectDuplicates = fo & kRejectDuplicates;
    s.validityFormat = (fo >> 3) & 0x03;
    s.reportRequest = fo & kReport;
    s.replyPath = fo & kReplyPath;
    const int vpLength = s.validityFormat == 0 ? 0 : s.validityFormat == 2 ? 1 : 7;
    if (!decodeAddress(tpdu, &r.pos, false, &s.destination) || !r.octet(&pid) || !r.octet(&dcs) ||
        !r.take(vpLength, &s.validity) || !readUserData(r, quint8(fo), dcs, &s.ud)) {
        return false;
    }
    s.pid = quint8(pid);
    *out = s;
    return true;
}

QByteArray encodeStatusReport(const StatusReport &rep)
{
    quint8 fo = 0x02; // TP-MTI 10, TP-SRQ 0: the report of an SMS-SUBMIT
    if (!rep.moreMessages)
        fo |= kMoreMessagesNot;
    QByteArray tpdu(1, char(fo));
    tpdu += char(rep.reference);
    tpdu += encodeAddress(rep.recipient);
    tpdu += timestampOctets(rep.timestamp);
    tpdu += timestampOctets(rep.discharge);
    tpdu += char(rep.status);
    return tpdu;
}

bool decodeStatusReport(const QByteArray &tpdu, StatusReport *out)
{
    Reader r{tpdu};
    int fo = 0, mr = 0, st = 0;
    if (!r.octet(&fo) || (fo & 0x03) != 0x02 || !r.octet(&mr))
        return false;
    StatusReport rep;
    rep.reference = mr;
    rep.moreMessages = !(fo & kMoreMessagesNot);
    QByteArray scts, dt;
    if (!decodeAddress(tpdu, &r.pos, false, &rep.recipient) || !r.take(7, &scts) || !r.take(7, &dt) || !r.octet(&st) ||
        !decodeTimestamp(scts, &rep.timestamp) || !decodeTimestamp(dt, &rep.discharge)) {
        return false;
    }
    // TP-PI and what it announces may follow; nothing here needs them.
    rep.status = quint8(st);
    *out = rep;
    return true;
}

int messageType(const QByteArray &tpdu)
{
    return tpdu.isEmpty() ? -1 : quint8(tpdu[0]) & 0x03;
}

QByteArray withCentre(const QByteArray &smsc, const QByteArray &tpdu)
{
    return (smsc.isEmpty() ? QByteArray(1, '\0') : encodeAddress(smsc, true)) + tpdu;
}

bool splitCentre(const QByteArray &pdu, QByteArray *smsc, QByteArray *tpdu)
{
    int pos = 0;
    if (!decodeAddress(pdu, &pos, true, smsc))
        return false;
    *tpdu = pdu.mid(pos);
    return true;
}

QByteArray toHex(const QByteArray &octets)
{
    return octets.toHex().toUpper();
}

bool fromHex(const QByteArray &hex, QByteArray *octets)
{
    if (hex.size() % 2 != 0)
        return false;
    octets->clear();
    for (int i = 0; i < hex.size(); i += 2) {
        const int hi = hexValue(hex[i]);
        const int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        *octets += char(hi * 16 + lo);
    }
    return true;
}

} // namespace modemsim::pdu
