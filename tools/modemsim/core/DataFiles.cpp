#include "core/DataFiles.h"

#include "core/Charsets.h"

#include <QDateTime>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace modemsim {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool parseIndex(const QByteArray &field, int *value)
{
    if (field.isEmpty()) {
        *value = 0;
        return true;
    }
    bool ok = false;
    const int v = field.toInt(&ok);
    if (!ok || v < 1)
        return false;
    *value = v;
    return true;
}

void setError(QString *error, int lineNo, const QString &what)
{
    if (error)
        *error = QStringLiteral("line %1: %2").arg(lineNo).arg(what);
}

bool isUtf8WithNonAscii(const QByteArray &data)
{
    bool nonAscii = false;
    for (int i = 0; i < data.size();) {
        const quint8 c = quint8(data[i]);
        int follow = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            follow = 1;
        else if ((c & 0xF0) == 0xE0)
            follow = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (i + follow >= data.size())
            return false;
        for (int k = 1; k <= follow; ++k) {
            if ((quint8(data[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return nonAscii;
}

// The line carries Windows-1252. A file written in UTF-8 (as editors today do) is converted,
// so that "ä" reaches the program as one byte 0xE4 and not as the two bytes of its UTF-8 form;
// a Windows-1252 file is practically never valid UTF-8 and stays as it is.
bool toLineCodePage(QByteArray *data, QString *error)
{
    bool utf8 = false;
    if (data->startsWith("\xEF\xBB\xBF")) {
        data->remove(0, 3);
        utf8 = true;
    }
    if (!utf8 && !isUtf8WithNonAscii(*data))
        return true;
    const QString text = QStringDecoder(QStringDecoder::Utf8).decode(*data);
    QStringEncoder encoder("windows-1252");
    if (!encoder.isValid()) {
        *data = text.toLatin1();
        return true;
    }
    const QByteArray converted = encoder.encode(text);
    // Characters Windows-1252 lacks come out as substitutes: the round trip shows them.
    if (encoder.hasError() || QStringDecoder("windows-1252").decode(converted) != text) {
        if (error)
            *error = QStringLiteral("the file is UTF-8 and holds characters that Windows-1252 does not have");
        return false;
    }
    *data = converted;
    return true;
}

// Splits data into numbered records; comment and empty lines are skipped, CR LF accepted.
template <typename F>
bool forEachLine(QByteArray data, QString *error, F &&handle)
{
    if (!toLineCodePage(&data, error))
        return false;
    const QList<QByteArray> lines = data.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        if (!handle(i + 1, line))
            return false;
    }
    return true;
}

bool unescapeAll(const QList<QByteArray> &fields, QList<QByteArray> *out)
{
    out->clear();
    for (const QByteArray &f : fields) {
        QByteArray v;
        if (!unescapeField(f, &v))
            return false;
        out->append(v);
    }
    return true;
}

bool parseMessageLine(int lineNo, const QByteArray &line, MessageRecord *rec, QString *error)
{
    QList<QByteArray> f;
    if (!unescapeAll(line.split('\t'), &f)) {
        setError(error, lineNo, QStringLiteral("bad escape sequence"));
        return false;
    }
    *rec = {};
    if (f.size() == 2) {
        rec->sms.number = f[0];
        rec->sms.text = f[1];
    } else if (f.size() == 5) {
        if (!parseIndex(f[0].trimmed(), &rec->slot)) {
            setError(error, lineNo, QStringLiteral("bad slot \"%1\"").arg(QString::fromLatin1(f[0])));
            return false;
        }
        static const QList<QByteArray> states = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};
        const QByteArray status = f[1].trimmed().toUpper();
        if (!status.isEmpty()) {
            if (!states.contains(status)) {
                setError(error, lineNo, QStringLiteral("bad status \"%1\"").arg(QString::fromLatin1(f[1])));
                return false;
            }
            rec->sms.status = status;
        }
        rec->sms.number = f[2];
        rec->sms.timestamp = f[3].trimmed();
        if (!rec->sms.timestamp.isEmpty() && !isTimestamp(rec->sms.timestamp)) {
            setError(error, lineNo,
                     QStringLiteral("bad time stamp \"%1\" (yy/MM/dd,hh:mm:ss+zz)").arg(QString::fromLatin1(f[3])));
            return false;
        }
        rec->sms.text = f[4];
    } else {
        setError(error, lineNo, QStringLiteral("%1 fields, expected 5 (slot, status, number, time stamp, text) or 2 (number, text)").arg(f.size()));
        return false;
    }
    if (rec->sms.number.contains('"')) {
        setError(error, lineNo, QStringLiteral("a number cannot hold a double quote"));
        return false;
    }
    return true;
}

bool readFile(const QString &file, QByteArray *data, QString *error)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file, f.errorString());
        return false;
    }
    *data = f.readAll();
    return true;
}

} // namespace

QByteArray escapeField(const QByteArray &bytes, Escape style)
{
    const bool transcript = style == Escape::Transcript;
    QByteArray out;
    for (char c : bytes) {
        const quint8 u = quint8(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '"':
            out += transcript ? "\\\"" : "\"";
            break;
        default:
            if (u < 0x20 || u == 0x7f || (transcript && u > 0x7f))
                out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
            else
                out += c;
        }
    }
    return out;
}

bool unescapeField(const QByteArray &field, QByteArray *out)
{
    out->clear();
    for (int i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            *out += c;
            continue;
        }
        if (++i >= field.size())
            return false;
        switch (field[i]) {
        case '\\': *out += '\\'; break;
        case 't': *out += '\t'; break;
        case 'r': *out += '\r'; break;
        case 'n': *out += '\n'; break;
        case 'x': {
            const int hi = i + 1 < field.size() ? hexValue(field[i + 1]) : -1;
            const int lo = i + 2 < field.size() ? hexValue(field[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return false;
            *out += char(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

bool parseMessages(const QByteArray &data, QList<MessageRecord> *out, QString *error)
{
    out->clear();
    return forEachLine(data, error, [&](int lineNo, const QByteArray &line) {
        MessageRecord rec;
        if (!parseMessageLine(lineNo, line, &rec, error))
            return false;
        out->append(rec);
        return true;
    });
}

bool parsePhonebook(const QByteArray &data, QList<PhoneRecord> *out, QString *error)
{
    out->clear();
    return forEachLine(data, error, [&](int lineNo, const QByteArray &line) {
        QList<QByteArray> f;
        if (!unescapeAll(line.split('\t'), &f)) {
            setError(error, lineNo, QStringLiteral("bad escape sequence"));
            return false;
        }
        PhoneRecord rec;
        QByteArray type;
        if (f.size() == 2) {
            rec.entry.number = f[0].trimmed();
            rec.entry.name = f[1];
        } else if (f.size() == 4) {
            if (!parseIndex(f[0].trimmed(), &rec.index)) {
                setError(error, lineNo, QStringLiteral("bad index \"%1\"").arg(QString::fromLatin1(f[0])));
                return false;
            }
            rec.entry.number = f[1].trimmed();
            type = f[2].trimmed();
            rec.entry.name = f[3];
        } else {
            setError(error, lineNo, QStringLiteral("%1 fields, expected 4 (index, number, type, name) or 2 (number, name)").arg(f.size()));
            return false;
        }
        if (type.isEmpty()) {
            rec.entry.type = rec.entry.number.startsWith('+') ? 145 : 129;
        } else {
            bool ok = false;
            rec.entry.type = type.toInt(&ok);
            if (!ok || rec.entry.type < 128 || rec.entry.type > 255) {
                setError(error, lineNo, QStringLiteral("bad type \"%1\" (129, 145, ...)").arg(QString::fromLatin1(type)));
                return false;
            }
        }
        if (rec.entry.number.contains('"') || rec.entry.name.contains('"')) {
            setError(error, lineNo, QStringLiteral("a number or name cannot hold a double quote"));
            return false;
        }
        out->append(rec);
        return true;
    });
}

bool parseControl(const QByteArray &data, QList<ControlRecord> *out, QString *error)
{
    out->clear();
    return forEachLine(data, error, [&](int lineNo, const QByteArray &line) {
        ControlRecord rec;
        const QByteArray word = line.trimmed();
        if (word.compare("ring", Qt::CaseInsensitive) == 0) {
            rec.kind = ControlRecord::Unsolicited;
            rec.line = "RING";
        } else if (line.startsWith("urc ") || line.startsWith("URC ")) {
            rec.kind = ControlRecord::Unsolicited;
            if (!unescapeField(line.mid(4), &rec.line)) {
                setError(error, lineNo, QStringLiteral("bad escape sequence"));
                return false;
            }
        } else if (!parseMessageLine(lineNo, line, &rec.message, error)) {
            return false;
        }
        out->append(rec);
        return true;
    });
}

bool loadMessages(const QString &file, QList<MessageRecord> *out, QString *error)
{
    QByteArray data;
    if (!readFile(file, &data, error))
        return false;
    if (!parseMessages(data, out, error)) {
        if (error)
            *error = file + QStringLiteral(", ") + *error;
        return false;
    }
    return true;
}

bool loadPhonebook(const QString &file, QList<PhoneRecord> *out, QString *error)
{
    QByteArray data;
    if (!readFile(file, &data, error))
        return false;
    if (!parsePhonebook(data, out, error)) {
        if (error)
            *error = file + QStringLiteral(", ") + *error;
        return false;
    }
    return true;
}

bool storeMessages(const QList<MessageRecord> &records, Modem &modem, QString *error)
{
    // Try on a copy first, so that a record that does not fit leaves the modem untouched.
    Modem trial = modem;
    for (int i = 0; i < records.size(); ++i) {
        const MessageRecord &r = records[i];
        StoredSms sms = r.sms;
        if (sms.timestamp.isEmpty())
            sms.timestamp = currentTimestamp();
        if (r.slot > trial.storageSize() || (r.slot > 0 && trial.slot(r.slot))) {
            if (error)
                *error = QStringLiteral("message %1: slot %2 is %3").arg(i + 1).arg(r.slot)
                             .arg(r.slot > trial.storageSize() ? QStringLiteral("beyond the storage (%1 slots)").arg(trial.storageSize())
                                                               : QStringLiteral("taken"));
            return false;
        }
        if (trial.storeSms(sms, r.slot) == 0) {
            if (error)
                *error = QStringLiteral("message %1: the storage (%2 slots) is full").arg(i + 1).arg(trial.storageSize());
            return false;
        }
    }
    modem = trial;
    return true;
}

bool storePhonebook(const QList<PhoneRecord> &records, Modem &modem, QString *error)
{
    Modem trial = modem;
    for (int i = 0; i < records.size(); ++i) {
        const PhoneRecord &r = records[i];
        const int size = trial.phonebookSize("SM");
        if (r.index > size || (r.index > 0 && trial.phoneEntry("SM", r.index))) {
            if (error)
                *error = QStringLiteral("entry %1: location %2 is %3").arg(i + 1).arg(r.index)
                             .arg(r.index > size ? QStringLiteral("beyond the phonebook (%1 locations)").arg(size)
                                                 : QStringLiteral("taken"));
            return false;
        }
        if (trial.writePhoneEntry("SM", r.entry, r.index) == 0) {
            if (error)
                *error = QStringLiteral("entry %1: the phonebook is full or the entry is too long").arg(i + 1);
            return false;
        }
    }
    modem = trial;
    return true;
}

bool loadMessages(const QString &file, Modem &modem, QString *error)
{
    QList<MessageRecord> records;
    if (!loadMessages(file, &records, error))
        return false;
    if (!storeMessages(records, modem, error)) {
        if (error)
            *error = file + QStringLiteral(", ") + *error;
        return false;
    }
    return true;
}

bool loadPhonebook(const QString &file, Modem &modem, QString *error)
{
    QList<PhoneRecord> records;
    if (!loadPhonebook(file, &records, error))
        return false;
    if (!storePhonebook(records, modem, error)) {
        if (error)
            *error = file + QStringLiteral(", ") + *error;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Messages of today

namespace {

// The column (from 1) of the first byte that is not well-formed UTF-8 (no overlong forms, no
// surrogates, nothing beyond U+10FFFF); 0 when the line is valid.
int invalidUtf8At(const QByteArray &line)
{
    for (int i = 0; i < line.size();) {
        const quint8 c = quint8(line[i]);
        int follow = 0;
        quint8 low = 0x80, high = 0xBF;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return i + 1;
        }
        for (int k = 1; k <= follow; ++k) {
            if (i + k >= line.size())
                return i + 1;
            const quint8 b = quint8(line[i + k]);
            if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF))
                return i + 1;
        }
        i += follow + 1;
    }
    return 0;
}

bool hasNonAscii(const QByteArray &line)
{
    return std::any_of(line.begin(), line.end(), [](char c) { return quint8(c) >= 0x80; });
}

struct TextLine {
    int number = 0;
    QString text;
};

// The lines of a file as text, comments and empty lines left out. A file with a byte-order mark
// or a line of UTF-8 beyond ASCII is UTF-8, and a line in it that is not is named; any other
// file is Windows-1252.
QList<TextLine> textLines(QByteArray data, QList<LineProblem> *problems)
{
    bool utf8 = false;
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3);
        utf8 = true;
    }
    QList<QByteArray> raw = data.split('\n');
    for (QByteArray &line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (!utf8) {
        utf8 = std::any_of(raw.begin(), raw.end(),
                           [](const QByteArray &line) { return hasNonAscii(line) && invalidUtf8At(line) == 0; });
    }
    QList<TextLine> lines;
    for (int i = 0; i < raw.size(); ++i) {
        const QByteArray &line = raw[i];
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        if (!utf8) {
            lines.append({i + 1, te::fromLine(line)});
            continue;
        }
        if (const int column = invalidUtf8At(line)) {
            problems->append({i + 1, QStringLiteral("not UTF-8: byte 0x%1 at column %2")
                                         .arg(quint8(line[column - 1]), 2, 16, QLatin1Char('0'))
                                         .arg(column)});
            continue;
        }
        lines.append({i + 1, QString::fromUtf8(line)});
    }
    return lines;
}

// The value of `count` hex digits at pos (at most eight); -1 when they are not all there.
qint64 hexDigits(const QString &s, int pos, int count)
{
    if (pos + count > s.size())
        return -1;
    qint64 v = 0;
    for (int k = 0; k < count; ++k) {
        const int d = s[pos + k].unicode() > 0x7F ? -1 : hexValue(s[pos + k].toLatin1());
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}

// \\ \t \r \n, \xHH (the Windows-1252 character HH, or the octet HH in 8-bit data), \uXXXX and
// \UXXXXXXXX.
bool unescapeText(const QString &field, bool octets, QString *out)
{
    out->clear();
    for (int i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != u'\\') {
            *out += c;
            continue;
        }
        if (++i >= field.size())
            return false;
        switch (field[i].unicode()) {
        case u'\\':
            *out += u'\\';
            break;
        case u't':
            *out += u'\t';
            break;
        case u'r':
            *out += u'\r';
            break;
        case u'n':
            *out += u'\n';
            break;
        case u'x': {
            const qint64 v = hexDigits(field, i + 1, 2);
            if (v < 0)
                return false;
            *out += octets ? QString(QChar(char16_t(v))) : te::fromLine(QByteArray(1, char(v)));
            i += 2;
            break;
        }
        case u'u':
        case u'U': {
            const int width = field[i] == u'u' ? 4 : 8;
            const qint64 v = hexDigits(field, i + 1, width);
            if (v < 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
                return false;
            const char32_t code = char32_t(v);
            *out += QString::fromUcs4(&code, 1);
            i += width;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

// A sender: digits (with '*', '#') after an optional '+', or a name of up to 11 characters of
// the GSM alphabet, as a bank or a service sends from.
bool isSender(const QString &number)
{
    const QByteArray latin = number.toLatin1();
    if (QString::fromLatin1(latin) == number && pdu::typeOfNumber(latin) != 208)
        return true;
    return !number.isEmpty() && number.size() <= 11 && coding::gsm7Length(number) >= 0 && !number.contains(u'"') &&
           !number.contains(u'\r') && !number.contains(u'\n');
}

bool parseOptions(const QString &options, Incoming *in, QString *why)
{
    int reference = -1;
    for (const QString &word : options.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = word.section(u'=', 0, 0).toLower();
        const QString value = word.section(u'=', 1);
        bool ok = true;
        if (key == u"gsm7" || key == u"ucs2" || key == u"8bit") {
            in->alphabet = key == u"gsm7"   ? coding::Alphabet::Gsm7
                           : key == u"ucs2" ? coding::Alphabet::Ucs2
                                            : coding::Alphabet::Data8;
        } else if (key == u"ref8" || key == u"ref16") {
            in->wideReference = key == u"ref16";
        } else if (key == u"ref") {
            reference = value.toInt(&ok);
            ok = ok && reference >= 0 && reference <= 0xFFFF;
        } else if (key == u"parts") {
            for (const QString &p : value.split(u',')) {
                const int part = p.toInt(&ok);
                ok = ok && part >= 1 && part <= 255;
                if (!ok)
                    break;
                in->parts << part;
            }
            ok = ok && !value.isEmpty();
        } else if (key == u"later") {
            for (const QString &p : value.split(u',')) {
                const int part = p.section(u':', 0, 0).toInt(&ok);
                const double seconds = ok ? p.section(u':', 1).toDouble(&ok) : 0;
                if (!ok || part < 1 || part > 255 || seconds < 0 || seconds > 86400 || !p.contains(u':')) {
                    ok = false;
                    break;
                }
                in->laterMs[part] = int(seconds * 1000);
            }
        } else {
            *why = QStringLiteral("unknown option \"%1\" (gsm7, ucs2, 8bit, ref8, ref16, ref=N, parts=P,P, later=P:S)")
                       .arg(word);
            return false;
        }
        if (!ok) {
            *why = QStringLiteral("bad option \"%1\"").arg(word);
            return false;
        }
    }
    if (reference > 0xFF && !in->wideReference.value_or(false)) {
        *why = QStringLiteral("ref=%1 needs ref16").arg(reference);
        return false;
    }
    in->reference = reference;
    return true;
}

bool parseMessageText(const QString &line, Incoming *in, QString *why)
{
    QStringList fields = line.split(u'\t');
    *in = {};
    if (fields.size() > 1 && fields[0].startsWith(u'[') && fields[0].endsWith(u']')) {
        if (!parseOptions(fields[0].mid(1, fields[0].size() - 2), in, why))
            return false;
        fields.removeFirst();
    }
    if (fields.size() != 2 && fields.size() != 5) {
        *why = QStringLiteral("%1 fields, expected 5 (slot, status, number, time stamp, text) or 2 (number, text), "
                              "after an optional [options] field")
                   .arg(fields.size());
        return false;
    }
    const bool full = fields.size() == 5;
    QString slot, status, number, stamp, text;
    const bool octets = in->alphabet == coding::Alphabet::Data8;
    if ((full && (!unescapeText(fields[0], false, &slot) || !unescapeText(fields[1], false, &status) ||
                  !unescapeText(fields[3], false, &stamp))) ||
        !unescapeText(fields[full ? 2 : 0], false, &number) || !unescapeText(fields[full ? 4 : 1], octets, &text)) {
        *why = QStringLiteral("bad escape sequence");
        return false;
    }
    if (full) {
        if (!parseIndex(slot.trimmed().toLatin1(), &in->slot) || slot.trimmed().toLatin1() != slot.trimmed()) {
            *why = QStringLiteral("bad slot \"%1\"").arg(slot);
            return false;
        }
        static const QList<QByteArray> states = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};
        const QByteArray state = status.trimmed().toUpper().toLatin1();
        if (!state.isEmpty()) {
            if (!states.contains(state)) {
                *why = QStringLiteral("bad status \"%1\"").arg(status);
                return false;
            }
            in->status = state;
        }
        in->timestamp = stamp.trimmed().toLatin1();
        if (!in->timestamp.isEmpty() && !isTimestamp(in->timestamp)) {
            *why = QStringLiteral("bad time stamp \"%1\" (yy/MM/dd,hh:mm:ss+zz)").arg(stamp);
            return false;
        }
    }
    if (!isSender(number)) {
        *why = QStringLiteral("bad number \"%1\" (digits after an optional '+', or a name of up to 11 characters)")
                   .arg(number);
        return false;
    }
    in->number = te::toLine(number);
    if (octets && std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; })) {
        *why = QStringLiteral("8-bit data holds only octets (write them as \\xHH)");
        return false;
    }
    in->text = text;
    return true;
}

QList<FileEntry> readEntries(const QByteArray &data, QList<LineProblem> *problems, bool control)
{
    QList<FileEntry> entries;
    for (const TextLine &line : textLines(data, problems)) {
        FileEntry e;
        e.line = line.number;
        const QString word = line.text.trimmed();
        if (control && word.compare(u"ring", Qt::CaseInsensitive) == 0) {
            e.kind = FileEntry::Unsolicited;
            e.urc = "RING";
        } else if (control && (line.text.startsWith(u"urc ") || line.text.startsWith(u"URC "))) {
            QString text;
            if (!unescapeText(line.text.mid(4), false, &text)) {
                problems->append({line.number, QStringLiteral("bad escape sequence")});
                continue;
            }
            e.kind = FileEntry::Unsolicited;
            e.urc = te::toLine(text);
        } else {
            QString why;
            if (!parseMessageText(line.text, &e.message, &why)) {
                problems->append({line.number, why});
                continue;
            }
        }
        entries.append(e);
    }
    return entries;
}

} // namespace

QList<FileEntry> readMessageFile(const QByteArray &data, QList<LineProblem> *problems)
{
    return readEntries(data, problems, false);
}

QList<FileEntry> readControlFile(const QByteArray &data, QList<LineProblem> *problems)
{
    return readEntries(data, problems, true);
}

QString problemText(const QString &origin, const LineProblem &problem)
{
    return QStringLiteral("%1, line %2: %3").arg(origin).arg(problem.line).arg(problem.text);
}

bool loadMessageFile(const QString &file, Modem &modem, QList<LineProblem> *problems, QString *error)
{
    QByteArray data;
    if (!readFile(file, &data, error))
        return false;
    for (const FileEntry &e : readMessageFile(data, problems)) {
        QString why;
        if (!modem.preload(e.message, &why))
            problems->append({e.line, why});
    }
    std::stable_sort(problems->begin(), problems->end(),
                     [](const LineProblem &a, const LineProblem &b) { return a.line < b.line; });
    return true;
}

QByteArray outboxLine(const SentSms &sms)
{
    QByteArray text;
    for (char c : sms.text) {
        switch (c) {
        case '\\': text += "\\\\"; break;
        case '\r': text += "\\r"; break;
        case '\n': text += "\\n"; break;
        default: text += c;
        }
    }
    return escapeField(sms.number) + '\t' + text + '\n';
}

QByteArray outboxLine(const Arrival &arrival)
{
    if (arrival.parts == 0)
        return outboxLine(SentSms{arrival.number, arrival.bytes, 0});
    QByteArray text;
    for (char c : arrival.text.toUtf8()) {
        switch (c) {
        case '\\':
            text += "\\\\";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        default:
            text += c;
        }
    }
    return escapeField(arrival.number) + '\t' + text + "\tpdu " + QByteArray::number(arrival.parts) +
           (arrival.data ? " 8-bit" : "") + '\n';
}

QByteArray currentTimestamp()
{
    const QDateTime now = QDateTime::currentDateTime();
    const int quarters = now.offsetFromUtc() / 900;
    const QByteArray zone = QByteArray(quarters < 0 ? "-" : "+")
        + QByteArray::number(qAbs(quarters)).rightJustified(2, '0');
    return now.toString(QStringLiteral("yy/MM/dd,hh:mm:ss")).toLatin1() + zone;
}

bool isTimestamp(const QByteArray &t)
{
    // yy/MM/dd,hh:mm:ss+zz
    static const char pattern[] = "99/99/99,99:99:99s99";
    if (t.size() != int(sizeof(pattern)) - 1)
        return false;
    for (int i = 0; i < t.size(); ++i) {
        const char p = pattern[i];
        const char c = t[i];
        if (p == '9' ? !(c >= '0' && c <= '9') : p == 's' ? !(c == '+' || c == '-') : c != p)
            return false;
    }
    return true;
}

} // namespace modemsim
