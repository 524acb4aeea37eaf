#pragma once
#include <QString>

class Registry;

// Reads one value under root into keyVal: a string value as its text (without the terminating
// NUL), a 32-bit number as decimal digits. False, with keyVal empty, when the key cannot be opened,
// the value not read, or it is of another type.
bool GetKeyValue(Registry &registry, quint32 keyRoot, const QString &keyName, const QString &subKeyRef,
                 QString &keyVal);

// Finds the system-information tool and starts it: first the program named by the value "PATH"
// of "SOFTWARE\Microsoft\Shared Tools\MSINFO", started as it is; then MSINFO32.EXE in the folder
// named by "MSINFO" of "SOFTWARE\Microsoft\Shared Tools Location", if that file exists. False when
// neither gives a program or the program does not start.
bool StartSysInfoTool(Registry &registry);
