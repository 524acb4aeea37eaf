#pragma once
// The simulated GSM modem: state of the modem and its SIM, and the AT interpreter that answers
// a host the way a 27.007/27.005 modem does, byte for byte.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include "core/AtCommand.h"

#include <optional>
#include <vector>

namespace modemsim {

// Bytes the modem sends; delayMs is the pause before them, counted from the previous chunk.
struct Chunk {
    int delayMs = 0;
    QByteArray bytes;
};

// One message in the SIM's message storage.
struct StoredSms {
    QByteArray status = "REC UNREAD"; // REC UNREAD, REC READ, STO UNSENT or STO SENT
    QByteArray number;                // originator (received) or destination (stored)
    QByteArray timestamp;             // service-centre time stamp "yy/MM/dd,hh:mm:ss+zz"
    QByteArray text;                  // single-byte text, line breaks as received
    friend bool operator==(const StoredSms &, const StoredSms &) = default;
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
    QByteArray text;   // exactly as received, without the Ctrl-Z
    int reference = 0; // the message reference given in the +CMGS answer
    friend bool operator==(const SentSms &, const SentSms &) = default;
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

    // Fault modes.
    bool silent = false;  // reads everything, answers nothing (no echo either)
    QByteArray errorFor;  // command prefix answered with plain ERROR, e.g. "AT+CSQ"
    int splitPauseMs = 0; // answers come in pieces with this pause between them
    int answerDelayMs = 0; // pause before the first byte of every answer (echo is immediate)
    bool garbage = false; // a burst of line noise before every answer
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

    // A received message arrives: stored in the first free slot, announced with +CMTI.
    // Returns nothing when the storage is full (the message is not taken).
    QList<Chunk> injectSms(const StoredSms &sms);
    // An unsolicited result code such as "RING": returns CR LF, the line, CR LF.
    QList<Chunk> unsolicited(const QByteArray &line);
    const QList<SentSms> &outbox() const { return m_outbox; }

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
    int storageSize() const { return int(m_slots.size()); }
    int storageUsed() const;
    std::optional<StoredSms> slot(int index) const;
    // Stores into the given slot (0: the first free one); returns the slot, 0 when it cannot.
    int storeSms(const StoredSms &sms, int index = 0);
    void deleteSms(int index);

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

    void commandByte(char c, Output &out);
    void textByte(char c, Output &out);
    void runLine(const QByteArray &line, bool overflow, Output &out);
    void answer(Output &out, const QByteArray &bytes);
    void flushEcho(Output &out);
    QList<Chunk> finish(Output &out);
    QList<Chunk> pieces(const QByteArray &answer);
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
    void submitText(Output &out);
    void resetSettings();
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

    // V.250 settings.
    bool m_echo = true;
    bool m_verbose = true;
    bool m_quiet = false;
    int m_cmee = 0;

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
    QByteArray m_charset = "IRA";
    QMap<QByteArray, QByteArray> m_settings; // stored-only settings such as +CNMI, +CSMP
    QMap<int, int> m_sregs;
    int m_nextReference = 1;
    int m_pendingBaud = -1; // AT+IPR: the new speed applies after the OK has gone out
    std::vector<std::optional<StoredSms>> m_slots;
    QList<SentSms> m_outbox;

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
