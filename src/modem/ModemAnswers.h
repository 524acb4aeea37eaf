#pragma once
#include <QString>

// What the registration window reads out of the modem's answers. Each function takes the whole
// answer in the form the terminal has given it: every LF removed, then an LF put after every CR,
// so lines end in CR LF. Answers that do not have the expected shape give an empty or partial
// text as the rules below say; none of them fails. Lines the modem sent on its own in the middle
// of the answer (^RSSI, +QIND, ..., see Unsolicited.h) are taken out before the rules apply.

// AT+GMM -> CR LF <model> CR LF CR LF OK CR LF
// The model is what lies between the leading CR LF and the CR LF CR LF before the final "OK"
// line: the first p-5 characters (p = where "OK" starts, counted from 1) without their first two.
// No "OK" line, or one among the first four characters, gives ""; a cut of fewer than two
// characters is returned as it is.
QString GmmModelName(const QString &answer);

// AT+CSQ -> +CSQ: <rssi>,<ber>
// The two characters before the first comma, as they stand: a one-digit rssi keeps its blank
// (" 7"). No comma, or a comma among the first two characters, gives "".
QString CsqSignalValue(const QString &answer);

// AT+CREG? -> +CREG: <n>,<stat>[,<lac>,<ci>]
// The character right after the first comma read as a digit, anything else 0. Without a comma
// it is the first character of the answer (the CR of the leading line end, so 0).
int CregState(const QString &answer);

// <stat> of +CREG in words: 1 home network, 2 searching, 3 denied, 5 roaming; 0 (not searching),
// 4 (unknown) and anything else say that the registration is not right.
QString CregCaption(int state);

// AT+COPS? -> +COPS: <mode>[,<format>,"<oper>"]
// Without a comma there is no operator ("+COPS: 0", or an error text): "Kein Netzbetreiber".
// Otherwise the text between the first two double quotes; with only one quote the rest after it,
// with none the whole answer (some modems give a numeric operator without quotes).
QString CopsOperatorName(const QString &answer);

// AT+CPBR=1 in the "ON" phonebook -> +CPBR: 1,"<number>",<type>,"<text>"
// 15 characters from the second one after the first comma (past the opening quote); a comma in
// that piece ends the number two characters before it (closing quote and comma), and a quote at
// its end is dropped. So a number is cut to 15 characters, and an answer without a comma gives
// the answer from its second character on.
QString CpbrOwnNumber(const QString &answer);

// AT+CNMI=? -> +CNMI: (<mode>s),(<mt>s),(<bm>s),(<ds>s),(<bfr>s), each a list such as (0-3) or
// (0,1,2). The AT+CNMI command that has the modem announce every stored message with
// +CMTI: "<mem>",<index> (27.005 3.4.1): mt 1; mode 2 (held while an answer is under way, then
// sent), else 1 or 3; bm 0 where offered; ds 1 (status reports as +CDS) where offered, else 0;
// bfr 0 (flush what was held) where offered.
// Empty when the modem offers no mode or no mt 1: it cannot announce, and polling does the work.
QString CnmiNoticeCommand(const QString &testAnswer);

// AT+CGMI -> <manufacturer>, AT+CGMM (or AT+GMM) -> <model> (27.007 5.1, 5.2): the first
// information line, trimmed; "" when there is none (ERROR, no answer).
QString CgmiMakerName(const QString &answer);
QString CgmmModelName(const QString &answer);
