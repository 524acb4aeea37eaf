// The registration window's answer-cutting rules: model, signal, registration, operator and own
// number, fed with the answer as the line gave it and as the terminal passes it on.
#include "FuzzSupport.h"

#include "modem/ModemAnswers.h"

namespace {

void cutAnswer(const QString &answer)
{
    (void)GmmModelName(answer);
    FUZZ_CHECK(CsqSignalValue(answer).size() <= 2);
    const int state = CregState(answer);
    FUZZ_CHECK(state >= 0 && state <= 9);
    FUZZ_CHECK(!CregCaption(state).isEmpty());
    const QString op = CopsOperatorName(answer);
    FUZZ_CHECK(op.size() <= answer.size() || op == QStringLiteral("Kein Netzbetreiber"));
    FUZZ_CHECK(CpbrOwnNumber(answer).size() <= answer.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString raw = fuzz::lineText(data, size);
    cutAnswer(fuzz::terminalAnswer(raw));
    cutAnswer(raw);
    return 0;
}
