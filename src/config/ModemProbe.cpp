#include "config/ModemProbe.h"

#include "modem/ModemCommand.h"
#include "modem/Unsolicited.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// What is kept of what a device sent since the last command: a device that babbles at the
// wrong speed must not fill the memory, and an answer to one of these commands is short.
constexpr qsizetype kHeardLimit = 4096;
// A maker or model name longer than this is no name.
constexpr qsizetype kNameLimit = 60;

QStringList lines(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("[\r\n]+"));
    QStringList out;
    for (const QString &l : text.split(lineEnd, Qt::SkipEmptyParts))
        out << l.trimmed();
    return out;
}

bool hasOk(const QString &text)
{
    return lines(text).contains(QStringLiteral("OK"));
}

// The answer to an identity query is complete: it has its final result code.
qint16 finalStatus(const QString &text)
{
    for (const QString &l : lines(text)) {
        if (l == QLatin1String("OK"))
            return kStatusOk;
        if (l == QLatin1String("ERROR") || l.startsWith(QLatin1String("+CME ERROR")) ||
            l.startsWith(QLatin1String("+CMS ERROR")))
            return kStatusError;
    }
    return kStatusNoResult;
}

// A name as the modem gave it, without control characters and of a sane length.
QString cleanName(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        if (c.isPrint())
            out += c;
    }
    return out.trimmed().left(kNameLimit);
}

QString sameDevice(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

ProbeOutcome outcomeOf(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::Missing:
        return ProbeOutcome::Missing;
    case OpenFailure::Busy:
        return ProbeOutcome::Busy;
    case OpenFailure::Denied:
        return ProbeOutcome::Denied;
    case OpenFailure::None:
    case OpenFailure::Other:
        break;
    }
    return ProbeOutcome::Failed;
}

} // namespace

class ModemProbe::Device {
public:
    explicit Device(const ProbeCandidate &c) { result.candidate = c; }
    ~Device() { close(); }

    ProbeResult result;
    bool ended = false;

    void start(const PortMaker &make, double now)
    {
        m_port = make ? make(result.candidate.path) : nullptr;
        LineSettings line;
        line.speed = speeds().first();
        QString error;
        if (!m_port || !m_port->open(result.candidate.path, line, 0, &error)) {
            finish(m_port ? outcomeOf(m_port->openFailure()) : ProbeOutcome::Failed, error);
            return;
        }
        send("AT\r", now, kAtSeconds);
    }

    void step(double now)
    {
        if (ended)
            return;
        if (!m_port->isOpen()) {
            finish(ProbeOutcome::Gone);
            return;
        }
        if (m_port->bytesAvailable() > 0) {
            m_heard += QString::fromLatin1(m_port->readAll());
            if (m_heard.size() > kHeardLimit)
                m_heard = m_heard.right(kHeardLimit);
        }
        if (!m_port->isOpen()) {
            finish(ProbeOutcome::Gone);
            return;
        }
        if (m_stage == Stage::Wake) {
            wake(now);
            return;
        }
        const qint16 status = finalStatus(m_heard);
        if (status == kStatusNoResult && now < m_deadline)
            return;
        identify(status == kStatusNoResult ? qint16(kStatusTimeout) : status, now);
    }

    // The search ends before this device has: what it has told so far stands.
    void stop(ProbeOutcome why)
    {
        if (!ended)
            finish(m_stage == Stage::Wake ? why : ProbeOutcome::Modem);
    }

private:
    enum class Stage { Wake, Maker, Model, Sim };

    void wake(double now)
    {
        if (hasOk(m_heard)) {
            result.speed = speeds().at(m_speed);
            m_stage = Stage::Maker;
            send("AT+CGMI\r", now, kQuerySeconds);
            return;
        }
        if (now < m_deadline)
            return;
        if (++m_speed >= speeds().size()) {
            finish(ProbeOutcome::NoAnswer);
            return;
        }
        LineSettings line;
        line.speed = speeds().at(m_speed);
        QString error;
        if (!m_port->apply(line, 0, &error)) {
            // A speed the device refuses is skipped; the next one may do.
            m_deadline = now;
            return;
        }
        send("AT\r", now, kAtSeconds);
    }

    void identify(qint16 status, double now)
    {
        switch (m_stage) {
        case Stage::Wake:
            break;
        case Stage::Maker:
            result.maker = cleanName(InformationLines(m_heard, QStringLiteral("AT+CGMI")).value(0));
            m_stage = Stage::Model;
            send("AT+CGMM\r", now, kQuerySeconds);
            return;
        case Stage::Model:
            result.model = cleanName(InformationLines(m_heard, QStringLiteral("AT+CGMM")).value(0));
            m_stage = Stage::Sim;
            send("AT+CPIN?\r", now, kQuerySeconds);
            return;
        case Stage::Sim:
            result.sim = CpinReadState(m_heard, status);
            finish(ProbeOutcome::Modem);
            return;
        }
    }

    void send(const QByteArray &line, double now, double seconds)
    {
        // What came before belongs to no answer of this command (line noise at the last
        // speed, a late answer to the last command).
        m_port->clearInput();
        m_heard.clear();
        m_deadline = now + seconds;
        QString error;
        if (!m_port->write(line, &error) && !m_port->isOpen())
            finish(ProbeOutcome::Gone);
    }

    void finish(ProbeOutcome outcome, const QString &detail = {})
    {
        result.outcome = outcome;
        result.detail = detail;
        ended = true;
        close();
    }

    void close()
    {
        if (m_port && m_port->isOpen()) {
            // What a device did not take is dropped: closing a port with output pending can
            // wait for it.
            m_port->clearOutput();
            m_port->close();
        }
    }

    std::unique_ptr<SerialBackend> m_port;
    Stage m_stage = Stage::Wake;
    int m_speed = 0;
    double m_deadline = 0;
    QString m_heard;
};

const QList<int> &ModemProbe::speeds()
{
    static const QList<int> list{115200, 9600, 57600, 38400, 19200};
    return list;
}

ModemProbe::ModemProbe(QList<ProbeCandidate> candidates, PortMaker makePort, QStringList ownDevices, const InUse &inUse)
{
    QStringList own;
    for (const QString &d : ownDevices)
        own << sameDevice(d);
    for (const ProbeCandidate &c : candidates) {
        auto d = std::make_unique<Device>(c);
        if (own.contains(sameDevice(c.device)) || own.contains(sameDevice(c.path))) {
            d->result.outcome = ProbeOutcome::OwnPort;
            d->ended = true;
        } else if (const QString user = inUse ? inUse(c.device) : QString(); !user.isEmpty()) {
            d->result.outcome = ProbeOutcome::Busy;
            d->result.detail = user;
            d->ended = true;
        }
        m_devices.push_back(std::move(d));
    }
    m_makePort = std::move(makePort);
}

ModemProbe::~ModemProbe() = default;

void ModemProbe::run(const std::function<void(int, int)> &progress, const std::function<bool()> &stop)
{
    Clock &clock = platform::clock();
    const double start = clock.monotonic();
    for (auto &d : m_devices) {
        if (!d->ended)
            d->start(m_makePort, start);
    }
    const int total = int(m_devices.size());
    int lastTold = -1;
    for (;;) {
        int ended = 0;
        for (const auto &d : m_devices)
            ended += d->ended;
        if (progress && ended != lastTold)
            progress(ended, total);
        lastTold = ended;
        if (ended == total)
            return;
        const bool stopped = stop && stop();
        if (stopped || clock.monotonic() - start >= kBudgetSeconds) {
            for (auto &d : m_devices)
                d->stop(stopped ? ProbeOutcome::Stopped : ProbeOutcome::NoAnswer);
            if (progress)
                progress(total, total);
            return;
        }
        clock.yield();
        const double now = clock.monotonic();
        for (auto &d : m_devices)
            d->step(now);
    }
}

QList<ProbeResult> ModemProbe::results() const
{
    QList<ProbeResult> out;
    for (const auto &d : m_devices)
        out << d->result;
    return out;
}

QString ProbeOutcomeText(const ProbeResult &result)
{
    switch (result.outcome) {
    case ProbeOutcome::Modem:
        return QStringLiteral("Modem, %1 Baud").arg(result.speed);
    case ProbeOutcome::NoAnswer:
        return QStringLiteral("keine Antwort");
    case ProbeOutcome::Busy:
        return QStringLiteral("belegt");
    case ProbeOutcome::Denied:
        return QStringLiteral("kein Zugriff");
    case ProbeOutcome::Missing:
        return QStringLiteral("nicht vorhanden");
    case ProbeOutcome::Gone:
        return QStringLiteral("während der Suche verschwunden");
    case ProbeOutcome::OwnPort:
        return QStringLiteral("in Benutzung durch Varnix");
    case ProbeOutcome::Failed:
        return QStringLiteral("lässt sich nicht öffnen");
    case ProbeOutcome::Stopped:
        return QStringLiteral("Suche abgebrochen");
    }
    return {};
}

QString ProbeSimText(const ProbeResult &result)
{
    if (result.outcome != ProbeOutcome::Modem)
        return {};
    const SimState &s = result.sim;
    switch (s.lock) {
    case SimLock::Ready:
        return QStringLiteral("bereit");
    case SimLock::Pin:
        return QStringLiteral("PIN nötig");
    case SimLock::Puk:
        return QStringLiteral("gesperrt (PUK nötig)");
    case SimLock::NoAnswer:
        return QStringLiteral("?");
    case SimLock::Unknown:
        return QStringLiteral("unbekannt");
    case SimLock::Other:
        break;
    }
    // 27.007 9.2.1: 10 SIM not inserted, 13 SIM failure, 14 SIM busy.
    const QString code = s.code;
    if (code.endsWith(QLatin1String(": 10")) || code.contains(QLatin1String("not inserted"), Qt::CaseInsensitive))
        return QStringLiteral("keine SIM-Karte");
    if (code.endsWith(QLatin1String(": 14")) || code.contains(QLatin1String("busy"), Qt::CaseInsensitive))
        return QStringLiteral("SIM-Karte beschäftigt");
    if (code.endsWith(QLatin1String(": 13")) || code.contains(QLatin1String("failure"), Qt::CaseInsensitive))
        return QStringLiteral("SIM-Karte defekt");
    return s.code;
}
