#pragma once
#include <QMap>
#include <QString>

// One key of the settings store with the default a reader gets when it is missing.
struct SettingKey {
    const char *section;
    const char *key;
    const char *fallback;
};

// Every key the program reads or writes, in one place.
namespace keys {
inline constexpr SettingKey MainLeft{"Settings", "MainLeft", "1000"};
inline constexpr SettingKey MainTop{"Settings", "MainTop", "1000"};
inline constexpr SettingKey MainWidth{"Settings", "MainWidth", "11250"};
inline constexpr SettingKey MainHeight{"Settings", "MainHeight", "7000"};
inline constexpr SettingKey MyDir{"Settings", "MyDir", ""};
// "SM senden": a status report is asked for with every message ("1"), and how many parts a
// long message may have at most (1 to 255).
inline constexpr SettingKey DeliveryReport{"Einstellungen", "Empfangsbestätigung", "0"};
inline constexpr SettingKey MaxParts{"Einstellungen", "SMS-Teile höchstens", "10"};
inline constexpr SettingKey PollInterval{"Settings", "0", ""};
// A command run for every received message (see ReceiveHook); "" runs none.
inline constexpr SettingKey ReceiveHook{"Settings", "BeiEmpfang", ""};
inline constexpr SettingKey PortSettings{"Einstellungen", "Einstellungen", ""};
inline constexpr SettingKey PortNumber{"Einstellungen", "COM-Anschluß", ""};
inline constexpr SettingKey Handshaking{"Einstellungen", "Handshaking", ""};
inline constexpr SettingKey Echo{"Einstellungen", "Echo", ""};
// "Schnelle Modemantworten": an exchange ends at the modem's final result code ("True"), not
// after a second of silence.
inline constexpr SettingKey FastAnswers{"Einstellungen", "SchnelleAntworten", "False"};
// Section "Ports", keys "COM1" ... "COM16": the device a port number reaches.
inline constexpr const char *PortsSection = "Ports";
} // namespace keys

// Per-user store of string values by section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString value(const QString &section, const QString &key, const QString &fallback) const = 0;
    virtual void setValue(const QString &section, const QString &key, const QString &value) = 0;
    // The folder the store keeps its file in; files that belong with the settings live there.
    virtual QString folder() const = 0;

    QString get(const SettingKey &k) const
    {
        return value(QString::fromUtf8(k.section), QString::fromUtf8(k.key), QString::fromUtf8(k.fallback));
    }
    void set(const SettingKey &k, const QString &v)
    {
        setValue(QString::fromUtf8(k.section), QString::fromUtf8(k.key), v);
    }
};

// QSettings under organisation and application "Varnix"; sections are groups.
class QtSettingsStore final : public SettingsStore {
public:
    QString value(const QString &section, const QString &key, const QString &fallback) const override;
    void setValue(const QString &section, const QString &key, const QString &value) override;
    QString folder() const override;
};
