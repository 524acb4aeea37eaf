// The commands the modem knows, and their handlers for V.250, identity, SIM and PIN, the
// network and the settings. Messages and phonebooks: ModemMessages.cpp.

#include "core/Modem.h"
#include "core/ModemText.h"

#include <algorithm>

namespace modemsim {

using at::Form;
using at::Param;

namespace {

// The forms a row's handler takes; "=?" is answered from the row's test column.
constexpr unsigned kAction = 1u << unsigned(Form::Action);
constexpr unsigned kRead = 1u << unsigned(Form::Read);
constexpr unsigned kSet = 1u << unsigned(Form::Set);
// Test column: the handler gives the "=?" answer itself, as it depends on the modem's state.
constexpr const char *kAsk = nullptr;

// AT+CMGF, AT+CSDH and AT+CSMS take one optional 0 or 1. Returns the refusal, if any.
std::optional<at::Result> oneBit(const QByteArray &args, int *value, at::Result wrongValue)
{
    QList<Param> p;
    if (!at::splitParams(args, &p) || p.size() > 1)
        return at::Result::cme(50);
    *value = 0;
    if (!p.isEmpty() && (!at::toInt(p[0], value) || *value > 1))
        return wrongValue;
    return std::nullopt;
}

} // namespace

struct Modem::CommandRow {
    const char *name;
    unsigned takes; // the forms the handler takes: kAction | kRead | kSet
    Gate gate;      // checked for every form but "=?"
    Handler handler;
    const char *test = ""; // "=?": the ranges, answered as "<name>: <test>"; "": OK alone; or kAsk
};

const Modem::CommandRow *Modem::findCommand(const QByteArray &name)
{
    using G = Gate;
    // clang-format off
    static const CommandRow rows[] = {
        // V.250 basic commands (never asked "=?").
        {"E",      kAction,                 G::None,   &Modem::echoMode},
        {"Q",      kAction,                 G::None,   &Modem::quietMode},
        {"V",      kAction,                 G::None,   &Modem::verboseMode},
        {"Z",      kAction,                 G::None,   &Modem::reset},
        {"&F",     kAction,                 G::None,   &Modem::reset},
        {"I",      kAction,                 G::None,   &Modem::identify},
        {"X",      kAction,                 G::None,   &Modem::accept},
        {"L",      kAction,                 G::None,   &Modem::accept},
        {"M",      kAction,                 G::None,   &Modem::accept},
        {"H",      kAction,                 G::None,   &Modem::accept},
        {"&C",     kAction,                 G::None,   &Modem::accept},
        {"&D",     kAction,                 G::None,   &Modem::accept},
        {"&K",     kAction,                 G::None,   &Modem::accept},
        {"&W",     kAction,                 G::None,   &Modem::storeProfile},
        {"&S",     kAction,                 G::None,   &Modem::accept},
        {"&Y",     kAction,                 G::None,   &Modem::accept},
        {"A",      kAction,                 G::None,   &Modem::noCarrier},
        {"O",      kAction,                 G::None,   &Modem::noCarrier},
        {"D",      kSet,                    G::Sim,    &Modem::dial},
        {"S",      kRead | kSet,            G::None,   &Modem::sRegister}, // S0?, S7=60: all S-registers

        // Identity.
        {"+GMI",   kAction,                 G::None,   &Modem::manufacturer},
        {"+CGMI",  kAction,                 G::None,   &Modem::manufacturer},
        {"+GMM",   kAction,                 G::None,   &Modem::model},
        {"+CGMM",  kAction,                 G::None,   &Modem::model},
        {"+GMR",   kAction,                 G::None,   &Modem::revision},
        {"+CGMR",  kAction,                 G::None,   &Modem::revision},
        {"+GSN",   kAction,                 G::None,   &Modem::serialNumber},
        {"+CGSN",  kAction,                 G::None,   &Modem::serialNumber},
        {"+CIMI",  kAction,                 G::Sim,    &Modem::imsi},
        {"+GCAP",  kAction,                 G::None,   &Modem::capabilities},

        // Errors, SIM and PIN.
        {"+CMEE",  kAction | kRead | kSet,  G::None,   &Modem::cmee,      "(0-2)"},
        {"+CPIN",  kRead | kSet,            G::None,   &Modem::cpin},
        {"+CPINR", kAction | kSet,          G::None,   &Modem::cpinr},

        // Network.
        {"+CSQ",   kAction,                 G::None,   &Modem::csq,       "(0-31,99),(0-7,99)"},
        {"+CREG",  kRead | kSet,            G::None,   &Modem::creg,      "(0-2)"},
        {"+CGREG", kRead | kSet,            G::None,   &Modem::creg,      "(0-2)"},
        {"+CGATT", kRead | kSet,            G::None,   &Modem::cgatt,     "(0,1)"},
        {"+COPS",  kRead | kSet,            G::None,   &Modem::cops,      kAsk},
        {"+CHUP",  kAction,                 G::None,   &Modem::accept},

        // SMS.
        {"+CSCA",  kRead | kSet,            G::SimSms, &Modem::csca},
        {"+CPMS",  kRead | kSet,            G::SimSms, &Modem::cpms,      "(\"SM\",\"ME\",\"SR\"),(\"SM\",\"ME\"),"
                                                                          "(\"SM\",\"ME\")"},
        {"+CMGR",  kSet,                    G::SimSms, &Modem::cmgr},
        {"+CMGL",  kAction | kSet,          G::SimSms, &Modem::cmgl,      kAsk},
        {"+CMGD",  kSet,                    G::SimSms, &Modem::cmgd,      kAsk},
        {"+CMGS",  kSet,                    G::SimSms, &Modem::cmgs},

        // Phonebooks.
        {"+CPBS",  kRead | kSet,            G::Sim,    &Modem::cpbs,      "(\"SM\",\"ON\")"},
        {"+CPBR",  kSet,                    G::Sim,    &Modem::cpbr,      kAsk},
        {"+CPBW",  kSet,                    G::Sim,    &Modem::cpbw,      kAsk},
        {"+CNUM",  kAction,                 G::Sim,    &Modem::cnum},

        // Settings the modem keeps and reports: the program sends few of them, but other tools
        // (and people at the terminal) do.
        {"+CMGF",  kRead | kSet,            G::None,   &Modem::cmgf,      "(0,1)"},
        {"+CSDH",  kRead | kSet,            G::None,   &Modem::csdh,      "(0,1)"},
        {"+CSCS",  kRead | kSet,            G::None,   &Modem::cscs,      kAsk},
        {"+CNMI",  kRead | kSet,            G::None,   &Modem::cnmi,      "(0-3),(0-3),(0-3),(0-2),(0,1)"},
        {"+CSMP",  kRead | kSet,            G::None,   &Modem::csmp},
        {"+CSMS",  kRead | kSet,            G::None,   &Modem::csms,      "(0,1)"},
        {"+CFUN",  kRead | kSet,            G::None,   &Modem::cfun,      "(0,1,4),(0,1)"},
        {"+CPAS",  kAction,                 G::None,   &Modem::cpas,      "(0-5)"},
        {"+CIND",  kRead,                   G::None,   &Modem::cind,      "(\"battchg\",(0-5)),(\"signal\",(0-5)),"
                                                                          "(\"service\",(0,1)),(\"message\",(0,1)),"
                                                                          "(\"call\",(0,1)),(\"roam\",(0,1)),"
                                                                          "(\"smsfull\",(0,1))"},
        {"+CMER",  kRead | kSet,            G::None,   &Modem::cmer,      "(0-3),(0),(0),(0,1),(0,1)"},
        {"+CBC",   kAction,                 G::None,   &Modem::cbc},
        {"+IPR",   kRead | kSet,            G::None,   &Modem::ipr,       "(),(1200,2400,4800,9600,"
                                                                          "19200,38400,57600,115200)"},
    };
    // clang-format on
    // The S-registers share one row: the number is part of the command's name.
    const bool sRegister = name.size() > 1 && name[0] == 'S' && isDigit(name[1]);
    const QByteArray key = sRegister ? QByteArray("S") : name;
    const auto it =
        std::find_if(std::begin(rows), std::end(rows), [&key](const CommandRow &row) { return key == row.name; });
    return it == std::end(rows) ? nullptr : it;
}

namespace {
bool isMessageCommand(const QByteArray &name)
{
    static const QByteArrayList names{"+CMGF", "+CMGS", "+CMGR", "+CMGL", "+CMGD", "+CMGW", "+CPMS",
                                      "+CNMI", "+CSCA", "+CSMP", "+CSDH", "+CSMS"};
    return names.contains(name);
}
} // namespace

// Unknown commands get plain ERROR, and so do known ones in a form they do not take, once the
// SIM has let them through: a locked SIM refuses a message or phonebook command in any form.
Modem::Result Modem::execute(const Command &cmd, Info &info)
{
    const CommandRow *row = findCommand(cmd.name);
    if (!row || (m_profile && m_profile->unknownCommands.contains(cmd.name)))
        return Result::error();
    // A module still reading the SIM's message part refuses the message commands (SIM800:
    // AT+CMGF=1 gives ERROR until "SMS Ready"), their test form included.
    if (m_smsStarting && isMessageCommand(cmd.name))
        return Result::error();
    if (cmd.form == Form::Test) {
        if (row->test == kAsk)
            return (this->*row->handler)(cmd, info);
        if (*row->test)
            info << cmd.name + ": " + row->test;
        return Result::ok();
    }
    if (row->gate != Gate::None) {
        if (auto refused = simGate(row->gate == Gate::SimSms))
            return *refused;
    }
    if (!(row->takes & (1u << unsigned(cmd.form))))
        return Result::error();
    return (this->*row->handler)(cmd, info);
}

// ---------------------------------------------------------------------------------------------
// V.250 basic commands: the number after the letter is in cmd.args.

namespace {

at::Result onOff(const QByteArray &a, bool *target)
{
    if (a.isEmpty() || a == "0")
        *target = false;
    else if (a == "1")
        *target = true;
    else
        return at::Result::error();
    return at::Result::ok();
}

} // namespace

Modem::Result Modem::echoMode(const Command &cmd, Info &)
{
    return onOff(cmd.args, &m_echo);
}

Modem::Result Modem::quietMode(const Command &cmd, Info &)
{
    return onOff(cmd.args, &m_quiet);
}

Modem::Result Modem::verboseMode(const Command &cmd, Info &)
{
    return onOff(cmd.args, &m_verbose);
}

// AT&F: the factory settings. ATZ: the ones AT&W stored (the factory ones until then).
Modem::Result Modem::reset(const Command &cmd, Info &)
{
    if (!cmd.args.isEmpty() && cmd.args != "0")
        return Result::error();
    if (cmd.name == "&F") {
        resetSettings();
        return Result::ok();
    }
    m_echo = m_stored.echo;
    m_verbose = m_stored.verbose;
    m_quiet = m_stored.quiet;
    m_cmee = m_stored.cmee;
    if (m_profile && m_profile->echoOnReset)
        m_echo = true;
    return Result::ok();
}

Modem::Result Modem::storeProfile(const Command &cmd, Info &)
{
    if (!cmd.args.isEmpty() && cmd.args != "0")
        return Result::error();
    m_stored = {m_echo, m_verbose, m_quiet, m_cmee};
    return Result::ok();
}

Modem::Result Modem::identify(const Command &cmd, Info &info)
{
    const QByteArray &a = cmd.args;
    if (a.isEmpty() || a == "0") {
        info << m_cfg.manufacturer + ' ' + m_cfg.model << "Revision: " + m_cfg.revision;
    } else if (a == "3") {
        info << m_cfg.revision;
    }
    return Result::ok();
}

// Commands that change nothing the modem simulates.
Modem::Result Modem::accept(const Command &, Info &)
{
    return Result::ok();
}

// Answering or going back on line: there is never a call.
Modem::Result Modem::noCarrier(const Command &, Info &)
{
    return {Result::NoCarrier, 0};
}

Modem::Result Modem::dial(const Command &, Info &)
{
    return registered() ? Result{Result::NoCarrier, 0} : Result::cme(30);
}

Modem::Result Modem::sRegister(const Command &cmd, Info &info)
{
    const int reg = cmd.name.mid(1).toInt();
    if (!m_sregs.contains(reg))
        return Result::error();
    if (cmd.form == Form::Read) {
        info << num(m_sregs[reg]).rightJustified(3, '0');
        return Result::ok();
    }
    bool ok = false;
    const int v = cmd.args.toInt(&ok);
    if (!ok || v > 255)
        return Result::error();
    m_sregs[reg] = v;
    return Result::ok();
}

// ---------------------------------------------------------------------------------------------
// Identity

Modem::Result Modem::manufacturer(const Command &, Info &info)
{
    info << m_cfg.manufacturer;
    return Result::ok();
}

Modem::Result Modem::model(const Command &, Info &info)
{
    info << m_cfg.model;
    return Result::ok();
}

Modem::Result Modem::revision(const Command &, Info &info)
{
    info << m_cfg.revision;
    return Result::ok();
}

Modem::Result Modem::serialNumber(const Command &, Info &info)
{
    info << m_cfg.imei;
    return Result::ok();
}

Modem::Result Modem::imsi(const Command &, Info &info)
{
    info << m_cfg.imsi;
    return Result::ok();
}

Modem::Result Modem::capabilities(const Command &, Info &info)
{
    info << "+GCAP: +CGSM";
    return Result::ok();
}

// ---------------------------------------------------------------------------------------------
// Errors, SIM and PIN

Modem::Result Modem::cmee(const Command &cmd, Info &info)
{
    switch (cmd.form) {
    case Form::Read: info << "+CMEE: " + num(m_cmee); return Result::ok();
    case Form::Action: m_cmee = 0; return Result::ok();
    case Form::Test:
    case Form::Set: break;
    }
    QList<Param> p;
    int v = 0;
    if (!at::splitParams(cmd.args, &p) || p.size() > 1)
        return Result::cme(50);
    if (p.isEmpty())
        v = 0;
    else if (!at::toInt(p[0], &v) || v > 2)
        return Result::cme(50);
    m_cmee = v;
    return Result::ok();
}

Modem::Result Modem::cpin(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        switch (m_sim) {
        case SimState::Ready: info << "+CPIN: READY"; break;
        case SimState::PinRequired: info << "+CPIN: SIM PIN"; break;
        case SimState::PukRequired: info << "+CPIN: SIM PUK"; break;
        case SimState::Blocked: return Result::cme(13);
        }
        return Result::ok();
    }
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 2)
        return Result::cme(50);
    auto wellFormed = [](const QByteArray &code) {
        if (code.size() < 4 || code.size() > 8)
            return false;
        return std::all_of(code.begin(), code.end(), isDigit);
    };
    switch (m_sim) {
    case SimState::Blocked:
        return Result::cme(13);
    case SimState::Ready:
        return Result::cme(3);
    case SimState::PinRequired:
        if (p.size() != 1)
            return Result::cme(3);
        if (!wellFormed(p[0].value))
            return Result::cme(50);
        if (p[0].value != m_pin) {
            if (--m_pinTries <= 0)
                m_sim = SimState::PukRequired;
            return Result::cme(16);
        }
        m_pinTries = 3;
        m_sim = SimState::Ready;
        m_cregQueries = 0;
        m_home = false;
        simOpened();
        return Result::ok();
    case SimState::PukRequired:
        if (p.size() != 2)
            return Result::cme(12);
        if (p[0].value.size() != 8 || !std::all_of(p[0].value.begin(), p[0].value.end(), isDigit)
            || !wellFormed(p[1].value)) {
            return Result::cme(50);
        }
        if (p[0].value != m_cfg.puk) {
            if (--m_pukTries <= 0)
                m_sim = SimState::Blocked;
            return Result::cme(16);
        }
        m_pin = p[1].value;
        m_pinTries = 3;
        m_pukTries = 10;
        m_sim = SimState::Ready;
        m_cregQueries = 0;
        m_home = false;
        simOpened();
        return Result::ok();
    }
    return Result::error();
}

// 27.007 +CPINR[=<sel_code>]: one line "+CPINR: <code>,<retries>,<default_retries>" per code
// the selection names ("SIM PIN", "SIM P*"); answered whatever the SIM state.
Modem::Result Modem::cpinr(const Command &cmd, Info &info)
{
    QByteArray sel = "*";
    QList<Param> p;
    if (cmd.form == Form::Set && (!at::splitParams(cmd.args, &p) || p.size() != 1))
        return Result::cme(50);
    if (!p.isEmpty())
        sel = p[0].value;
    const auto wanted = [&sel](const QByteArray &code) {
        return sel == code || (sel.endsWith('*') && code.startsWith(sel.chopped(1)));
    };
    if (wanted("SIM PIN"))
        info << "+CPINR: SIM PIN," + num(m_pinTries) + ",3";
    if (wanted("SIM PUK"))
        info << "+CPINR: SIM PUK," + num(m_pukTries) + ",10";
    return Result::ok();
}

// ---------------------------------------------------------------------------------------------
// Network

Modem::Result Modem::csq(const Command &, Info &info)
{
    info << "+CSQ: " + num(m_cfg.rssi) + ',' + num(m_cfg.ber);
    return Result::ok();
}

// +CREG (circuit-switched) and +CGREG (packet) registration share one network state.
Modem::Result Modem::creg(const Command &cmd, Info &info)
{
    const bool packet = cmd.name == "+CGREG";
    int &mode = packet ? m_cgregMode : m_cregMode;
    if (cmd.form == Form::Set) {
        QList<Param> p;
        int v = 0;
        if (!at::splitParams(cmd.args, &p) || p.size() > 1 || (!p.isEmpty() && (!at::toInt(p[0], &v) || v > 2)))
            return Result::cme(50);
        mode = v;
        return Result::ok();
    }
    // Registration starts when the SIM is unlocked; the modem searches for a while (counted in
    // +CREG queries, so that a test knows how many "searching" answers to expect), then is home.
    int stat = 0;
    if (m_sim == SimState::Ready) {
        if (m_cregQueries < m_cfg.cregSearchQueries) {
            stat = 2;
            if (!packet)
                ++m_cregQueries;
        } else {
            stat = 1;
            m_home = true;
        }
    }
    QByteArray line = cmd.name + ": " + num(mode) + ',' + num(stat);
    if (mode == 2 && stat == 1)
        line += ",\"1A2B\",\"3C4D\"";
    info << line;
    return Result::ok();
}

Modem::Result Modem::cgatt(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+CGATT: " + num(registered() ? 1 : 0);
        return Result::ok();
    }
    return cmd.args.trimmed() == "0" || cmd.args.trimmed() == "1" ? Result::ok() : Result::cme(50);
}

Modem::Result Modem::cops(const Command &cmd, Info &info)
{
    const QByteArray &name = m_cfg.operatorName;
    switch (cmd.form) {
    case Form::Test:
        info << "+COPS: (2," + quoted(name) + ',' + quoted(name.left(8)) + ',' + quoted(m_cfg.operatorNumeric)
                + "),,(0-4),(0-2)";
        return Result::ok();
    case Form::Read:
        if (!registered()) {
            info << "+COPS: 0";
        } else {
            const QByteArray oper = m_copsFormat == 2 ? m_cfg.operatorNumeric
                                  : m_copsFormat == 1 ? name.left(8)
                                                      : name;
            info << "+COPS: 0," + num(m_copsFormat) + ',' + quoted(oper);
        }
        return Result::ok();
    case Form::Action:
    case Form::Set: break;
    }
    QList<Param> p;
    int mode = 0;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || !at::toInt(p[0], &mode))
        return Result::cme(50);
    if (mode == 0)
        return Result::ok();
    if (mode == 3) {
        int format = 0;
        if (p.size() != 2 || !at::toInt(p[1], &format) || format > 2)
            return Result::cme(50);
        m_copsFormat = format;
        return Result::ok();
    }
    return Result::cme(3);
}

// ---------------------------------------------------------------------------------------------
// Settings

Modem::Result Modem::cmgf(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+CMGF: " + num(m_textMode ? 1 : 0);
        return Result::ok();
    }
    int v = 0;
    if (auto refused = oneBit(cmd.args, &v, Result::cme(50)))
        return *refused;
    m_textMode = v == 1;
    return Result::ok();
}

Modem::Result Modem::csdh(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+CSDH: " + num(m_showHeader ? 1 : 0);
        return Result::ok();
    }
    int v = 0;
    if (auto refused = oneBit(cmd.args, &v, Result::cms(302)))
        return *refused;
    m_showHeader = v == 1;
    return Result::ok();
}

// Phase 2+ message service is claimed, but nothing depends on it.
Modem::Result Modem::csms(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+CSMS: 0,1,1,1";
        return Result::ok();
    }
    int v = 0;
    if (auto refused = oneBit(cmd.args, &v, Result::cms(302)))
        return *refused;
    info << "+CSMS: 1,1,1";
    return Result::ok();
}

// The character set of texts between the modem and the host: message texts and addresses in
// text mode, phonebook names.
Modem::Result Modem::cscs(const Command &cmd, Info &info)
{
    static const QList<QByteArray> standard = {"GSM", "IRA", "8859-1", "PCCP437", "UCS2", "HEX"};
    const QList<QByteArray> &sets = m_profile && !m_profile->charsets.isEmpty() ? m_profile->charsets : standard;
    if (cmd.form == Form::Test) {
        QByteArrayList names;
        for (const QByteArray &s : sets)
            names << quoted(s);
        info << "+CSCS: (" + names.join(',') + ')';
        return Result::ok();
    }
    if (cmd.form == Form::Read)
        return keptSetting(cmd, info, 1);
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() != 1 || !sets.contains(p[0].value.toUpper()))
        return Result::cme(50);
    m_charset = te::charsetNamed(p[0].value).value_or(te::Charset::Ira);
    m_settings[cmd.name] = quoted(p[0].value.toUpper());
    return Result::ok();
}

// 27.005 +CNMI=[<mode>[,<mt>[,<bm>[,<ds>[,<bfr>]]]]]: how new messages and status reports are
// indicated. A parameter left out keeps its value.
Modem::Result Modem::cnmi(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        QByteArrayList values;
        for (int v : m_cnmi)
            values << num(v);
        info << "+CNMI: " + values.join(',');
        return Result::ok();
    }
    static const int maxima[5] = {3, 3, 3, 2, 1};
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() > 5)
        return Result::cms(303);
    int values[5];
    std::copy(std::begin(m_cnmi), std::end(m_cnmi), values);
    for (int i = 0; i < p.size(); ++i) {
        if (p[i].given() && (!at::toInt(p[i], &values[i]) || values[i] > maxima[i]))
            return Result::cms(303);
    }
    std::copy(std::begin(values), std::end(values), m_cnmi);
    // Entering a mode that forwards: what the modem held goes out now (<bfr> 0) or is dropped.
    if (m_cnmi[0] != 0) {
        if (m_cnmi[4] == 0)
            flushIndications();
        else
            m_heldIndications.clear();
    }
    return Result::ok();
}

// 27.007 +CIND?: battery, signal (0-5), service, message, call, roam, storage full.
Modem::Result Modem::cind(const Command &, Info &info)
{
    const int signal = m_cfg.rssi == 99 ? 0 : qMin(5, (m_cfg.rssi + 5) / 6);
    const bool full = storageUsed(m_mem[2]) >= storageSize(m_mem[2]);
    info << "+CIND: 5," + num(signal) + ',' + num(registered() ? 1 : 0) + ",0,0,0," + num(full ? 1 : 0);
    return Result::ok();
}

// 27.007 +CMER=[<mode>[,<keyp>[,<disp>[,<ind>[,<bfr>]]]]]: with <mode> and <ind> set, a change
// of an indicator comes as +CIEV (here: the storage becoming full, 7).
Modem::Result Modem::cmer(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+CMER: " + num(m_cmer[0]) + ",0,0," + num(m_cmer[1]) + ",0";
        return Result::ok();
    }
    static const int maxima[5] = {3, 0, 0, 1, 1};
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() > 5)
        return Result::cme(50);
    int values[5] = {m_cmer[0], 0, 0, m_cmer[1], 0};
    for (int i = 0; i < p.size(); ++i) {
        if (p[i].given() && (!at::toInt(p[i], &values[i]) || values[i] > maxima[i]))
            return Result::cme(50);
    }
    m_cmer[0] = values[0];
    m_cmer[1] = values[3];
    return Result::ok();
}

Modem::Result Modem::csmp(const Command &cmd, Info &info)
{
    return keptSetting(cmd, info, 4);
}

Modem::Result Modem::cfun(const Command &cmd, Info &info)
{
    return keptSetting(cmd, info, 2);
}

Modem::Result Modem::cpas(const Command &, Info &info)
{
    info << "+CPAS: 0";
    return Result::ok();
}

Modem::Result Modem::cbc(const Command &, Info &info)
{
    info << "+CBC: 0,100";
    return Result::ok();
}

Modem::Result Modem::ipr(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+IPR: " + num(m_cfg.baud);
        return Result::ok();
    }
    static const QList<int> speeds = {0, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    QList<Param> p;
    int v = 0;
    if (!at::splitParams(cmd.args, &p) || p.size() != 1 || !at::toInt(p[0], &v) || !speeds.contains(v))
        return Result::cme(50);
    m_pendingBaud = v;
    return Result::ok();
}

// A setting kept as given (numbers or quoted strings) and read back as it was set.
Modem::Result Modem::keptSetting(const Command &cmd, Info &info, int maxParams)
{
    if (cmd.form == Form::Read) {
        info << cmd.name + ": " + m_settings.value(cmd.name);
        return Result::ok();
    }
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() > maxParams)
        return Result::cme(50);
    QByteArrayList values;
    int v = 0;
    for (const Param &param : p) {
        if (param.given() && !param.quoted && !at::toInt(param, &v))
            return Result::cme(50);
        values << (param.quoted ? quoted(param.value) : param.value);
    }
    m_settings[cmd.name] = values.join(',');
    return Result::ok();
}

} // namespace modemsim
