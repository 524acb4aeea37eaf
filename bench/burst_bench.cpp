// A burst without line breaks into the terminal: CPU per tick of the main window's receive
// read and per exchange answer, on the in-process fake port. Run by hand:
//   build/bin/bench_burst [kilobytes]      (default 1024)
// Goal: every tick well under 0.05 s, 1 MB well under a second of CPU in all.
#include "support/TaskExchange.h"
#include "support/CpuTime.h"
#include "support/MainRig.h"

#include "modem/ModemCommand.h"

#include <QApplication>
#include <QRadioButton>
#include <cstdio>

namespace {

QByteArray noLineBreaks(int bytes)
{
    QByteArray b(bytes, 'x');
    for (int i = 0; i < bytes; ++i)
        b[i] = char('A' + i % 26);
    return b;
}

struct Result {
    double cpu = 0;
    double worstTick = 0;
    int ticks = 0;
    qsizetype pane = 0;
};

void print(const char *what, const Result &r)
{
    std::printf("%-34s %8.3f s CPU  worst tick %7.3f s  ticks %4d  pane %6lld chars\n", what, r.cpu, r.worstTick,
                r.ticks, static_cast<long long>(r.pane));
}

// On screen: a pane that is not shown is never laid out, and the layout is the cost.
void shown(MainRig &r)
{
    r.main->show();
    QApplication::processEvents();
}

// The whole burst read in `pieces` ticks of the receive timer.
Result ticks(int bytes, int pieces, bool ascii)
{
    MainRig r;
    shown(r);
    r.main->optDisplay[ascii ? 1 : 0]->setChecked(true);
    const QByteArray all = noLineBreaks(bytes);
    const int piece = (bytes + pieces - 1) / pieces;
    Result out;
    const double start = processCpuSeconds();
    for (int at = 0; at < bytes; at += piece) {
        r.fake->deliver(all.mid(at, piece));
        const double t0 = processCpuSeconds();
        r.main->ReceiveLoop();
        QApplication::processEvents(); // layout and painting of what came in
        out.worstTick = std::max(out.worstTick, processCpuSeconds() - t0);
        ++out.ticks;
    }
    out.cpu = processCpuSeconds() - start;
    out.pane = r.main->terminalText().size();
    return out;
}

// The burst as the answer of one exchange: collected by ModemCommand, echoed with ShowData.
Result answer(int bytes)
{
    MainRig r;
    shown(r);
    r.main->setReceiveTimer(false);
    r.fake->deliver(noLineBreaks(bytes), 0.1);
    Result out;
    const double start = processCpuSeconds();
    QString text;
    Exchange(*r.main, QStringLiteral("AT"), text);
    QApplication::processEvents();
    out.cpu = processCpuSeconds() - start;
    out.worstTick = out.cpu;
    out.ticks = 1;
    out.pane = r.main->terminalText().size();
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int kb = argc > 1 ? std::atoi(argv[1]) : 1024;
    const int bytes = kb * 1024;
    std::printf("burst of %d KB without CR or LF\n", kb);
    const Result one = ticks(bytes, 1, false);
    print("one tick", one);
    const Result many = ticks(bytes, 256, false);
    print("256 ticks of 4 KB", many);
    const Result ascii = ticks(bytes, 256, true);
    print("256 ticks of 4 KB, ASCII view", ascii);
    const Result ans = answer(bytes);
    print("one exchange answer", ans);
    const double worst = std::max({one.worstTick, many.worstTick, ascii.worstTick});
    return worst < 0.05 && one.cpu < 1.0 && many.cpu < 1.0 ? 0 : 2;
}
