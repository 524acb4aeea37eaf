// Where an answer ends at its final result code: FinalResultEnd and CmgrAnswerEnd, fed with
// what was sent (the input's first line) and what came back (the rest).
#include "FuzzSupport.h"

#include "modem/AnswerEnd.h"
#include "sms/ReceiveAnswers.h"

namespace {

void judge(AnswerEndRule rule, const QString &sent, const QString &received)
{
    const AnswerEnd end = rule(sent, received);
    if (!end.whole)
        return;
    FUZZ_CHECK(end.length > 0 && end.length <= received.size());
    FUZZ_CHECK(end.finalAt < end.length);
    // The answer alone, without the modem's own lines behind it, ends where it ends.
    const AnswerEnd alone = rule(sent, received.left(end.length));
    FUZZ_CHECK(alone.whole && alone.length == end.length && alone.finalAt == end.finalAt);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::lineText(data, size);
    const qsizetype cut = text.indexOf(u'\n');
    const QString sent = cut < 0 ? QString() : text.left(cut);
    const QString received = cut < 0 ? text : text.mid(cut + 1);
    judge(&FinalResultEnd, sent, received);
    judge(&CmgrAnswerEnd, sent, received);
    (void)FinalResultSettleSeconds(int(size) * 1000 - 5000);
    return 0;
}
