#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The choices of the port settings dialog. The speed list is also the one the baud-rate scan
// walks down from position 11 (56000) to 0 (110).
namespace portchoices {
const QStringList &speeds();
const QStringList &dataBits();
const QStringList &parities(); // "Even", "Odd", "None", "Mark", "Space"
const QStringList &stopBits();
const QStringList &ports(); // "Com1" ... "Com16"
// The flow-control options; the position is the port's handshaking value.
const QStringList &flowModes(); // "Kein", "Xon/Xoff", "RTS", "Xon/RTS"

// The list item for a stored parity letter ("e" -> "Even"); empty for any other character.
QString parityItem(QChar letter);

// The four list items read out of a stored settings string by position from its end, the
// way the string is written ("9600,n,8,1", "19200,e,7,1.5"). Anything that is not a line
// settings string (empty, cut short, garbage) yields all four empty: nothing gets selected.
struct StoredChoice {
    QString speed;
    QString parity; // list item, "" for an unknown letter
    QString dataBits;
    QString stopBits;
};
StoredChoice splitStoredSettings(const QString &stored);

// The line settings the chosen items stand for: "9600,N,8,1", "19200,E,7,1.5".
QString settingsFromItems(const QString &speed, const QString &parity, const QString &dataBits,
                          const QString &stopBits);

// What OK says when the port refuses the chosen line settings or flow control and keeps the
// ones it had; `why` is the port's own description.
QString settingsRefusal(const QString &chosen, const QString &kept, const QString &why);
QString flowRefusal(int chosen, int kept, const QString &why);

// The port test's report: " COM 1 verfügbar!" and a CR for each port that opened, or
// "Keine freie COM verfügbar " when none did.
QString portTestReport(const QList<int> &available);
} // namespace portchoices
