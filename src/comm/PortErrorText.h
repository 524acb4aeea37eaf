#pragma once
#include <QSerialPort>
#include <QString>

#include "platform/SystemText.h"

// What a port failure means, in German. The toolkit reports errors in English, often only the
// system's own text ("Input/output error"); that text is kept as a detail for whoever has to
// look further, but the message itself reads in the user's language.
QString PortErrorText(QSerialPort::SerialPortError error, const QString &systemText);
