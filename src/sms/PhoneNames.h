#pragma once
#include <QDateTime>
#include <QHash>
#include <QString>

struct PhoneRow;

// Names from phone.lst for the numbers messages come from. The modem gives the originator in
// the form the network delivered it, mostly international ("+4917012345678"), while the list
// may hold the same number nationally ("017012345678") or with "00". A number matches an entry
// when both are the same after dropping blanks, "-", "/", "." and brackets and reading "+" as
// "00", or when one is international and the other national and the national number without
// its 0 is what follows a country code of one to three digits.
class PhoneNames {
public:
    PhoneNames() = default;
    // Rows in list order: for a number listed twice the first name wins.
    explicit PhoneNames(const QList<PhoneRow> &rows);

    // The name for `number`, or "" when the list does not know it.
    QString nameFor(const QString &number) const;
    bool isEmpty() const { return m_exact.isEmpty(); }

    // phone.lst in `folder`, sorted as the phone-list window sorts it; empty when missing.
    static PhoneNames fromFolder(const QString &folder);

private:
    QHash<QString, QString> m_exact;    // normalised number -> name
    QHash<QString, QString> m_national; // national number without its 0 -> name
    QHash<QString, QString> m_abroad;   // international number without 00 and country code -> name
};

// The same, read again only when phone.lst in the work folder has changed since the last look,
// so a window may ask for every message without reading the file each time.
class PhoneNamesCache {
public:
    const PhoneNames &current();

private:
    PhoneNames m_names;
    QString m_path;
    QDateTime m_modified;
    qint64 m_size = -1;
};
