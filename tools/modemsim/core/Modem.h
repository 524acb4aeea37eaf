#pragma once
// The simulated GSM modem: state of the modem and its SIM, and the AT interpreter that answers
// a host the way a 27.007/27.005 modem does, byte for byte.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include "core/AtCommand.h"
#include "core/Charsets.h"
#include "core/Pdu.h"
#include "core/Profiles.h"
#include "core/SmsCoding.h"

#include <optional>
#include <vector>

namespace modemsim {

// Bytes the modem sends; delayMs is the pause before them, counted from the previous chunk.
struct Chunk {
    int delayMs = 0;
    QByteArray bytes;
};

// One message in a message storage.
struct StoredSms {
    StoredSms(QByteArray status = "REC UNREAD", QByteArray number = {}, QByteArray timestamp = {}, QByteArray text = {})
        : status(std::move(status)), number(std::move(number)), timestamp(std::move(timestamp)), text(std::move(text))
    {
    }
    QByteArray status;                // REC UNREAD, REC READ, STO UNSENT or STO SENT
    QByteArray number;                // originator (received) or destination (stored)
    QByteArray timestamp;             // service-centre time stamp "yy/MM/dd,hh:mm:ss+zz"
    QByteArray text;                  // single-byte text, line breaks as received
    // A message as the network coded it: its TP-User-Data (text above: its Windows-1252 view).
    // Without it the message is the bytes of `text`, shown as they stand in text mode.
    std::optional<coding::UserData> ud;
    // A status report (storage "SR") instead of a message.
    std::optional<pdu::StatusReport> report;
    friend bool operator==(const StoredSms &, const StoredSms &) = default;
};

// A message the network brings: the modem codes it as a network does (coding::split) and stores
// or routes each part as +CNMI says.
struct Incoming {
    QByteArray number;    // originator, as on the line (Windows-1252)
    QString text;         // 8-bit data: one character per octet (U+0000 to U+00FF)
    QByteArray timestamp; // empty: the network's time when the part arrives
    QByteArray status = "REC UNREAD";
    std::optional<coding::Alphabet> alphabet; // empty: GSM 7-bit when every character fits, else UCS2
    std::optional<bool> wideReference;        // 16-bit concatenation reference; empty: Config's
    int reference = -1;                       // -1: the network's next
    QList<int> parts;                         // the parts that arrive, in this order (gaps allowed); empty: all
    QMap<int, int> laterMs;                   // part -> how long after the others it comes
    int slot = 0;                             // the slot of the first part stored; 0: the first free one
};

// A message as it reached its recipient, for the outbox.
struct Arrival {
    QByteArray number;
    QByteArray bytes;  // text mode: the text bytes exactly as received
    QString text;      // PDU mode: the decoded text, all parts joined
    int parts = 0;     // PDU mode: how many parts were joined; 0: sent in text mode
    bool data = false; // 8-bit data: `text` holds the octets in hex
    friend bool operator==(const Arrival &, const Arrival &) = default;
};

// One location of a phonebook. The number is kept as the modem shows it: with a leading '+'
// exactly when the type is 145 (international).
struct PhoneEntry {
    QByteArray number;
    int type = 129;
    QByteArray name;
    friend bool operator==(const PhoneEntry &, const PhoneEntry &) = default;
};

// One message submitted with AT+CMGS.
struct SentSms {
    QByteArray number;
    QByteArray text;   // text mode: exactly as received, without the Ctrl-Z; PDU mode: UTF-8
    int reference = 0; // the message reference given in the +CMGS answer
    friend bool operator==(const SentSms &, const SentSms &) = default;
};

// What an answer's command costs in time: every command line beginning with `command` (as for
// Config::errorFor) is answered `ms` later.
struct CommandDelay {
    QByteArray command;
    int ms = 0;
};

struct Config {
    QByteArray pin = "1234"; // empty: the SIM asks for no PIN
    QByteArray puk = "12345678";
    QByteArray operatorName = "Varnix Mobil";
    QByteArray operatorNumeric = "26299";
    int rssi = 21;
    int ber = 99;
    int storageSize = 30;
    int cregSearchQueries = 2;      // +CREG: 0,2 for this many queries after the PIN, then 0,1
    bool emptySlotCmsError = false; // AT+CMGR on an empty slot: OK alone, or +CMS ERROR: 321
    QByteArray smsc = "+491710760000";
    int baud = 9600; // 0: autobauding, any host speed is understood
    QByteArray manufacturer = "Varnix";
    QByteArray model = "VXM-900";
    QByteArray revision = "VXM-900 R01.04";
    QByteArray imei = "356938035643809";
    QByteArray imsi = "262990123456789";
    QByteArray ownNumber;   // entry 1 of the "ON" phonebook; empty: none
    int phonebookSize = 250; // locations of "SM"
    int ownNumberSize = 4;   // locations of "ON"
    int meStorageSize = 100; // slots of the message storage "ME"
    int reportStorageSize = 10; // slots of the status-report storage "SR"
    QByteArray profile;         // quirks of a known modem (Profiles.h); empty or unknown: none

    // The network.
    bool wideReference = false;            // long messages arrive with 16-bit references
    int reportDelayMs = 5000;              // a status report follows its message this long after +CMGS
    quint8 reportStatus = pdu::kDelivered; // TP-ST of the reports
    QByteArray networkTime;                // time stamp of arrivals and reports; empty: the computer's clock

    // Fault modes.
    bool silent = false;  // reads everything, answers nothing (no echo either)
    QByteArray errorFor;  // command prefix answered with plain ERROR, e.g. "AT+CSQ"
    int splitPauseMs = 0; // answers come in pieces with this pause between them
    int answerDelayMs = 0; // pause before the first byte of every answer (echo is immediate)
    bool garbage = false; // a burst of line noise before every answer
    QList<CommandDelay> commandDelays; // more pause for some commands' answers
    QList<QByteArray> mixLines;        // unsolicited lines put inside answers, in turn ...
    int mixEvery = 0;                  // ... inside every so many answers (0: the profile's, if any; <0: none)
};

enum class SimState { PinRequired, PukRequired, Ready, Blocked };

class Modem {
public:
    explicit Modem(Config cfg = {});

    // Bytes the host wrote; returns what the modem sends back.
    QList<Chunk> receive(const QByteArray &fromHost);
    // The speed the host's line runs at. Any other than the modem's own: the modem hears
    // garbled bytes (and understands no command), the host hears garbled answers.
    void setHostBaud(int baud);
    int hostBaud() const { return m_hostBaud; }
    int baud() const { return m_cfg.baud; }
    bool baudMatches() const;

    // A received message arrives as it stands: stored in the first free slot of the receive
    // storage and announced as +CNMI says (+CMTI at power-up). Returns nothing when the
    // storage is full (the message is not taken).
    QList<Chunk> injectSms(const StoredSms &sms);
    // A message from the network, coded as the network codes it: the parts due now are stored
    // (or routed) and announced; later ones fall due on the modem's clock. A part that finds the
    // receive storage full waits at the network until a slot is freed, as on a real network.
    // Fails (delivering nothing) on a text the chosen alphabet cannot carry or a taken slot.
    QList<Chunk> deliver(const Incoming &msg, QString *error = nullptr);
    // The same message put into the receive storage at once, unannounced (a file at start).
    bool preload(const Incoming &msg, QString *error = nullptr);
    // The parts a message arrives in, in the order they arrive, and the delay of each.
    QList<StoredSms> code(const Incoming &msg, QString *error = nullptr);
    // An unsolicited result code such as "RING": returns CR LF, the line, CR LF.
    QList<Chunk> unsolicited(const QByteArray &line);
    // What the modem says at power-up (a profile's start lines); later ones fall due on its clock.
    QList<Chunk> powerOn();
    const QList<SentSms> &outbox() const { return m_outbox; }
    // Every message that reached its recipient, in order: a concatenated one once all parts are in.
    const QList<Arrival> &arrivals() const { return m_arrivals; }

    // The modem's clock in milliseconds. Status reports, later parts and a profile's lines fall
    // due on it; the host moves it on and gets what fell due.
    QList<Chunk> advanceTo(qint64 ms);
    qint64 now() const { return m_now; }
    qint64 nextDue() const; // -1: nothing waits

    const Config &config() const { return m_cfg; }

    // Interpreter state.
    bool echo() const { return m_echo; }
    int cmeeMode() const { return m_cmee; }
    bool textMode() const { return m_textMode; }
    bool inTextEntry() const { return m_entry.active; }

    // SIM and network.
    SimState simState() const { return m_sim; }
    QByteArray pin() const { return m_pin; }
    int pinTriesLeft() const { return m_pinTries; }
    int pukTriesLeft() const { return m_pukTries; }
    bool registered() const;
    QByteArray smsc() const { return m_smsc; }

    // Message storage "SM", slots 1 to storageSize().
    int storageSize() const { return storageSize("SM"); }
    int storageUsed() const { return storageUsed("SM"); }
    std::optional<StoredSms> slot(int index) const { return slot("SM", index); }
    // Stores into the given slot (0: the first free one); returns the slot, 0 when it cannot.
    int storeSms(const StoredSms &sms, int index = 0) { return storeSms("SM", sms, index); }
    void deleteSms(int index) { deleteSms("SM", index); }
    // The storages "SM", "ME" and "SR" (status reports).
    int storageSize(const QByteArray &mem) const;
    int storageUsed(const QByteArray &mem) const;
    std::optional<StoredSms> slot(const QByteArray &mem, int index) const;
    int storeSms(const QByteArray &mem, const StoredSms &sms, int index = 0);
    void deleteSms(const QByteArray &mem, int index);
    // <mem1> (read, delete), <mem2> (write, send) and <mem3> (receive) of +CPMS.
    QByteArray memory(int which) const { return m_mem[qBound(0, which - 1, 2)]; }
    te::Charset charset() const { return m_charset; }

    // Phonebooks "SM" and "ON", locations from 1.
    QByteArray phonebook() const { return m_book; }
    int phonebookSize(const QByteArray &book) const;
    int phonebookUsed(const QByteArray &book) const;
    std::optional<PhoneEntry> phoneEntry(const QByteArray &book, int index) const;
    // Writes into the given location (0: the first free one); returns it, 0 when it cannot.
    int writePhoneEntry(const QByteArray &book, const PhoneEntry &entry, int index = 0);

    // A command line longer than this is refused with ERROR; text after the "> " prompt is
    // refused beyond maxTextLength septets (one SMS in the GSM 7-bit alphabet).
    static constexpr int maxLineLength = 1024;
    static constexpr int maxTextLength = 160;
    static constexpr int maxNumberLength = 40; // phonebook numbers
    static constexpr int maxNameLength = 18;   // phonebook names

private:
    using Command = at::Command;
    using Result = at::Result;
    using Info = QList<QByteArray>;
    struct Output {
        QList<Chunk> chunks;
        QByteArray echo; // echoed bytes not yet handed out
    };
    struct TextEntry;

    void commandByte(char c, Output &out);
    void textByte(char c, Output &out);
    void runLine(const QByteArray &line, bool overflow, Output &out);
    void answer(Output &out, const QByteArray &bytes, int extraDelayMs = 0);
    void flushEcho(Output &out);
    QList<Chunk> finish(Output &out);
    QList<Chunk> pieces(const QByteArray &answer, int extraDelayMs = 0);
    int commandDelay(const QByteArray &commandText) const;
    QByteArray noise();
    QByteArray toHost(const QByteArray &bytes) const;

    // The commands the modem knows are one table of rows, name -> handler (ModemCommands.cpp).
    // A handler is called for the forms its row takes, after the row's SIM check.
    using Handler = Result (Modem::*)(const Command &, Info &);
    enum class Gate { None, Sim, SimSms }; // SIM must be open; refusals as +CME or +CMS ERROR
    struct CommandRow;
    static const CommandRow *findCommand(const QByteArray &name);
    Result execute(const Command &cmd, Info &info);

    // V.250 basic commands.
    Result echoMode(const Command &cmd, Info &info);
    Result quietMode(const Command &cmd, Info &info);
    Result verboseMode(const Command &cmd, Info &info);
    Result reset(const Command &cmd, Info &info);
    Result identify(const Command &cmd, Info &info);
    Result accept(const Command &cmd, Info &info);
    Result noCarrier(const Command &cmd, Info &info);
    Result dial(const Command &cmd, Info &info);
    Result sRegister(const Command &cmd, Info &info);
    // Identity.
    Result manufacturer(const Command &cmd, Info &info);
    Result model(const Command &cmd, Info &info);
    Result revision(const Command &cmd, Info &info);
    Result serialNumber(const Command &cmd, Info &info);
    Result imsi(const Command &cmd, Info &info);
    Result capabilities(const Command &cmd, Info &info);
    // Errors, SIM and PIN.
    Result cmee(const Command &cmd, Info &info);
    Result cpin(const Command &cmd, Info &info);
    Result cpinr(const Command &cmd, Info &info);
    // Network.
    Result csq(const Command &cmd, Info &info);
    Result creg(const Command &cmd, Info &info);
    Result cgatt(const Command &cmd, Info &info);
    Result cops(const Command &cmd, Info &info);
    // Settings the modem keeps and reports.
    Result cmgf(const Command &cmd, Info &info);
    Result csdh(const Command &cmd, Info &info);
    Result cscs(const Command &cmd, Info &info);
    Result cnmi(const Command &cmd, Info &info);
    Result csmp(const Command &cmd, Info &info);
    Result csms(const Command &cmd, Info &info);
    Result cfun(const Command &cmd, Info &info);
    Result cpas(const Command &cmd, Info &info);
    Result cbc(const Command &cmd, Info &info);
    Result ipr(const Command &cmd, Info &info);
    Result keptSetting(const Command &cmd, Info &info, int maxParams);
    // SMS (ModemMessages.cpp).
    Result csca(const Command &cmd, Info &info);
    Result cpms(const Command &cmd, Info &info);
    Result cind(const Command &cmd, Info &info);
    Result cmer(const Command &cmd, Info &info);
    Result storeProfile(const Command &cmd, Info &info);
    Result cmgr(const Command &cmd, Info &info);
    Result cmgl(const Command &cmd, Info &info);
    Result cmgd(const Command &cmd, Info &info);
    Result cmgs(const Command &cmd, Info &info);
    // Phonebooks (ModemMessages.cpp).
    Result cpbs(const Command &cmd, Info &info);
    Result cpbr(const Command &cmd, Info &info);
    Result cpbw(const Command &cmd, Info &info);
    Result cnum(const Command &cmd, Info &info);

    std::optional<Result> simGate(bool sms) const;
    QByteArray finalText(const Result &r) const;
    QByteArray infoText(const Info &lines) const;
    QByteArray messageHeader(int index, const StoredSms &sms, bool list) const;
    Info messageLines(int index, const StoredSms &sms, bool list) const;
    QByteArray routedLines(const StoredSms &sms) const;
    QByteArray reportFields(const pdu::StatusReport &report) const;
    QByteArray tpduOf(const StoredSms &sms) const;
    QByteArray textData(const StoredSms &sms) const;
    QByteArray teText(const QByteArray &lineBytes) const;
    void submitText(Output &out);
    std::optional<Result> submitPdu(const TextEntry &entry, int reference);
    std::optional<Result> submitTextMode(const TextEntry &entry, int reference);
    void scheduleReport(const QByteArray &number, int reference);
    void resetSettings();
    void applyProfile();

    // Unsolicited output. SMS indications go through +CNMI (buffered or dropped while the
    // modem is in a state that holds them); the others go out as they come.
    QByteArray urcText(const QByteArray &lines) const;
    void sendUrc(const QByteArray &lines);
    void indicate(const QByteArray &lines);
    void flushIndications();
    QList<Chunk> takeUrcs();
    void receivePart(const StoredSms &part, int slot = 0);
    void routeStatusReport(const pdu::StatusReport &report);
    void freedSlot(const QByteArray &mem);
    void storageFull(const QByteArray &mem);
    void simOpened();
    QByteArray profileLine(const QByteArray &line, const QByteArray &mem = {}) const;
    void scheduleLines(const QList<TimedLine> &lines);
    void fireEvent();
    bool entryReserved() const { return m_entry.active; }
    int phonebookLimit(const QByteArray &book) const;
    QByteArray toTe(const QByteArray &text) const;
    bool fromTe(const QByteArray &text, QByteArray *out) const;

    Config m_cfg;
    int m_hostBaud = 0;

    // Command line.
    QByteArray m_line;
    QByteArray m_lastLine;
    bool m_overflow = false;
    bool m_skipLf = false;

    // V.250 settings, and the profile AT&W stored for ATZ.
    bool m_echo = true;
    bool m_verbose = true;
    bool m_quiet = false;
    int m_cmee = 0;
    struct Stored {
        bool echo = true;
        bool verbose = true;
        bool quiet = false;
        int cmee = 0;
    } m_stored;
    const Profile *m_profile = nullptr;
    bool m_smsStarting = false; // the SIM has opened, the profile's SMS ready line has not come yet
    qint64 m_answers = 0; // answers given, for Config::mixEvery
    int m_nextMix = 0;

    // SIM.
    SimState m_sim = SimState::PinRequired;
    QByteArray m_pin;
    int m_pinTries = 3;
    int m_pukTries = 10;

    // Network.
    int m_cregMode = 0;
    int m_cgregMode = 0;
    int m_cregQueries = 0;
    bool m_home = false;
    int m_copsFormat = 0;

    // SMS.
    bool m_textMode = false;
    bool m_showHeader = false; // +CSDH
    QByteArray m_smsc;
    int m_smscType = 145;
    te::Charset m_charset = te::Charset::Ira;
    QMap<QByteArray, QByteArray> m_settings; // stored-only settings such as +CSMP, +CFUN
    int m_cnmi[5] = {2, 1, 0, 0, 0};         // <mode>, <mt>, <bm>, <ds>, <bfr>
    int m_cmer[2] = {0, 0};                  // <mode>, <ind> of +CMER
    QMap<int, int> m_sregs;
    int m_nextReference = 1;
    int m_nextConcat = 1;   // the network's next reference of a long message
    int m_pendingBaud = -1; // AT+IPR: the new speed applies after the OK has gone out
    QMap<QByteArray, std::vector<std::optional<StoredSms>>> m_stores; // "SM", "ME", "SR"
    QByteArray m_mem[3] = {"SM", "SM", "SM"};
    QMap<QByteArray, QList<StoredSms>> m_waiting; // parts the network holds while a storage is full
    QList<QByteArray> m_fullReported;             // storages whose fullness was announced
    QList<SentSms> m_outbox;
    QList<Arrival> m_arrivals;
    // Parts of a long message sent in PDU mode, by number and reference, until all are in.
    struct Assembly {
        QByteArray number;
        int reference = 0;
        bool wide = false;
        int total = 0;
        QMap<int, QString> parts;
        bool data = false;
    };
    QList<Assembly> m_assemblies;

    // Unsolicited output not yet handed out, and SMS indications +CNMI holds back.
    QByteArray m_urcs;
    QList<QByteArray> m_heldIndications;

    // The modem's clock and what falls due on it.
    struct Event {
        qint64 due = 0;
        qint64 order = 0;
        enum Kind { Part, Report, Line, Periodic } kind = Line;
        StoredSms part;
        int slot = 0;
        pdu::StatusReport report;
        QByteArray line;
    };
    qint64 m_now = 0;
    qint64 m_eventOrder = 0;
    std::vector<Event> m_events;
    int m_nextPeriodic = 0;

    struct TextEntry {
        bool active = false;
        QByteArray number;
        QByteArray text;
        bool overflow = false;
        bool pdu = false; // PDU mode: text is the hex of an SMS-SUBMIT of `length` octets
        int length = 0;
    } m_entry;

    // Phonebooks.
    QByteArray m_book = "SM";
    QMap<QByteArray, std::vector<std::optional<PhoneEntry>>> m_books;

    mutable quint32 m_noiseSeed = 0x2545F491u;
};

} // namespace modemsim
