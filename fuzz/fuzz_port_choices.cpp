// The stored line settings string that preselects the port settings dialog.
#include "FuzzSupport.h"

#include "comm/LineSettings.h"
#include "config/PortChoices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (const QString &stored : {fuzz::lineText(data, size), fuzz::anyText(data, size)}) {
        const auto settings = LineSettings::parse(stored);
        const portchoices::StoredChoice c = portchoices::splitStoredSettings(stored);
        if (!settings) {
            FUZZ_CHECK(c.speed.isEmpty() && c.parity.isEmpty() && c.dataBits.isEmpty() && c.stopBits.isEmpty());
            continue;
        }
        // The canonical form reads back the same.
        const auto canonical = LineSettings::parse(settings->toString());
        FUZZ_CHECK(canonical && canonical->toString() == settings->toString());
        // The four items picked out of the string are its four fields.
        const QStringList fields = stored.split(u',');
        FUZZ_CHECK(c.speed == fields[0]);
        FUZZ_CHECK(c.parity.left(1).toLower() == fields[1].toLower());
        FUZZ_CHECK(c.dataBits == fields[2]);
        FUZZ_CHECK(c.stopBits == fields[3]);
        if (portchoices::speeds().contains(c.speed)) {
            const auto chosen = LineSettings::parse(portchoices::settingsFromItems(c.speed, c.parity, c.dataBits, c.stopBits));
            FUZZ_CHECK(chosen && chosen->toString() == settings->toString());
        }
    }
    return 0;
}
