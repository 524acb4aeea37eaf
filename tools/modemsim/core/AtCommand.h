#pragma once
// Splitting one AT command line into its commands and their parameters (V.250 syntax).

#include <QByteArray>
#include <QList>

namespace modemsim::at {

enum class Form {
    Action, // AT+CSQ, ATE0
    Read,   // AT+CMGF?
    Test,   // AT+CPBR=?
    Set,    // AT+CMGR=3
};

struct Command {
    QByteArray name;  // upper case: "+CSQ", "E", "&F", "S3", "D"
    Form form = Form::Action;
    QByteArray args;  // Set: the raw text after '='; basic commands: their number
    QByteArray text;  // the command as written, blanks outside quotes dropped: "+CMGR=3", "E0"
};

struct Param {
    QByteArray value;
    bool quoted = false;
    bool given() const { return quoted || !value.isEmpty(); }
};

// What one command ends with. Prompt: the "> " of AT+CMGS, the modem now takes text.
struct Result {
    enum Kind { Ok, Error, Cme, Cms, NoCarrier, Prompt } kind = Ok;
    int code = 0;
    static Result ok() { return {Ok, 0}; }
    static Result error() { return {Error, 0}; }
    static Result cme(int code) { return {Cme, code}; }
    static Result cms(int code) { return {Cms, code}; }
};

// body is what follows "AT" on the command line. Fails on a syntax error.
bool splitCommands(const QByteArray &body, QList<Command> *out);

// The comma-separated parameters of a Set command. Blanks around a parameter are dropped,
// blanks inside an unquoted one are kept. Fails on an unterminated quote or text after one.
bool splitParams(const QByteArray &args, QList<Param> *out);

// A decimal number without sign; fails on anything else.
bool toInt(const Param &p, int *value);

// Upper case and blanks dropped outside double quotes, for comparing command texts.
QByteArray normalized(const QByteArray &text);

} // namespace modemsim::at
