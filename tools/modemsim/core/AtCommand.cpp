#include "core/AtCommand.h"

namespace modemsim::at {

namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// V.250 allows these in the name of an extended command after its '+'.
bool isNameChar(char c)
{
    return isLetter(c) || isDigit(c) || c == '!' || c == '%' || c == '-' || c == '.' || c == '/'
        || c == ':' || c == '_';
}

int skipBlanks(const QByteArray &s, int i)
{
    while (i < s.size() && s[i] == ' ')
        ++i;
    return i;
}

// Does another command start at i (blanks skipped)? Only then does a ';' inside the parameters
// of an extended command end it. A phonebook name sent without quotes may hold a ';' itself
// ("Meier;Ernst"), and a modem that cut it there would store half a name and then choke on
// the rest.
bool commandStartsAt(const QByteArray &s, int i)
{
    i = skipBlanks(s, i);
    if (i >= s.size())
        return true;
    const char c = upper(s[i]);
    if (c == '+' || c == '&')
        return true;
    static const QByteArray basicLetters = "EVQZIXLMH";
    if (!basicLetters.contains(c))
        return false;
    int j = skipBlanks(s, i + 1);
    while (j < s.size() && isDigit(s[j]))
        ++j;
    j = skipBlanks(s, j);
    return j >= s.size() || s[j] == ';';
}

} // namespace

QByteArray normalized(const QByteArray &text)
{
    QByteArray out;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (quoted || c == '"')
            out += c;
        else if (c != ' ')
            out += upper(c);
    }
    return out;
}

bool splitCommands(const QByteArray &body, QList<Command> *out)
{
    out->clear();
    const int n = int(body.size());
    int i = 0;
    while (i < n) {
        const char c = body[i];
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        Command cmd;
        if (c == '+') {
            cmd.name = "+";
            ++i;
            for (; i < n && (isNameChar(body[i]) || body[i] == ' '); ++i) {
                if (body[i] != ' ')
                    cmd.name += upper(body[i]);
            }
            if (cmd.name.size() < 2)
                return false;
            if (i < n && body[i] == '=') {
                const int j = skipBlanks(body, i + 1);
                if (j < n && body[j] == '?') {
                    cmd.form = Form::Test;
                    i = j + 1;
                } else {
                    cmd.form = Form::Set;
                    int k = i + 1;
                    bool quoted = false;
                    for (; k < n; ++k) {
                        if (body[k] == '"')
                            quoted = !quoted;
                        else if (!quoted && body[k] == ';' && commandStartsAt(body, k + 1))
                            break;
                    }
                    cmd.args = body.mid(i + 1, k - i - 1);
                    i = k;
                }
            } else if (i < n && body[i] == '?') {
                cmd.form = Form::Read;
                ++i;
            }
            i = skipBlanks(body, i);
            if (i < n && body[i] != ';')
                return false;
            switch (cmd.form) {
            case Form::Action: cmd.text = cmd.name; break;
            case Form::Read: cmd.text = cmd.name + '?'; break;
            case Form::Test: cmd.text = cmd.name + "=?"; break;
            case Form::Set: cmd.text = cmd.name + '=' + normalized(cmd.args); break;
            }
        } else if (c == '&' || isLetter(c)) {
            if (c == '&') {
                i = skipBlanks(body, i + 1);
                if (i >= n || !isLetter(body[i]))
                    return false;
                cmd.name = QByteArray("&") + upper(body[i]);
            } else {
                cmd.name = QByteArray(1, upper(c));
            }
            ++i;
            if (cmd.name == "D") {
                // The dial string runs to the end of the line.
                cmd.form = Form::Set;
                cmd.args = body.mid(i);
                cmd.text = "D" + normalized(cmd.args);
                i = n;
            } else if (cmd.name == "S") {
                i = skipBlanks(body, i);
                QByteArray reg;
                while (i < n && isDigit(body[i]))
                    reg += body[i++];
                if (reg.isEmpty())
                    return false;
                cmd.name += reg;
                i = skipBlanks(body, i);
                if (i < n && body[i] == '?') {
                    cmd.form = Form::Read;
                    ++i;
                    cmd.text = cmd.name + '?';
                } else if (i < n && body[i] == '=') {
                    i = skipBlanks(body, i + 1);
                    cmd.form = Form::Set;
                    while (i < n && isDigit(body[i]))
                        cmd.args += body[i++];
                    cmd.text = cmd.name + '=' + cmd.args;
                } else {
                    return false;
                }
            } else {
                i = skipBlanks(body, i);
                while (i < n && isDigit(body[i]))
                    cmd.args += body[i++];
                cmd.text = cmd.name + cmd.args;
            }
        } else {
            return false;
        }
        out->append(cmd);
    }
    return true;
}

bool splitParams(const QByteArray &args, QList<Param> *out)
{
    out->clear();
    const int n = int(args.size());
    int i = 0;
    while (true) {
        Param p;
        i = skipBlanks(args, i);
        if (i < n && args[i] == '"') {
            const int close = int(args.indexOf('"', i + 1));
            if (close < 0)
                return false;
            p.quoted = true;
            p.value = args.mid(i + 1, close - i - 1);
            i = skipBlanks(args, close + 1);
            if (i < n && args[i] != ',')
                return false;
        } else {
            int end = int(args.indexOf(',', i));
            if (end < 0)
                end = n;
            p.value = args.mid(i, end - i);
            while (p.value.endsWith(' '))
                p.value.chop(1);
            i = end;
        }
        out->append(p);
        if (i >= n)
            break;
        ++i; // the comma
    }
    // "AT+X=" has no parameters at all rather than one empty one.
    if (out->size() == 1 && !out->first().given())
        out->clear();
    return true;
}

bool toInt(const Param &p, int *value)
{
    if (p.quoted || p.value.isEmpty() || p.value.size() > 9)
        return false;
    int v = 0;
    for (char c : p.value) {
        if (!isDigit(c))
            return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

} // namespace modemsim::at
