#include "config/PortHelp.h"

#include "modem/ModemQuirks.h"

#include <QStringList>

namespace {

const QString kModemManager = QStringLiteral("ModemManager");

QString hex4(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

QString pids(const QList<qint64> &list)
{
    QStringList out;
    for (qint64 p : list)
        out << QString::number(p);
    return out.join(QStringLiteral(", "));
}

// The command as the user would run it: through pkexec where there is one, else with sudo in
// a terminal.
QString shown(const PortFacts &facts, const RootCommand &command)
{
    return facts.launcher.isEmpty() ? SudoCommandLine(command) : RootCommandLine(facts.launcher, command);
}

QString asking(const PortFacts &facts, const QString &what, const RootCommand &command)
{
    return QStringLiteral("%1\n\nVarnix führt dazu als Administrator aus (pkexec fragt nach dem Passwort):\n\n%2\n\n"
                          "Jetzt ausführen?")
        .arg(what, RootCommandLine(facts.launcher, command));
}

bool isUsbModemPort(const ProbeCandidate &c)
{
    return c.hasIds || c.device.contains(QLatin1String("ttyUSB")) || c.device.contains(QLatin1String("ttyACM"));
}

// ModemManager's part: what it does to the device, and the two ways out.
void modemManagerAdvice(const ProbeResult &result, const PortFacts &facts, bool holds, PortAdvice &advice)
{
    const ProbeCandidate &c = result.candidate;
    QStringList text;
    const QString who = QStringLiteral("ModemManager (Prozess %1)").arg(pids(facts.modemManager));
    if (result.outcome == ProbeOutcome::Busy)
        text << (holds ? QStringLiteral("%1 hält das Gerät belegt.").arg(who)
                       : QStringLiteral("Wahrscheinlich hält %1 das Gerät belegt: der Dienst öffnet jedes neue "
                                        "Modem, um es zu prüfen, und behält es oft.")
                             .arg(who));
    else
        text << QStringLiteral("%1 läuft und kann das Gerät jederzeit öffnen, um es zu prüfen; dann ist es für "
                               "Varnix belegt oder Antworten gehen verloren.")
                    .arg(who);

    const RootCommand stop{{QStringLiteral("systemctl"), QStringLiteral("stop"), kModemManager}, {}};
    text << QStringLiteral("Bis zum nächsten Systemstart beenden:\n    %1").arg(shown(facts, stop));
    advice.offers << PortOffer{
        OfferKind::StopModemManager, stop,
        asking(facts, QStringLiteral("ModemManager bis zum nächsten Systemstart beenden."), stop),
        QStringLiteral("ModemManager ist beendet, bis zum nächsten Systemstart. „Suchen“ "
                       "fragt die Geräte noch einmal.")};
    if (c.hasIds) {
        const QString file = IgnoreRuleFile(c.vendorId, c.productId);
        const RootCommand ignore{{QStringLiteral("tee"), file}, IgnoreRule(c.vendorId, c.productId)};
        text << QStringLiteral(
                    "Oder dieses Gerät (USB %1:%2) für immer übergehen lassen, mit der udev-Regel %3:\n    %4")
                    .arg(hex4(c.vendorId), hex4(c.productId), file, shown(facts, ignore));
        advice.offers << PortOffer{
            OfferKind::IgnoreDevice, ignore,
            asking(facts,
                   QStringLiteral("ModemManager soll das Gerät USB %1:%2 für immer übergehen. Dazu kommt in die "
                                  "Datei %3 diese Regel:\n\n%4")
                       .arg(hex4(c.vendorId), hex4(c.productId), file, QString::fromUtf8(ignore.input).trimmed()),
                   ignore),
            QStringLiteral("Die Regel ist angelegt. Das Modem einmal abziehen und wieder einstecken; dann übergeht "
                           "ModemManager es.")};
    }
    advice.text += text.join(QStringLiteral("\n"));
}

void accessAdvice(const ProbeResult &result, const PortFacts &facts, PortAdvice &advice)
{
    const DeviceAccess &a = facts.access;
    if (a.group.isEmpty() || a.group == QLatin1String("root")) {
        advice.text = QStringLiteral("Zugriff verweigert: %1").arg(result.detail);
        return;
    }
    if (a.processHasGroup) {
        advice.text = QStringLiteral("Zugriff verweigert, obwohl Varnix in der Gruppe %1 läuft: die Rechte des Geräts "
                                     "selbst verbieten es.")
                          .arg(a.group);
        return;
    }
    if (a.listedInGroup) {
        advice.text = QStringLiteral("Der Benutzer %1 ist in der Gruppe %2, das gilt aber erst nach einer neuen "
                                     "Anmeldung: abmelden und wieder anmelden.")
                          .arg(a.user, a.group);
        return;
    }
    const QString user = a.user.isEmpty() ? QStringLiteral("$USER") : a.user;
    const RootCommand join{{QStringLiteral("adduser"), user, a.group}, {}};
    advice.text = QStringLiteral("Das Gerät gehört der Gruppe %1, in der der Benutzer %2 nicht ist. In die Gruppe "
                                 "aufnehmen:\n    %3\nDanach abmelden und wieder anmelden: erst dann gilt die Gruppe.")
                      .arg(a.group, user, shown(facts, join));
    if (a.user.isEmpty())
        return;
    advice.offers << PortOffer{
        OfferKind::JoinGroup, join,
        asking(facts,
               QStringLiteral("Den Benutzer %1 in die Gruppe %2 aufnehmen. Das gilt erst nach einer neuen Anmeldung.")
                   .arg(user, a.group),
               join),
        QStringLiteral("Der Benutzer %1 ist jetzt in der Gruppe %2. Das gilt erst nach einer neuen Anmeldung: "
                       "abmelden und wieder anmelden, dann Varnix neu starten.")
            .arg(user, a.group)};
}

} // namespace

QString IgnoreRuleFile(quint16 vendorId, quint16 productId)
{
    return QStringLiteral("/etc/udev/rules.d/99-varnix-%1-%2.rules").arg(hex4(vendorId), hex4(productId));
}

QByteArray IgnoreRule(quint16 vendorId, quint16 productId)
{
    // ModemManager looks for ID_MM_DEVICE_IGNORE on the port and the USB device above it;
    // matching on the device's ids sets it on both.
    return QStringLiteral("# Von Varnix angelegt: ModemManager übergeht das USB-Gerät %1:%2.\n"
                          "ACTION!=\"remove\", ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", "
                          "ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n")
        .arg(hex4(vendorId), hex4(productId))
        .toUtf8();
}

PortFacts GatherPortFacts(const ProbeResult &result, const QString &procRoot, const QString &launcher,
                          const std::function<DeviceAccess(const QString &)> &access)
{
    PortFacts facts;
    facts.launcher = launcher;
    facts.holders = FindPortHolders(result.candidate.device, procRoot, &facts.unreadable);
    facts.modemManager = ProcessesNamed(kModemManager, procRoot);
    if (result.outcome == ProbeOutcome::Denied && access)
        facts.access = access(result.candidate.device);
    return facts;
}

PortAdvice AdviceFor(const ProbeResult &result, const PortFacts &facts)
{
    PortAdvice advice;
    const ProbeCandidate &c = result.candidate;
    bool managerHolds = false;
    QList<PortHolder> others;
    for (const PortHolder &h : facts.holders) {
        if (h.name == kModemManager)
            managerHolds = true;
        else
            others << h;
    }
    const bool managerRuns = !facts.modemManager.isEmpty() || managerHolds;

    switch (result.outcome) {
    case ProbeOutcome::Modem: {
        QStringList lines;
        lines << QStringLiteral("Antwortet bei %1 Baud.").arg(result.speed);
        lines << QuirksFor(result.maker, result.model).notes;
        lines
            << QStringLiteral("„Zuordnen und öffnen“ legt die gewählte COM-Nummer auf %1 und öffnet sie.").arg(c.path);
        advice.text = lines.join(QStringLiteral("\n"));
        if (managerRuns && isUsbModemPort(c)) {
            advice.text += QStringLiteral("\n\n");
            modemManagerAdvice(result, facts, managerHolds, advice);
        }
        return advice;
    }
    case ProbeOutcome::NoAnswer:
        advice.text = QStringLiteral("Auf „AT“ kam bei keiner Geschwindigkeit ein OK. Ein USB-Modem hat oft mehrere "
                                     "Schnittstellen, von denen nur eine AT-Befehle annimmt; an einer seriellen "
                                     "Schnittstelle ohne Modem antwortet niemand.");
        if (managerRuns && isUsbModemPort(c)) {
            advice.text += QStringLiteral("\n\n");
            modemManagerAdvice(result, facts, managerHolds, advice);
        }
        return advice;
    case ProbeOutcome::Busy:
        if (managerHolds || (managerRuns && others.isEmpty())) {
            modemManagerAdvice(result, facts, managerHolds, advice);
            return advice;
        }
        advice.text = others.isEmpty()
                          ? QStringLiteral("Ein anderes Programm hält das Gerät belegt (%1).").arg(result.detail)
                          : PortHolderText(others, {});
        return advice;
    case ProbeOutcome::Denied:
        accessAdvice(result, facts, advice);
        return advice;
    case ProbeOutcome::Missing:
        advice.text = QStringLiteral("Das Gerät ist nicht mehr da.");
        return advice;
    case ProbeOutcome::Gone:
        advice.text = QStringLiteral("Das Gerät ist während der Suche verschwunden (abgezogen?).");
        return advice;
    case ProbeOutcome::OwnPort:
        advice.text = QStringLiteral("Varnix hat das Gerät selbst geöffnet; es wurde nicht gefragt, damit nichts "
                                     "dazwischenkommt.");
        return advice;
    case ProbeOutcome::Failed:
        advice.text = QStringLiteral("Das Gerät lässt sich nicht öffnen: %1").arg(result.detail);
        return advice;
    case ProbeOutcome::Stopped:
        advice.text = QStringLiteral("Die Suche wurde abgebrochen, bevor das Gerät geantwortet hat.");
        return advice;
    }
    return advice;
}
