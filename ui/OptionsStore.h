// The seven options the window keeps between runs: read once at start, written once at close.
//
// They live in an INI file: the file named by the environment variable KELVANE_CONFIG when it is set,
// otherwise $XDG_CONFIG_HOME/Brellmark/Kelvane.conf (~/.config/Brellmark/Kelvane.conf when that is unset).
// Booleans are stored as the integers 0 and 1, integers as decimal text, the style as its name. A stored
// value that cannot be read as its kind (a Left of "abc") counts as missing.
#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <memory>
#include <optional>

namespace kelvane {

enum class OptionKind { Boolean, Integer, String };

struct OptionDefault {
    const char* Name;
    OptionKind Kind;
    int Number;        // Boolean and Integer
    const char* Text;  // String
};

// In the order the defaults are written.
inline constexpr std::array<OptionDefault, 7> OptionDefaults{{
    {"HexCode", OptionKind::Boolean, 0, nullptr},
    {"Left", OptionKind::Integer, 183, nullptr},
    {"Top", OptionKind::Integer, 131, nullptr},
    {"AUTOSU3Gen", OptionKind::Boolean, 0, nullptr},
    {"SelfTest", OptionKind::Boolean, 0, nullptr},
    {"Graphics", OptionKind::Integer, 0, nullptr},
    {"Style", OptionKind::String, 0, "Windows"},
}};

// Where the values physically go; the INI file in the program, a recording fake in tests.
class OptionsBackend {
  public:
    virtual ~OptionsBackend() = default;
    virtual std::optional<QVariant> Read(const QString& name) const = 0;
    virtual void Write(const QString& name, const QVariant& value) = 0;
    virtual void Flush() = 0;
};

// The INI file at path, through QSettings.
std::unique_ptr<OptionsBackend> MakeIniOptionsBackend(const QString& path);

class OptionsStore {
  public:
    explicit OptionsStore(std::unique_ptr<OptionsBackend> backend);

    // The options file of this user, or KELVANE_CONFIG.
    static QString DefaultPath();

    // Writes each value that is missing (or of the wrong kind) with its default, in table order. Values
    // that are present are never rewritten.
    void WriteMissingDefaults();

    // True when the value is present and readable as its kind.
    bool ValueExists(const QString& name) const;

    // The stored value, or the default when it is missing or of the wrong kind.
    bool ReadBool(const QString& name) const;
    int ReadInteger(const QString& name) const;
    QString ReadString(const QString& name) const;

    void WriteBool(const QString& name, bool value);
    void WriteInteger(const QString& name, int value);
    void WriteString(const QString& name, const QString& value);

    // Makes the written values durable.
    void Flush();

  private:
    std::optional<QVariant> ReadAs(const QString& name, OptionKind kind) const;

    std::unique_ptr<OptionsBackend> Backend;
};

}  // namespace kelvane
