#include "ui/OptionsStore.h"

#include <QDir>
#include <QSettings>
#include <limits>

namespace kelvane {
namespace {

class IniOptionsBackend final : public OptionsBackend {
  public:
    explicit IniOptionsBackend(const QString& path) : Settings(path, QSettings::IniFormat) {}

    std::optional<QVariant> Read(const QString& name) const override {
        if (!Settings.contains(name)) return std::nullopt;
        return Settings.value(name);
    }
    void Write(const QString& name, const QVariant& value) override { Settings.setValue(name, value); }
    // Nothing in the window can act on a file that will not take the options, but the reason is not
    // swallowed: it goes to the standard error stream.
    void Flush() override {
        Settings.sync();
        if (Settings.status() != QSettings::NoError) {
            qWarning("Kelvane: the options could not be written to %s", qPrintable(Settings.fileName()));
        }
    }

  private:
    QSettings Settings;
};

const OptionDefault* FindDefault(const QString& name) {
    for (const OptionDefault& option : OptionDefaults) {
        if (name == QLatin1String(option.Name)) return &option;
    }
    return nullptr;
}

std::optional<int> AsInteger(const QVariant& value) {
    bool ok = false;
    if (value.typeId() == QMetaType::QString) {
        const int number = value.toString().trimmed().toInt(&ok);
        if (ok) return number;
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::UInt ||
        value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::ULongLong) {
        const qlonglong number = value.toLongLong(&ok);
        if (ok && number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max()) {
            return static_cast<int>(number);
        }
    }
    return std::nullopt;
}

}  // namespace

std::unique_ptr<OptionsBackend> MakeIniOptionsBackend(const QString& path) {
    return std::make_unique<IniOptionsBackend>(path);
}

OptionsStore::OptionsStore(std::unique_ptr<OptionsBackend> backend) : Backend(std::move(backend)) {}

QString OptionsStore::DefaultPath() {
    const QString chosen = qEnvironmentVariable("KELVANE_CONFIG");
    if (!chosen.isEmpty()) return chosen;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Brellmark/Kelvane.conf");
}

void OptionsStore::WriteMissingDefaults() {
    bool wrote = false;
    for (const OptionDefault& option : OptionDefaults) {
        const QString name = QString::fromLatin1(option.Name);
        if (ValueExists(name)) continue;
        if (option.Kind == OptionKind::String) {
            Backend->Write(name, QString::fromLatin1(option.Text));
        } else {
            Backend->Write(name, option.Number);
        }
        wrote = true;
    }
    if (wrote) Backend->Flush();
}

std::optional<QVariant> OptionsStore::ReadAs(const QString& name, OptionKind kind) const {
    const std::optional<QVariant> value = Backend->Read(name);
    if (!value) return std::nullopt;
    if (kind == OptionKind::String) {
        if (value->typeId() == QMetaType::QString) return value;
        return std::nullopt;
    }
    if (const std::optional<int> number = AsInteger(*value)) return QVariant(*number);
    return std::nullopt;
}

bool OptionsStore::ValueExists(const QString& name) const {
    const OptionDefault* option = FindDefault(name);
    const OptionKind kind = option != nullptr ? option->Kind : OptionKind::String;
    return ReadAs(name, kind).has_value();
}

bool OptionsStore::ReadBool(const QString& name) const {
    if (const auto value = ReadAs(name, OptionKind::Boolean)) return value->toInt() != 0;
    const OptionDefault* option = FindDefault(name);
    return option != nullptr && option->Number != 0;
}

int OptionsStore::ReadInteger(const QString& name) const {
    if (const auto value = ReadAs(name, OptionKind::Integer)) return value->toInt();
    const OptionDefault* option = FindDefault(name);
    return option != nullptr ? option->Number : 0;
}

QString OptionsStore::ReadString(const QString& name) const {
    if (const auto value = ReadAs(name, OptionKind::String)) return value->toString();
    const OptionDefault* option = FindDefault(name);
    return option != nullptr && option->Text != nullptr ? QString::fromLatin1(option->Text) : QString();
}

void OptionsStore::WriteBool(const QString& name, bool value) {
    Backend->Write(name, value ? 1 : 0);
}

void OptionsStore::WriteInteger(const QString& name, int value) {
    Backend->Write(name, value);
}

void OptionsStore::WriteString(const QString& name, const QString& value) {
    Backend->Write(name, value);
}

void OptionsStore::Flush() {
    Backend->Flush();
}

}  // namespace kelvane
