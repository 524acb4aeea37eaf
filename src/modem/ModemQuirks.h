#pragma once
#include <QString>
#include <QStringList>

// What a known modem does differently from 27.007/27.005, where the program has to know it. The
// modem is recognised by what it names itself in AT+CGMI and AT+CGMM; the table and where each
// quirk is known from are in the README ("Bekannte Modems").
struct ModemQuirks {
    QString family; // "SIMCom", "Quectel", ...; empty: not in the table
    // AT+CPINR is unknown: the attempts left are not asked (the question would only get ERROR).
    bool noCpinr = false;
    // The line the module sends once its SIM's message part is read; message commands sent
    // before it are refused. Empty: message commands work as soon as the SIM is open.
    QString smsReadyLine;
    // What the modem search tells the user about it, one short German sentence each.
    QStringList notes;
};

// The quirks of the modem that answered AT+CGMI with `maker` and AT+CGMM (or AT+GMM) with
// `model`, found by either; a modem not in the table has none.
ModemQuirks QuirksFor(const QString &maker, const QString &model);
