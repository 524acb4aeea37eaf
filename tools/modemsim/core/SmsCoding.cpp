#include "core/SmsCoding.h"

#include <QHash>

namespace modemsim::coding {

namespace {

// 3GPP TS 23.038 default alphabet; position 0x1B is the escape to the extension table.
const char16_t kBasic[] = u"@\u00A3$\u00A5\u00E8\u00E9\u00F9\u00EC\u00F2\u00C7\n\u00D8\u00F8\r\u00C5\u00E5"
                          u"\u0394_\u03A6\u0393\u039B\u03A9\u03A0\u03A8\u03A3\u0398\u039E\x1B\u00C6\u00E6\u00DF\u00C9"
                          u" !\"#\u00A4%&'()*+,-./0123456789:;<=>?"
                          u"\u00A1ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00C4\u00D6\u00D1\u00DC\u00A7"
                          u"\u00BFabcdefghijklmnopqrstuvwxyz\u00E4\u00F6\u00F1\u00FC\u00E0";
static_assert(sizeof kBasic / sizeof kBasic[0] == 129, "the default alphabet has 128 characters");

constexpr char kEscape = 0x1B;

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
            if (i != kEscape)
                h.insert(kBasic[i], quint8(i));
        }
        return h;
    }();
    return codes;
}

// Octets one message carries, and what a concatenation header takes of them (its length octet
// and the element: 00 03 ref total seq, or 08 04 ref ref total seq).
constexpr int kMaxOctets = 140;
constexpr int kMaxSeptets = 160;
int headerOctets(bool wide)
{
    return wide ? 7 : 6;
}

// Septets a header of this many octets (its length octet included) takes with its fill bits.
int headerSeptets(int octets)
{
    return (octets * 8 + 6) / 7;
}

// Cuts units (septets, UTF-16 code units or octets) into pieces of at most `capacity`, never
// between the two units of one character.
QList<QByteArray> cut(const QByteArray &units, int unitSize, int capacity, bool (*joinsNext)(const QByteArray &, int))
{
    QList<QByteArray> pieces;
    const int count = int(units.size()) / unitSize;
    int start = 0;
    while (start < count) {
        int end = qMin(count, start + capacity);
        if (end < count && end - 1 > start && joinsNext(units, end - 1))
            --end;
        pieces << units.mid(start * unitSize, (end - start) * unitSize);
        start = end;
    }
    return pieces;
}

bool escapeJoins(const QByteArray &septets, int i)
{
    // An escape is the first of two septets unless it is itself the second half of a pair.
    int run = 0;
    for (int k = i; k >= 0 && septets[k] == kEscape; --k)
        ++run;
    return run % 2 == 1;
}

bool highSurrogateJoins(const QByteArray &ucs2, int i)
{
    return QChar::isHighSurrogate(char16_t((quint8(ucs2[2 * i]) << 8) | quint8(ucs2[2 * i + 1])));
}

bool neverJoins(const QByteArray &, int)
{
    return false;
}

} // namespace

quint8 dcsOf(Alphabet alphabet)
{
    switch (alphabet) {
    case Alphabet::Gsm7:
        return 0x00;
    case Alphabet::Data8:
        return 0x04;
    case Alphabet::Ucs2:
        return 0x08;
    }
    return 0x00;
}

Alphabet alphabetOf(quint8 dcs)
{
    const int group = dcs >> 4;
    if (group <= 0x7) {
        // General data coding and automatic deletion: bit 5 compressed, bits 3..2 the alphabet.
        if (dcs & 0x20)
            return Alphabet::Data8;
        switch ((dcs >> 2) & 0x03) {
        case 0:
            return Alphabet::Gsm7;
        case 2:
            return Alphabet::Ucs2;
        default:
            return Alphabet::Data8;
        }
    }
    if (group == 0xE)
        return Alphabet::Ucs2; // message waiting, store, UCS2
    if (group == 0xF)
        return (dcs & 0x04) ? Alphabet::Data8 : Alphabet::Gsm7;
    // Message waiting groups C and D and the reserved groups 8 to B: the default alphabet.
    return Alphabet::Gsm7;
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
                *septets += kEscape;
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
        if (s != kEscape) {
            out += QChar(kBasic[s]);
            continue;
        }
        if (i + 1 >= septets.size()) {
            out += QLatin1Char(' '); // a lone escape at the end
            continue;
        }
        const quint8 e = quint8(septets[++i]) & 0x7F;
        // A code the extension table lacks shows as its character of the basic table; a second
        // escape (a further table) as a space.
        QChar ch = e == kEscape ? QLatin1Char(' ') : QChar(kBasic[e]);
        for (const Extension &x : kExtension) {
            if (x.code == e)
                ch = QChar(x.ch);
        }
        out += ch;
    }
    return out;
}

int gsm7Length(const QString &text)
{
    QByteArray septets;
    return toGsm7(text, &septets) ? int(septets.size()) : -1;
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

QByteArray toUcs2(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        out += char(c.unicode() >> 8);
        out += char(c.unicode() & 0xFF);
    }
    return out;
}

QString fromUcs2(const QByteArray &octets)
{
    QString out;
    for (int i = 0; i + 1 < octets.size(); i += 2)
        out += QChar(char16_t((quint8(octets[i]) << 8) | quint8(octets[i + 1])));
    return out;
}

QByteArray concatElement(const Concat &c)
{
    QByteArray e;
    if (c.wide) {
        e += char(0x08);
        e += char(0x04);
        e += char((c.reference >> 8) & 0xFF);
        e += char(c.reference & 0xFF);
    } else {
        e += char(0x00);
        e += char(0x03);
        e += char(c.reference & 0xFF);
    }
    e += char(c.total);
    e += char(c.sequence);
    return e;
}

std::optional<Concat> findConcat(const QByteArray &header)
{
    std::optional<Concat> found;
    for (int i = 0; i < header.size();) {
        if (i + 1 >= header.size())
            return std::nullopt;
        const quint8 iei = quint8(header[i]);
        const int len = quint8(header[i + 1]);
        if (i + 2 + len > header.size())
            return std::nullopt;
        const QByteArray data = header.mid(i + 2, len);
        if (iei == 0x00 && len == 3)
            found = Concat{quint8(data[0]), quint8(data[1]), quint8(data[2]), false};
        else if (iei == 0x08 && len == 4)
            found = Concat{(quint8(data[0]) << 8) | quint8(data[1]), quint8(data[2]), quint8(data[3]), true};
        i += 2 + len;
    }
    if (found && (found->total == 0 || found->sequence == 0))
        return std::nullopt;
    return found;
}

int UserData::length() const
{
    const int head = header.isEmpty() ? 0 : 1 + int(header.size());
    if (alphabet() == Alphabet::Gsm7)
        return (head ? headerSeptets(head) : 0) + int(body.size());
    return head + int(body.size());
}

QByteArray UserData::octets() const
{
    QByteArray out;
    int fill = 0;
    if (!header.isEmpty()) {
        out += char(header.size());
        out += header;
        fill = headerSeptets(int(out.size())) * 7 - int(out.size()) * 8;
    }
    if (alphabet() == Alphabet::Gsm7)
        out += pack7(body, fill);
    else
        out += body;
    return out;
}

bool decodeUserData(quint8 dcs, bool headerIndicated, int length, const QByteArray &octets, UserData *out)
{
    UserData ud;
    ud.dcs = dcs;
    const bool septets = alphabetOf(dcs) == Alphabet::Gsm7;
    if (length < 0 || length > (septets ? kMaxSeptets : kMaxOctets))
        return false;
    const int used = septets ? (length * 7 + 7) / 8 : length;
    if (used > octets.size())
        return false;
    int head = 0;
    if (headerIndicated) {
        if (used < 1)
            return false;
        head = 1 + quint8(octets[0]);
        if (head > used)
            return false;
        ud.header = octets.mid(1, head - 1);
    }
    if (septets) {
        const int skip = head ? headerSeptets(head) : 0;
        if (skip > length)
            return false;
        const int fill = skip * 7 - head * 8;
        ud.body = unpack7(octets.mid(head), length - skip, fill);
    } else {
        ud.body = octets.mid(head, length - head);
    }
    *out = ud;
    return true;
}

QString textOf(const UserData &ud)
{
    switch (ud.alphabet()) {
    case Alphabet::Gsm7:
        return fromGsm7(ud.body);
    case Alphabet::Ucs2:
        return fromUcs2(ud.body);
    case Alphabet::Data8:
        return QString::fromLatin1(ud.body);
    }
    return {};
}

Alphabet alphabetFor(const QString &text)
{
    return gsm7Length(text) >= 0 ? Alphabet::Gsm7 : Alphabet::Ucs2;
}

QList<UserData> split(const QString &text, Alphabet alphabet, int reference, bool wideReference)
{
    QByteArray units;
    int unitSize = 1;
    int single = kMaxOctets;
    int capacity = kMaxOctets - headerOctets(wideReference);
    bool (*joins)(const QByteArray &, int) = neverJoins;
    switch (alphabet) {
    case Alphabet::Gsm7:
        if (!toGsm7(text, &units))
            return {};
        single = kMaxSeptets;
        capacity = kMaxSeptets - headerSeptets(headerOctets(wideReference));
        joins = escapeJoins;
        break;
    case Alphabet::Ucs2:
        units = toUcs2(text);
        unitSize = 2;
        single = kMaxOctets / 2;
        capacity = (kMaxOctets - headerOctets(wideReference)) / 2;
        joins = highSurrogateJoins;
        break;
    case Alphabet::Data8:
        for (QChar c : text) {
            if (c.unicode() > 0xFF)
                return {};
            units += char(c.unicode());
        }
        break;
    }
    const quint8 dcs = dcsOf(alphabet);
    if (units.size() / unitSize <= single)
        return {UserData{dcs, {}, units}};
    const QList<QByteArray> pieces = cut(units, unitSize, capacity, joins);
    if (pieces.size() > 255)
        return {};
    QList<UserData> parts;
    const int ref = reference & (wideReference ? 0xFFFF : 0xFF);
    for (int i = 0; i < pieces.size(); ++i) {
        const Concat c{ref, int(pieces.size()), i + 1, wideReference};
        parts << UserData{dcs, concatElement(c), pieces[i]};
    }
    return parts;
}

} // namespace modemsim::coding
