#pragma once
#include <QString>

class SettingsStore;

// The device a port number reaches. On Windows COMn is "COMn"; elsewhere COMn is
// /dev/ttyS(n-1), as Wine maps it, unless section "Ports" key "COMn" names another device
// (a USB modem is usually /dev/ttyUSB0 or /dev/ttyACM0).
QString PortDevice(int portNumber, const SettingsStore &settings);
QString DefaultPortDevice(int portNumber);
// The key of section "Ports" that maps this number: "COM1" ... "COM16".
inline QString PortMapKey(int portNumber) { return QStringLiteral("COM%1").arg(portNumber); }
