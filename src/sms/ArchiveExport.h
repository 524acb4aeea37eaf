#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The archive written out for other programs: a spreadsheet (CSV) and a mail program (mbox).
// Texts are decoded and the parts of long messages joined, as the archive window shows them.

struct ExportedSms {
    QString date; // dd.MM.yy
    QString time; // HH:MM:SS
    QString number;
    QString name; // from the phone list; "" when unknown
    QString state; // "empfangen", or a sent message's: "gesendet", "zugestellt ..." and so on
    QString text;
    QDateTime stamp; // the service centre's time stamp, without its zone
};

// UTF-8 with a byte order mark (so a spreadsheet takes it as UTF-8), a header row
// "Datum,Uhrzeit,Telefonnr.,Name,Status,Text", comma-separated, every field in double quotes with a
// quote doubled, CR LF between rows; a line break inside a text stays inside its field.
// A field that a spreadsheet would take for a formula (=, +, -, @ first) is written with a
// leading apostrophe, except a phone number, which stays as it is.
QByteArray ArchiveCsv(const QList<ExportedSms> &messages);

// One mail per message (RFC 4155 mbox): "From " line, From (To for a sent one), Date, Subject and
// a UTF-8 body; a
// body line beginning with "From " (after any '>') gets one more '>'.
QByteArray ArchiveMbox(const QList<ExportedSms> &messages);

// As JSON for scripts: an array of objects {"datum", "uhrzeit", "telefonnr", "name", "status",
// "text"}.
QByteArray ArchiveJson(const QList<ExportedSms> &messages);

// Writes CSV, or mbox for a name ending in ".mbox", as the whole new content of `path`. False
// with the reason in German.
bool WriteArchiveExport(const QString &path, const QList<ExportedSms> &messages, QString *error);
