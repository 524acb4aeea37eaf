#include "sms/OutgoingText.h"

#include "sms/SmsText.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kEscape = 0x1B;
constexpr qint16 kNone = -1;
constexpr qint16 kExtended = 0x100; // marks a code of the extension table

// Every UTF-16 unit to its septet (0..127), kExtended | code, or kNone; made once from the
// decoder's tables, so that what is coded here is what the program reads back.
const std::array<qint16, 0x10000> &septetTable()
{
    static const std::array<qint16, 0x10000> table = [] {
        std::array<qint16, 0x10000> t{};
        t.fill(kNone);
        for (int s = 0; s < 128; ++s) {
            if (s != kEscape)
                t[GsmDefaultCharacter(s)] = qint16(s);
        }
        for (int s = 0; s < 128; ++s) {
            if (const char16_t c = GsmExtensionCharacter(s); c != 0 && t[c] == kNone)
                t[c] = qint16(kExtended | s);
        }
        return t;
    }();
    return table;
}

// The seven letters the substitution table puts into text-mode messages.
bool substitutedLetter(QChar c)
{
    return QStringView(u"ÄÖÜäöüß").contains(c);
}

bool plainForTextMode(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 0x20 && u <= 0x7E && u != u'`') || u == u'\r' || u == u'\n' || substitutedLetter(c);
        if (!plain)
            return false;
    }
    return true;
}

QString trimBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

// The units a piece of a UCS2 text takes from `at`: a surrogate pair goes whole.
int ucs2Step(QStringView text, qsizetype at)
{
    return text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
}

QString partsWord(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 Teil") : QStringLiteral("%1 Teile").arg(n);
}

QString codingWord(SmsCoding coding)
{
    return coding == SmsCoding::Gsm7 ? QStringLiteral("GSM") : QStringLiteral("Unicode");
}

} // namespace

int GsmSeptetsOf(QChar c)
{
    const qint16 s = septetTable()[c.unicode()];
    return s == kNone ? 0 : (s & kExtended) ? 2 : 1;
}

bool FitsGsmAlphabet(QStringView text)
{
    for (const QChar c : text) {
        if (GsmSeptetsOf(c) == 0)
            return false;
    }
    return true;
}

SmsCoding ChooseCoding(QStringView text)
{
    return FitsGsmAlphabet(text) ? SmsCoding::Gsm7 : SmsCoding::Ucs2;
}

int CodedLength(QStringView text, SmsCoding coding)
{
    if (coding == SmsCoding::Ucs2)
        return int(text.size());
    int n = 0;
    for (const QChar c : text)
        n += GsmSeptetsOf(c);
    return n;
}

QByteArray GsmSeptets(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const qint16 s = septetTable()[c.unicode()];
        if (s == kNone)
            continue;
        if (s & kExtended)
            out.append(char(kEscape));
        out.append(char(s & 0x7F));
    }
    return out;
}

QByteArray PackSeptets(const QByteArray &septets, int fillBits)
{
    const qsizetype bits = fillBits + septets.size() * 7;
    QByteArray packed((bits + 7) / 8, '\0');
    for (qsizetype k = 0; k < septets.size(); ++k) {
        const unsigned value = uchar(septets[k]) & 0x7F;
        const qsizetype bit = fillBits + k * 7;
        const qsizetype at = bit / 8;
        const int shift = int(bit % 8);
        packed[at] = char(uchar(packed[at]) | uchar(value << shift));
        if (shift > 1)
            packed[at + 1] = char(uchar(packed[at + 1]) | uchar(value >> (8 - shift)));
    }
    return packed;
}

QByteArray Ucs2Octets(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    return out;
}

QStringList SplitForSms(QStringView text, SmsCoding coding)
{
    const bool gsm = coding == SmsCoding::Gsm7;
    if (CodedLength(text, coding) <= (gsm ? kGsmSingle : kUcs2Single))
        return {text.toString()};
    const int room = gsm ? kGsmPart : kUcs2Part;
    QStringList parts;
    qsizetype start = 0;
    int used = 0;
    for (qsizetype i = 0; i < text.size();) {
        const int step = gsm ? 1 : ucs2Step(text, i);
        const int cost = gsm ? GsmSeptetsOf(text[i]) : step;
        if (used + cost > room) {
            parts.append(text.mid(start, i - start).toString());
            start = i;
            used = 0;
        }
        used += cost;
        i += step;
    }
    parts.append(text.mid(start).toString());
    return parts;
}

OutgoingPlan PlanOutgoing(const QString &typed, bool statusReport, int maxParts)
{
    OutgoingPlan plan;
    plan.maxParts = std::clamp(maxParts, 1, kMostParts);
    const QString trimmed = trimBlanks(typed);
    QString withCrLf = trimmed;
    withCrLf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (!statusReport && plainForTextMode(withCrLf) && CodedLength(withCrLf, SmsCoding::Gsm7) <= kGsmSingle) {
        plan.text = withCrLf;
        plan.route = SendRoute::TextMode;
        plan.coding = SmsCoding::Gsm7;
    } else {
        plan.text = trimmed;
        plan.route = SendRoute::Pdu;
        plan.coding = ChooseCoding(trimmed);
    }
    plan.parts = SplitForSms(plan.text, plan.coding);
    plan.used = CodedLength(plan.text, plan.coding);
    const bool gsm = plan.coding == SmsCoding::Gsm7;
    const int room = plan.parts.size() == 1 ? (gsm ? kGsmSingle : kUcs2Single) : (gsm ? kGsmPart : kUcs2Part);
    plan.left = room - CodedLength(plan.parts.last(), plan.coding);
    return plan;
}

QString CounterText(const OutgoingPlan &plan)
{
    const QString used = QStringLiteral("%1 Zeichen").arg(plan.used);
    // Short lines: the counter shares its row with "Länge:" and "Löschen".
    if (plan.tooLong())
        return QStringLiteral("%1, %2\n%3, höchstens %4")
            .arg(used, partsWord(plan.parts.size()), codingWord(plan.coding), partsWord(plan.maxParts));
    return QStringLiteral("%1, %2 frei\n%3, %4")
        .arg(used)
        .arg(plan.left)
        .arg(partsWord(plan.parts.size()), codingWord(plan.coding));
}

QString CounterSpoken(const OutgoingPlan &plan)
{
    const QString used = QStringLiteral("Länge: %1 Zeichen").arg(plan.used);
    if (plan.tooLong())
        return QStringLiteral("%1, %2, Kodierung %3, zu lang, höchstens %4")
            .arg(used, partsWord(plan.parts.size()), codingWord(plan.coding), partsWord(plan.maxParts));
    return QStringLiteral("%1, noch %2 frei, %3, Kodierung %4")
        .arg(used)
        .arg(plan.left)
        .arg(partsWord(plan.parts.size()), codingWord(plan.coding));
}

QString TextRefusal(const QString &typed, const OutgoingPlan &plan)
{
    const QString nothing = QStringLiteral(" Es wurde nichts gesendet.");
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const QChar c = typed[i];
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\r' && u != u'\n') || (u >= 0x7F && u <= 0x9F)) {
            const QString name = u == u'\t' ? QStringLiteral("einen Tabulator")
                                            : QStringLiteral("ein Steuerzeichen (Code %1)").arg(int(u));
            return QStringLiteral("Der Text enthält %1 an Stelle %2; so ein Zeichen überträgt keine SMS.")
                       .arg(name)
                       .arg(i + 1) +
                   nothing;
        }
        if (c.isHighSurrogate() && i + 1 < typed.size() && typed[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            return QStringLiteral("Der Text enthält an Stelle %1 ein halbes Unicode-Zeichen (ein Teil eines "
                                  "Zeichenpaars ohne den anderen). Bitte dieses Zeichen löschen.")
                       .arg(i + 1) +
                   nothing;
        }
    }
    if (plan.tooLong()) {
        return QStringLiteral("Der Text ist zu lang: %1 Zeichen ergäben %2, möglich sind höchstens %3 (%4 Zeichen "
                              "im GSM-Alphabet, %5 mit Unicode-Zeichen).")
                   .arg(plan.used)
                   .arg(partsWord(plan.parts.size()), partsWord(plan.maxParts))
                   .arg(plan.maxParts == 1 ? kGsmSingle : plan.maxParts * kGsmPart)
                   .arg(plan.maxParts == 1 ? kUcs2Single : plan.maxParts * kUcs2Part) +
               nothing;
    }
    return {};
}

QString DialledNumber(const QString &typed)
{
    QString number;
    for (const QChar c : typed) {
        if (QStringView(u" -/()").contains(c))
            continue;
        number += c;
    }
    const qsizetype digits = number.startsWith(u'+') ? number.size() - 1 : number.size();
    if (digits < 1 || digits > 20)
        return {};
    for (qsizetype i = number.startsWith(u'+') ? 1 : 0; i < number.size(); ++i) {
        if (number[i] < u'0' || number[i] > u'9')
            return {};
    }
    return number;
}
