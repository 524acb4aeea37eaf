#pragma once
#include <QString>
#include <optional>

// A line settings string such as "9600,n,8,1": speed, parity letter, data bits, stop bits.
struct LineSettings {
    int speed = 9600;
    char parity = 'n'; // e o n m s
    int dataBits = 8;  // 4..8
    QString stopBits = QStringLiteral("1"); // "1", "1.5" or "2"

    // Accepts the parity letter in either case; nullopt for anything malformed.
    static std::optional<LineSettings> parse(const QString &text);
    // Canonical form, parity in lower case.
    QString toString() const;
};
