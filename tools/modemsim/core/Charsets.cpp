#include "core/Charsets.h"

#include "core/SmsCoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace modemsim::te {

namespace {

struct Named {
    const char *name;
    Charset cs;
};
const Named kNames[] = {
    {"GSM", Charset::Gsm},       {"IRA", Charset::Ira},   {"8859-1", Charset::Latin1},
    {"PCCP437", Charset::Pc437}, {"UCS2", Charset::Ucs2}, {"HEX", Charset::Hex},
};

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

bool hexOctets(const QByteArray &hex, QByteArray *out)
{
    if (hex.size() % 2 != 0)
        return false;
    out->clear();
    for (int i = 0; i < hex.size(); i += 2) {
        const int hi = hexValue(hex[i]);
        const int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        *out += char(hi * 16 + lo);
    }
    return true;
}

// Septets of the default alphabet; a character it lacks becomes '?'.
QByteArray gsmSeptets(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        QByteArray one;
        out += coding::toGsm7(QString(c), &one) ? one : QByteArray("?");
    }
    return out;
}

QByteArray encodeWith(const char *codec, const QString &text)
{
    QByteArray out;
    // One character at a time, so that a character the set lacks becomes one '?'.
    for (QChar c : text) {
        QStringEncoder one(codec);
        if (!one.isValid())
            return text.toLatin1();
        const QByteArray b = one.encode(QString(c));
        out += (one.hasError() || b.size() != 1 || QStringDecoder(codec).decode(b) != QString(c)) ? QByteArray("?") : b;
    }
    return out;
}

QString decodeWith(const char *codec, const QByteArray &bytes)
{
    QStringDecoder decoder(codec);
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
}

} // namespace

QString fromLine(const QByteArray &bytes)
{
    return decodeWith("windows-1252", bytes);
}

QByteArray toLine(const QString &text)
{
    return encodeWith("windows-1252", text);
}

std::optional<Charset> charsetNamed(const QByteArray &name)
{
    for (const Named &n : kNames) {
        if (name.compare(n.name, Qt::CaseInsensitive) == 0)
            return n.cs;
    }
    return std::nullopt;
}

QByteArray charsetName(Charset cs)
{
    for (const Named &n : kNames) {
        if (n.cs == cs)
            return n.name;
    }
    return {};
}

bool passesBytes(Charset cs)
{
    return cs == Charset::Ira || cs == Charset::Latin1 || cs == Charset::Pc437;
}

QByteArray toTe(const QString &text, Charset cs)
{
    switch (cs) {
    case Charset::Gsm:
        return gsmSeptets(text);
    case Charset::Ira:
        return toLine(text);
    case Charset::Latin1: {
        QByteArray out;
        for (QChar c : text)
            out += c.unicode() <= 0xFF ? char(c.unicode()) : '?';
        return out;
    }
    case Charset::Pc437:
        return encodeWith("IBM437", text);
    case Charset::Ucs2:
        return coding::toUcs2(text).toHex().toUpper();
    case Charset::Hex:
        return gsmSeptets(text).toHex().toUpper();
    }
    return {};
}

bool fromTe(const QByteArray &bytes, Charset cs, QString *text)
{
    QByteArray octets;
    switch (cs) {
    case Charset::Gsm:
        *text = coding::fromGsm7(bytes);
        return true;
    case Charset::Ira:
        *text = fromLine(bytes);
        return true;
    case Charset::Latin1:
        *text = QString::fromLatin1(bytes);
        return true;
    case Charset::Pc437:
        *text = decodeWith("IBM437", bytes);
        return true;
    case Charset::Ucs2:
        if (bytes.size() % 4 != 0 || !hexOctets(bytes, &octets))
            return false;
        *text = coding::fromUcs2(octets);
        return true;
    case Charset::Hex:
        if (!hexOctets(bytes, &octets))
            return false;
        *text = coding::fromGsm7(octets);
        return true;
    }
    return false;
}

} // namespace modemsim::te
