// The simulated modem's message lines of today (messages file, inject files and FIFO): any
// bytes. Each line is read or named as a problem, never both; a message that is delivered
// arrives whole, its parts joined in order giving back the text of the line.
#include "FuzzSupport.h"

#include "core/DataFiles.h"

#include <QMap>

using namespace modemsim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file = fuzz::bytes(data, size);
    const int lines = int(file.count('\n')) + 1;
    for (bool control : {false, true}) {
        QList<LineProblem> problems;
        const QList<FileEntry> entries = control ? readControlFile(file, &problems) : readMessageFile(file, &problems);
        FUZZ_CHECK(entries.size() + problems.size() <= lines);
        QList<int> seen;
        for (const LineProblem &p : problems) {
            FUZZ_CHECK(p.line >= 1 && p.line <= lines && !p.text.isEmpty());
            seen << p.line;
        }
        for (const FileEntry &e : entries) {
            FUZZ_CHECK(e.line >= 1 && e.line <= lines && !seen.contains(e.line));
            if (e.kind != FileEntry::Message)
                continue;
            Config cfg;
            cfg.pin.clear();
            cfg.storageSize = 255;
            Modem m(cfg);
            Incoming in = e.message;
            in.parts.clear();
            in.laterMs.clear();
            in.slot = 0;
            QString error;
            if (m.deliver(in, &error).isEmpty() && !error.isEmpty())
                continue;
            // The parts by their sequence: all there, and together the text.
            QMap<int, QString> parts;
            for (int i = 1; i <= m.storageUsed(); ++i) {
                const auto sms = m.slot(i);
                FUZZ_CHECK(sms && sms->ud);
                const auto c = coding::findConcat(sms->ud->header);
                parts[c ? c->sequence : 1] = coding::textOf(*sms->ud);
            }
            QString joined;
            for (const QString &p : parts)
                joined += p;
            FUZZ_CHECK(joined == in.text);
        }
    }
    return 0;
}
