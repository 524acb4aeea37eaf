// The simulated modem's command-line parser: a line cut into commands and their parameters.
#include "FuzzSupport.h"

#include "core/AtCommand.h"

using namespace modemsim::at;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);

    const QByteArray norm = normalized(body);
    FUZZ_CHECK(norm.size() <= body.size());
    FUZZ_CHECK(normalized(norm) == norm);

    QList<Command> commands;
    if (splitCommands(body, &commands)) {
        for (const Command &cmd : commands) {
            FUZZ_CHECK(!cmd.name.isEmpty());
            FUZZ_CHECK(cmd.name == normalized(cmd.name));
            FUZZ_CHECK(cmd.text.size() <= body.size());
            if (cmd.form != Form::Set)
                continue;
            QList<Param> params;
            if (!splitParams(cmd.args, &params))
                continue;
            for (const Param &p : params) {
                int value = -1;
                if (toInt(p, &value))
                    FUZZ_CHECK(value >= 0);
            }
        }
    }

    QList<Param> params;
    if (splitParams(body, &params))
        FUZZ_CHECK(!params.isEmpty() || body.trimmed().isEmpty());
    return 0;
}
