#pragma once
#include <QString>
#include <QtGlobal>

// The program's version as a file version carries it: three 16-bit numbers.
struct ProgramVersion {
    quint16 major = 0;
    quint16 minor = 0;
    quint16 revision = 0;
    bool operator==(const ProgramVersion &) const = default;
};

// "1.02.0016" -> 1, 2, 16. Missing parts are 0; a part that is not a 16-bit number counts as 0.
ProgramVersion ProgramVersionFromText(const QString &text);

// The version this program was built as (the project version of the build).
ProgramVersion ProgramVersionOfThisBuild();

// "Version 1.2.16": each number in plain decimal, without padding.
QString VersionCaption(const ProgramVersion &version);
