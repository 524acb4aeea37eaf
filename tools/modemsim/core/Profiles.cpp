#include "core/Profiles.h"

namespace modemsim {

namespace {

// In the lines, {rssi} stands for the signal the modem reports and {mem} for the storage
// concerned.
QList<Profile> makeProfiles()
{
    QList<Profile> p;

    Profile siemens;
    siemens.name = "siemens";
    siemens.summary = "old Siemens-style GSM modem (MC35i): no +CPINR, no UCS2 in +CSCS, \"GSM\" "
                      "character set at power-up, ^SYSSTART";
    siemens.manufacturer = "SIEMENS";
    siemens.model = "MC35i";
    siemens.revision = "REVISION 02.00";
    siemens.unknownCommands = {"+CPINR"};
    siemens.charsets = {"GSM", "IRA", "PCCP437"};
    siemens.charset = "GSM";
    siemens.bootLines = {{0, "^SYSSTART"}};
    p << siemens;

    Profile huawei;
    huawei.name = "huawei";
    huawei.summary = "Huawei-style USB stick (E173): ^RSSI, ^MODE and ^BOOT lines at any moment, also "
                     "inside answers; +CMS ERROR: 500 for a send through another service centre";
    huawei.manufacturer = "huawei";
    huawei.model = "E173";
    huawei.revision = "11.126.85.00.209";
    huawei.periodicLines = {"^BOOT:20952548,0,0,0,72", "^RSSI:{rssi}", "^MODE:5,4"};
    huawei.periodMs = 5000;
    huawei.mixLines = {"^RSSI:{rssi}", "^MODE:5,4", "^BOOT:20952548,0,0,0,72"};
    huawei.mixEvery = 4;
    huawei.wrongCentreError = 500;
    huawei.storageFullLine = "^SMMEMFULL:\"{mem}\"";
    p << huawei;

    Profile quectel;
    quectel.name = "quectel";
    quectel.summary = "Quectel-style LTE module (EC25): RDY, +CPIN and +QIND: SMS DONE at start; "
                      "messages stored in \"ME\" and announced as +CMTI: \"ME\",<n>";
    quectel.manufacturer = "Quectel";
    quectel.model = "EC25";
    quectel.revision = "EC25EFAR06A06M4G";
    quectel.storage = "ME";
    quectel.bootLines = {{0, "RDY"}};
    quectel.bootSimState = true;
    quectel.simReadyLines = {{0, "+CPIN: READY"}, {1000, "+QIND: SMS DONE"}, {1000, "+QIND: PB DONE"}};
    p << quectel;

    Profile simcom;
    simcom.name = "simcom";
    simcom.summary = "SIMCom-style module (SIM800): RDY at start, Call Ready and SMS Ready after the "
                     "PIN, message commands refused until SMS Ready, echo on after every ATZ";
    simcom.manufacturer = "SIMCOM_Ltd";
    simcom.model = "SIMCOM_SIM800L";
    simcom.revision = "Revision:1418B04SIM800L24";
    simcom.bootLines = {{0, "RDY"}, {0, "+CFUN: 1"}};
    simcom.bootSimState = true;
    simcom.simReadyLines = {{2000, "Call Ready"}, {1000, "SMS Ready"}};
    simcom.smsReadyLine = "SMS Ready";
    simcom.echoOnReset = true;
    p << simcom;
    return p;
}

} // namespace

const QList<Profile> &profiles()
{
    static const QList<Profile> all = makeProfiles();
    return all;
}

const Profile *findProfile(const QByteArray &name)
{
    for (const Profile &p : profiles()) {
        if (name.compare(p.name, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

QByteArray profileNames()
{
    QByteArrayList names;
    for (const Profile &p : profiles())
        names << p.name;
    return names.join(", ");
}

} // namespace modemsim
