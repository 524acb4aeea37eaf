#pragma once
#include <QSerialPort>
#include <QString>

// What a port failure means, in German. The toolkit reports errors in English, often only the
// system's own text ("Input/output error"); that text is kept as a detail for whoever has to
// look further, but the message itself reads in the user's language.
QString PortErrorText(QSerialPort::SerialPortError error, const QString &systemText);

// The system's text put into German where it is one of the usual ones, else as it stands.
QString GermanSystemText(const QString &systemText);
