#pragma once
#include <QSerialPort>
#include <QString>

// What a port failure means, in German. The toolkit reports errors in English, often only the
// system's own text ("Input/output error"); that text is kept as a detail for whoever has to
// look further, but the message itself reads in the user's language.
QString PortErrorText(QSerialPort::SerialPortError error, const QString &systemText);

// A system text (strerror, in English or in the language the C library speaks) or one of Qt's
// own, in German: the usual ones by name, any other system error by its number, and a text
// nobody knows as "unbekannter Fehler". The English never reaches the user.
QString GermanSystemText(const QString &systemText);
