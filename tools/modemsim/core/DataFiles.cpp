#include "core/DataFiles.h"

#include <QDateTime>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

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
