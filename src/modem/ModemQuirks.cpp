#include "modem/ModemQuirks.h"

namespace {

struct Row {
    const char *name; // what AT+CGMI or AT+CGMM contains, in any case
    ModemQuirks quirks;
};

// The quirks below hold for the makers' whole families as far as they are known (README,
// "Bekannte Modems"). The model is looked at too: modules sold under another name keep the
// maker's in their model ("FOXCOM MODEM" / "Quectel_M26").
const Row kRows[] = {
    // The old Siemens command sets predate AT+CPINR; they tell the PIN count with ^SPIC only.
    {"SIEMENS",
     {QStringLiteral("Siemens"),
      true,
      {},
      {QStringLiteral("Kennt AT+CPINR nicht: die verbleibenden PIN-Versuche werden nicht abgefragt."),
       QStringLiteral("Beginnt im Zeichensatz „GSM“ und kennt kein UCS2.")}}},
    {"huawei",
     {QStringLiteral("Huawei"),
      false,
      {},
      {QStringLiteral("Sendet eigene Meldungen (^RSSI, ^MODE, ^BOOT) auch mitten in Antworten; Varnix übergeht sie."),
       QStringLiteral("Sendet nur über die SMS-Zentrale des Netzes (sonst +CMS ERROR: 500).")}}},
    // The Quectel manuals: message commands are ready once +QIND: SMS DONE has come.
    {"Quectel",
     {QStringLiteral("Quectel"),
      false,
      QStringLiteral("+QIND: SMS DONE"),
      {QStringLiteral("Nimmt SMS-Befehle erst nach „+QIND: SMS DONE“ an; Varnix wartet darauf."),
       QStringLiteral("Legt Nachrichten im Modem ab („ME“), nicht auf der SIM-Karte.")}}},
    // SIM800 users: AT+CMGF=1 gives ERROR until "SMS Ready" has come.
    {"SIMCOM",
     {QStringLiteral("SIMCom"),
      false,
      QStringLiteral("SMS Ready"),
      {QStringLiteral("Nimmt SMS-Befehle erst nach „SMS Ready“ an; Varnix wartet darauf."),
       QStringLiteral("ATZ schaltet das Echo wieder ein.")}}},
};

} // namespace

ModemQuirks QuirksFor(const QString &maker, const QString &model)
{
    for (const Row &row : kRows) {
        if (maker.contains(QLatin1String(row.name), Qt::CaseInsensitive) ||
            model.contains(QLatin1String(row.name), Qt::CaseInsensitive))
            return row.quirks;
    }
    return {};
}
