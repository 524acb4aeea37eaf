#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

// Lines a modem sends on its own, at any moment and also between the lines of an answer to a
// command (27.007 5.10 result codes are "unsolicited" when no command caused them): vendor
// reports (Huawei ^RSSI, ^MODE, ^BOOT; Siemens ^SYSSTART), indications in the standard's form
// (+CMTI, +CIEV, +CREG: <stat> after AT+CREG=1) or a maker's (+QIND), and the start-up words of
// a few modules (RDY, Call Ready, SMS Ready).

// Whether `line` (without its line end) is such a line rather than part of the answer to a
// command whose information lines begin with one of `own` ("+CSQ:"). A final result code
// (+CME ERROR, +CMS ERROR) never is.
bool IsUnsolicitedLine(QStringView line, const QStringList &own = {});

// The answer in the terminal's form (lines end in CR LF) without the unsolicited lines and the
// blank line that framed each of them, so what is left reads as if they had never come.
QString WithoutUnsolicited(const QString &answer, const QStringList &own = {});

// The information lines of an answer as it came from the line (CR, LF or both end a line): no
// echo of `command`, no blank line, no unsolicited line, and nothing from the final result code
// on. Some modems put the command's own prefix before an identity ("+CGMI: SIEMENS"); it is
// dropped, as are the blanks around each line.
QStringList InformationLines(const QString &answer, const QString &command);
