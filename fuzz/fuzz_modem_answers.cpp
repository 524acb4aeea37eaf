// The registration window's answer-cutting rules: model, signal, registration, operator and own
// number, fed with the answer as the line gave it and as the terminal passes it on; and the
// rules that take the modem's own lines out of an answer and read its identity.
#include "FuzzSupport.h"

#include "modem/ModemAnswers.h"
#include "modem/ModemQuirks.h"
#include "modem/Unsolicited.h"

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
    // Taking lines out never adds any, and what is left has none of them.
    const QString bare = WithoutUnsolicited(answer);
    FUZZ_CHECK(bare.size() <= answer.size());
    FUZZ_CHECK(WithoutUnsolicited(bare) == bare);
    const QString maker = CgmiMakerName(answer);
    FUZZ_CHECK(maker.size() <= answer.size() && !maker.contains(u'\r') && !maker.contains(u'\n'));
    (void)QuirksFor(maker, CgmmModelName(answer));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString raw = fuzz::lineText(data, size);
    cutAnswer(fuzz::terminalAnswer(raw));
    cutAnswer(raw);
    return 0;
}
