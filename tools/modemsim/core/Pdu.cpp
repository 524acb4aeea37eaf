#include "core/Pdu.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

namespace modemsim::pdu {

namespace {

// 3GPP TS 23.038 default alphabet; position 0x1B is the escape to the extension table.
const char16_t kBasic[] = u"@\u00A3$\u00A5\u00E8\u00E9\u00F9\u00EC\u00F2\u00C7\n\u00D8\u00F8\r\u00C5\u00E5"
                          u"\u0394_\u03A6\u0393\u039B\u03A9\u03A0\u03A8\u03A3\u0398\u039E\x1B\u00C6\u00E6\u00DF\u00C9"
                          u" !\"#\u00A4%&'()*+,-./0123456789:;<=>?"
                          u"\u00A1ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00C4\u00D6\u00D1\u00DC\u00A7"
                          u"\u00BFabcdefghijklmnopqrstuvwxyz\u00E4\u00F6\u00F1\u00FC\u00E0";
static_assert(sizeof kBasic / sizeof kBasic[0] == 129, "the default alphabet has 128 characters");

struct Extension {
    quint8 code;
    char16_t ch;
};
const Extension kExtension[] = {
    {0x0A, u'\f'}, {0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
    {0x3C, u'['},  {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'}, {0x65, u'\u20AC'},
};

const QHash<char16_t, quint8> &basicCodes()
{
    static const QHash<char16_t, quint8> codes = [] {
        QHash<char16_t, quint8> h;
        for (int i = 0; i < 128; ++i) {
            if (i != 0x1B)
                h.insert(kBasic[i], quint8(i));
        }
        return h;
    }();
    return codes;
}

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

quint8 bcd(int value)
{
    return quint8(((value % 10) << 4) | ((value / 10) % 10));
}

// Address field: number of digits (or of semi-octets for an alphanumeric sender), type, value.
QByteArray address(const QByteArray &number, bool lengthInOctets)
{
    QByteArray digits = number;
    quint8 type = 0x81;
    if (digits.startsWith('+')) {
        digits.remove(0, 1);
        type = 0x91;
    }
    bool numeric = !digits.isEmpty();
    for (char c : digits) {
        if (!((c >= '0' && c <= '9') || c == '*' || c == '#'))
            numeric = false;
    }
    QByteArray out;
    if (!numeric) {
        // An alphanumeric sender such as a bank's name, in the 7-bit alphabet.
        QByteArray septets;
        if (!toGsm7(fromLine(number), &septets))
            septets = QByteArray(int(number.size()), '?');
        const QByteArray packed = pack7(septets);
        out += char(lengthInOctets ? packed.size() + 1 : (septets.size() * 7 + 3) / 4);
        out += char(0xD0);
        return out + packed;
    }
    out += char(lengthInOctets ? (digits.size() + 1) / 2 + 1 : digits.size());
    out += char(type);
    for (int i = 0; i < digits.size(); i += 2) {
        auto nibble = [](char c) { return c == '*' ? 0xA : c == '#' ? 0xB : c - '0'; };
        const int lo = nibble(digits[i]);
        const int hi = i + 1 < digits.size() ? nibble(digits[i + 1]) : 0xF;
        out += char((hi << 4) | lo);
    }
    return out;
}

// "yy/MM/dd,hh:mm:ss+zz" as seven swapped-BCD octets, the zone in quarter hours.
QByteArray timestamp(const QByteArray &ts)
{
    QByteArray out;
    if (ts.size() != 20) {
        return QByteArray(7, '\0');
    }
    for (int pos : {0, 3, 6, 9, 12, 15})
        out += char(bcd(ts.mid(pos, 2).toInt()));
    quint8 zone = bcd(ts.mid(18, 2).toInt());
    if (ts[17] == '-')
        zone |= 0x08;
    out += char(zone);
    return out;
}

// User data in the 7-bit alphabet when the text fits it, else in UCS-2.
void userData(const QByteArray &text, quint8 *dcs, quint8 *udl, QByteArray *ud)
{
    const QString unicode = fromLine(text);
    QByteArray septets;
    if (toGsm7(unicode, &septets)) {
        septets.truncate(160);
        *dcs = 0x00;
        *udl = quint8(septets.size());
        *ud = pack7(septets);
        return;
    }
    QByteArray ucs2;
    for (QChar c : unicode.left(70))
        ucs2 += char(c.unicode() >> 8) + QByteArray(1, char(c.unicode() & 0xFF));
    *dcs = 0x08;
    *udl = quint8(ucs2.size());
    *ud = ucs2;
}

} // namespace

QString fromLine(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
}

QByteArray toLine(const QString &text)
{
    QStringEncoder encoder("windows-1252");
    if (!encoder.isValid())
        return text.toLatin1();
    QByteArray out;
    // One character at a time, so that a character the code page lacks becomes one '?'.
    for (QChar c : text) {
        QStringEncoder one("windows-1252");
        const QByteArray b = one.encode(QString(c));
        out += (one.hasError() || b.size() != 1 || fromLine(b) != QString(c)) ? QByteArray("?") : b;
    }
    return out;
}

bool toGsm7(const QString &text, QByteArray *septets)
{
    septets->clear();
    const auto &codes = basicCodes();
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        const auto it = codes.constFind(c);
        if (it != codes.constEnd()) {
            *septets += char(*it);
            continue;
        }
        bool found = false;
        for (const Extension &e : kExtension) {
            if (e.ch == c) {
                *septets += char(0x1B);
                *septets += char(e.code);
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

QString fromGsm7(const QByteArray &septets)
{
    QString out;
    for (int i = 0; i < septets.size(); ++i) {
        const quint8 s = quint8(septets[i]) & 0x7F;
        if (s == 0x1B && i + 1 < septets.size()) {
            const quint8 e = quint8(septets[++i]) & 0x7F;
            QChar ch = QChar(kBasic[e]); // an unknown extension shows the basic character
            for (const Extension &x : kExtension) {
                if (x.code == e)
                    ch = QChar(x.ch);
            }
            out += ch;
        } else if (s == 0x1B) {
            out += QLatin1Char(' ');
        } else {
            out += QChar(kBasic[s]);
        }
    }
    return out;
}

QByteArray pack7(const QByteArray &septets, int fillBits)
{
    QByteArray out;
    quint32 acc = 0;
    int bits = fillBits;
    for (char s : septets) {
        acc |= quint32(quint8(s) & 0x7F) << bits;
        bits += 7;
        while (bits >= 8) {
            out += char(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        out += char(acc & 0xFF);
    return out;
}

QByteArray unpack7(const QByteArray &octets, int septets, int fillBits)
{
    QByteArray out;
    for (int n = 0; n < septets; ++n) {
        const int bit = fillBits + n * 7;
        const int byte = bit / 8;
        const int shift = bit % 8;
        if (byte >= octets.size())
            break;
        quint32 v = quint8(octets[byte]);
        if (byte + 1 < octets.size())
            v |= quint32(quint8(octets[byte + 1])) << 8;
        out += char((v >> shift) & 0x7F);
    }
    return out;
}

Encoded encode(const StoredSms &sms, const QByteArray &smsc)
{
    QByteArray sca;
    if (smsc.isEmpty())
        sca = QByteArray(1, '\0');
    else
        sca = address(smsc, true);
    quint8 dcs = 0;
    quint8 udl = 0;
    QByteArray ud;
    userData(sms.text, &dcs, &udl, &ud);

    QByteArray tpdu;
    if (sms.status.startsWith("REC")) {
        tpdu += char(0x04); // SMS-DELIVER, no more messages waiting
        tpdu += address(sms.number, false);
        tpdu += char(0x00);
        tpdu += char(dcs);
        tpdu += timestamp(sms.timestamp);
    } else {
        tpdu += char(0x01); // SMS-SUBMIT without validity period
        tpdu += char(0x00); // message reference, set when sent
        tpdu += address(sms.number, false);
        tpdu += char(0x00);
        tpdu += char(dcs);
    }
    tpdu += char(udl);
    tpdu += ud;
    return {(sca + tpdu).toHex().toUpper(), int(tpdu.size())};
}

bool decodeSubmit(const QByteArray &hex, int length, Submit *out)
{
    if (hex.size() % 2 != 0)
        return false;
    QByteArray b;
    for (int i = 0; i < hex.size(); i += 2) {
        const int hi = hexValue(hex[i]);
        const int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        b += char(hi * 16 + lo);
    }
    int i = 0;
    auto take = [&](int n, QByteArray *into = nullptr) {
        if (i + n > b.size())
            return false;
        if (into)
            *into = b.mid(i, n);
        i += n;
        return true;
    };
    auto octet = [&](int *v) {
        if (i >= b.size())
            return false;
        *v = quint8(b[i++]);
        return true;
    };
    int scaLength = 0;
    if (!octet(&scaLength) || !take(scaLength))
        return false;
    if (b.size() - i != length)
        return false;
    int fo = 0, mr = 0, daDigits = 0, daType = 0, pid = 0, dcs = 0, udl = 0;
    if (!octet(&fo) || (fo & 0x03) != 0x01 || !octet(&mr) || !octet(&daDigits) || !octet(&daType))
        return false;
    QByteArray da;
    if (!take((daDigits + 1) / 2, &da))
        return false;
    QByteArray number;
    if ((daType & 0x70) == 0x50) {
        number = toLine(fromGsm7(unpack7(da, daDigits * 4 / 7)));
    } else {
        static const char digitOf[] = "0123456789*#abc";
        for (int k = 0; k < daDigits; ++k) {
            const int nibble = (quint8(da[k / 2]) >> (k % 2 ? 4 : 0)) & 0x0F;
            if (nibble == 0x0F)
                break;
            number += digitOf[nibble];
        }
        if ((daType & 0x70) == 0x10)
            number.prepend('+');
    }
    if (!octet(&pid) || !octet(&dcs))
        return false;
    const int vpf = (fo >> 3) & 0x03;
    if (!take(vpf == 0 ? 0 : vpf == 2 ? 1 : 7) || !octet(&udl))
        return false;
    const QByteArray ud = b.mid(i);
    const bool header = fo & 0x40;

    // Data coding: general groups 00xx (bits 3..2 give the alphabet) and F0-FF (bit 2).
    int alphabet = 0; // 0 7-bit, 1 8-bit, 2 UCS-2
    if ((dcs & 0xC0) == 0x00)
        alphabet = (dcs >> 2) & 0x03;
    else if ((dcs & 0xF0) == 0xF0)
        alphabet = (dcs & 0x04) ? 1 : 0;
    else if ((dcs & 0xF0) == 0xE0)
        alphabet = 2;
    if (alphabet == 3)
        return false;

    QString text;
    if (alphabet == 0) {
        if ((udl * 7 + 7) / 8 > ud.size())
            return false;
        int skip = 0;
        int fill = 0;
        if (header && !ud.isEmpty()) {
            const int headerOctets = quint8(ud[0]) + 1;
            skip = (headerOctets * 8 + 6) / 7;
            fill = skip * 7 - headerOctets * 8;
            const QByteArray septets = unpack7(ud.mid(headerOctets), udl - skip, fill);
            text = fromGsm7(septets);
        } else {
            text = fromGsm7(unpack7(ud, udl));
        }
    } else {
        if (udl > ud.size())
            return false;
        QByteArray data = ud.left(udl);
        if (header && !data.isEmpty())
            data.remove(0, quint8(data[0]) + 1);
        if (alphabet == 1) {
            out->number = number;
            out->text = data;
            return true;
        }
        for (int k = 0; k + 1 < data.size(); k += 2)
            text += QChar(char16_t((quint8(data[k]) << 8) | quint8(data[k + 1])));
    }
    out->number = number;
    out->text = toLine(text);
    return true;
}

} // namespace modemsim::pdu
