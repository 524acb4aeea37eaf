#include "text/AtInput.h"

#include <algorithm>
#include <array>

namespace {

// What Windows-1252 holds at 0x80..0x9F; 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned.
constexpr std::array<char16_t, 27> kHighPrintables = {
    0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178,
};

} // namespace

const QString kUnsafeParameterMessage =
    QStringLiteral("Die Eingabe enthält unzulässige Zeichen (Anführungszeichen, Semikolon, "
                   "Steuerzeichen oder nicht übertragbare Sonderzeichen). Es wurde nichts gesendet. ");

const QString kUnsafeBodyMessage =
    QStringLiteral("Der Text enthält unzulässige Steuerzeichen (Strg+Z oder Esc). Es wurde nichts gesendet. ");

bool IsWindows1252Printable(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 0x20 && u <= 0x7E) || (u >= 0xA0 && u <= 0xFF))
        return true;
    return std::find(kHighPrintables.begin(), kHighPrintables.end(), u) != kHighPrintables.end();
}

bool IsSafeQuotedParameter(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c != u'"' && c != u';' && IsWindows1252Printable(c);
    });
}

bool IsSafeMessageBody(const QString &text)
{
    return !text.contains(QChar(26)) && !text.contains(QChar(27));
}
