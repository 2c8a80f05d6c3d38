#include "cli/ProgrammingCommands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/ExitStatus.h"
#include "cli/Json.h"
#include "cli/Session.h"
#include "files/FileWriter.h"
#include "ups/Drivers.h"

namespace kelvane::cli {
namespace {

// --- Names on the command line --------------------------------------------------------------------------

struct ConstantName {
    std::string_view Name;
    Constant Which;
    std::string_view Member;
    std::string_view Command;  // how the unit names it, for messages
};

constexpr std::array<ConstantName, 9> kConstants = {{
    {"0", Constant::Zero, "Const0Text", "\"0\""},
    {"4", Constant::Four, "Const4Text", "\"4\""},
    {"5", Constant::Five, "Const5Text", "\"5\""},
    {"6", Constant::Six, "Const6Text", "\"6\""},
    {"hash", Constant::Hash, "ConstHashText", "\"#\""},
    {"dollar", Constant::Dollar, "ConstDollarText", "\"$\""},
    {"percent", Constant::Percent, "ConstPercentText", "\"%\""},
    {"caret", Constant::Caret, "ConstCaretText", "\"^\""},
    {"ctrl-d", Constant::CtrlD, "ConstCtrlDText", "0x04 (Ctrl-D)"},
}};

struct SettingName {
    std::string_view Name;
    Setting Which;
    std::string_view Member;
};

constexpr std::array<SettingName, 10> kSettings = {{
    {"low-transfer", Setting::LowTransferVoltage, "LowTransferVoltageText"},
    {"up-transfer", Setting::UpTransferVoltage, "UpTransferVoltageText"},
    {"self-test", Setting::SelfTestInterval, "SelfTestIntervalText"},
    {"shutdown-delay", Setting::ShutdownDelay, "ShutdownDelayText"},
    {"wakeup-delay", Setting::WakeupDelay, "WakeupDelayText"},
    {"low-battery-warning", Setting::LowBatteryWarning, "LowBatteryWarningText"},
    {"return-threshold", Setting::ReturnThreshold, "ReturnThresholdText"},
    {"alarm-delay", Setting::AlarmDelay, "AlarmDelayText"},
    {"sensitivity", Setting::Sensitivity, "SensitivityText"},
    {"nominal-output", Setting::NominalOutputVoltage, "NominalOutputVoltageText"},
}};

enum class TextField { Serial, ManufactureDate, ReplaceDate, Id, Sku };

struct TextName {
    std::string_view Name;
    TextField Which;
    std::size_t Width;  // for the serial number the widest; the 2nd generation's is checked once known
};

constexpr std::array<TextName, 5> kTexts = {{
    {"serial", TextField::Serial, UpsLink::kSerialNumberWidth},
    {"manufacture-date", TextField::ManufactureDate, UpsLink::kDateWidth},
    {"replace-date", TextField::ReplaceDate, UpsLink::kDateWidth},
    {"id", TextField::Id, UpsLink::kUpsIdWidth},
    {"sku", TextField::Sku, UpsLink::kSkuCodeWidth},
}};

template <typename Entry, std::size_t N>
const Entry* Find(const std::array<Entry, N>& entries, std::string_view name) {
    for (const Entry& entry : entries) {
        if (entry.Name == name) return &entry;
    }
    return nullptr;
}

template <typename Entry, std::size_t N>
std::string Names(const std::array<Entry, N>& entries) {
    std::string names;
    for (const Entry& entry : entries) names += (names.empty() ? "" : " ") + std::string(entry.Name);
    return names;
}

int UsageError(Session& session, const std::string& why) {
    session.Err << "kelvane-cli: " << why << " (kelvane-cli --help explains the command line)\n";
    return kExitUsage;
}

bool IsPrintable(std::string_view text) {
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// --- Ending a command -----------------------------------------------------------------------------------

std::string_view Explanation(LoopEnd end) {
    switch (end) {
        case LoopEnd::Missed:
            return "the unit's value ended elsewhere than the target";
        case LoopEnd::NoAnswer:
            return "the UPS stopped answering, or answered with no value";
        case LoopEnd::Stopped:
            return "the loop was stopped";
        case LoopEnd::Limit:
            return "the step limit was reached before the target";
        case LoopEnd::Refused:
            return "the unit has no such value; nothing was sent";
        case LoopEnd::Reached:
            break;
    }
    return "";
}

// Prints the result, closes the connection with "R" and gives the status: 5 unless the target was met.
// `refusal` says why the unit has nothing the loop could act on.
int FinishLoop(Session& session, JsonObject& json, const LoopResult& result, const std::string& what,
               const std::string& refusal = {}) {
    json.AddText("ended", LoopEndName(result.Ended)).AddInteger("steps", result.Steps);
    session.Out << json.Str() << "\n" << std::flush;
    if (session.Link.LinkFailed()) return session.LinkLost("during " + what);
    const int status = session.Finish();
    if (result.Ended == LoopEnd::Reached) return status;
    session.Err << what << ": "
                << (result.Ended == LoopEnd::Refused && !refusal.empty()
                        ? refusal + "; nothing was sent"
                        : std::string(Explanation(result.Ended)))
                << " (" << LoopEndName(result.Ended) << ").\n";
    return kExitNotReached;
}

// The unit has nothing this command could act on: nothing is sent but the closing "R".
int NotForThisUnit(Session& session, const std::string& why) {
    session.Err << why << "; nothing was sent.\n";
    const int status = session.Finish();
    return status == kExitSuccess ? kExitNotReached : status;
}

// A command of one exchange sequence whose re-read came back empty: the unit stopped answering.
int FinishOrLost(Session& session, const JsonObject& json, bool answered, const std::string& what) {
    session.Out << json.Str() << "\n" << std::flush;
    if (!answered || session.Link.LinkFailed()) return session.LinkLost("during " + what);
    return session.Finish();
}

// --- Commands -------------------------------------------------------------------------------------------

int Const(Session& session) {
    const ConstantName* constant = Find(kConstants, session.Line.Arguments[0]);
    if (constant == nullptr) {
        return UsageError(session, "unknown constant \"" + session.Line.Arguments[0] + "\" (one of " +
                                       Names(kConstants) + ")");
    }
    const std::optional<std::string> target = HexTarget(session.Line.Arguments[1]);
    if (!target) {
        return UsageError(session,
                          "\"" + session.Line.Arguments[1] + "\" is not one or two hexadecimal digits");
    }
    if (const int status = session.Connect(); status != kExitSuccess) return status;

    const LoopResult result = DriveConstant(session.Link, constant->Which, *target);
    JsonObject json;
    json.AddText(constant->Member, result.Value);
    return FinishLoop(session, json, result, "const " + std::string(constant->Name),
                      "this unit keeps no constant " + std::string(constant->Command));
}

int Model(Session& session) {
    const std::optional<std::string> target = HexTarget(session.Line.Arguments[0]);
    if (!target) {
        return UsageError(session,
                          "\"" + session.Line.Arguments[0] + "\" is not one or two hexadecimal digits");
    }
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    UpsLink& link = session.Link;
    const bool secondGen = link.Family == FamilySmart2ndGen;
    const LoopResult result = secondGen ? DriveModelCode2nd(link, *target) : DriveModelCode(link, *target);
    // The model decides the name, the rating and the flags; read them as they now are. After a refusal
    // nothing changed, and the unit (not identified) is not to be sent anything but the closing "R".
    if (result.Ended != LoopEnd::Refused) {
        link.ReadModel();
        link.ReadFirmware();
    }

    JsonObject json;
    json.AddText(secondGen ? "ModelCode2ndText" : "ModelCodeText", result.Value)
        .AddText("ModelNameText", link.ModelNameText.View())
        .AddFloat("RatedPower", link.RatedPower)
        .AddText("FirmwareText", link.FirmwareText.View());
    if (link.ThirdGen) json.AddText("SkuCodeText", link.SkuCodeText.View());
    return FinishLoop(session, json, result, "model", "the unit was not identified");
}

int Calibrate(Session& session) {
    const std::string& kind = session.Line.Arguments[0];
    const std::string& reference = session.Line.Arguments[1];
    Calibration which = Calibration::InputVoltage;
    if (kind == "load") {
        which = Calibration::Load;
    } else if (kind == "battery") {
        which = Calibration::Battery2nd;
    } else if (kind != "input") {
        return UsageError(session, "unknown calibration \"" + kind + "\" (one of input load battery)");
    }
    if (!IsDecimalReference(reference) || reference.size() > 12) {
        return UsageError(session, "\"" + reference + "\" is not a reference value such as 230 or 27.40");
    }
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    UpsLink& link = session.Link;

    const LoopResult result = DriveCalibration(link, which, reference);
    JsonObject json;
    switch (which) {
        case Calibration::InputVoltage:
            json.AddText("InputVoltageText", link.InputVoltageText.View())
                .AddFloat("InputVoltageValue", link.InputVoltageValue);
            break;
        case Calibration::Load:
            json.AddText("LoadPercentText", link.LoadPercentText.View())
                .AddFloat("LoadPercentValue", link.LoadPercentValue)
                .AddText("LoadWattsText", link.LoadWattsText.View())
                .AddFloat("LoadWattsValue", link.LoadWattsValue);
            break;
        case Calibration::Battery2nd:
            json.AddText("BatteryVoltageText", link.BatteryVoltageText.View())
                .AddFloat("BatteryVoltageValue", link.BatteryVoltageValue)
                .AddText("BatteryStepReply2ndText", link.BatteryStepReply2ndText.View());
            break;
    }
    std::string refusal = "this unit has no " + kind + " calibration";
    if (which == Calibration::Load && (link.Family == FamilySmart || link.Family == FamilySmart2ndGen) &&
        !(link.WattsPerPercent > 0.0f)) {
        refusal = "the unit's model name \"" + link.ModelNameText.Str() +
                  "\" gives no rated power, so its load in watts cannot be read";
    }
    return FinishLoop(session, json, result, "calibrate " + kind, refusal);
}

int Cycle(Session& session) {
    const SettingName* setting = Find(kSettings, session.Line.Arguments[0]);
    if (setting == nullptr) {
        return UsageError(session, "unknown setting \"" + session.Line.Arguments[0] + "\" (one of " +
                                       Names(kSettings) + ")");
    }
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    UpsLink& link = session.Link;
    // On a Back-PRO the same letters select calibrated readings, which "-" would move.
    if (!HasStoredSettings(link)) return NotForThisUnit(session, "This unit keeps no stored settings");

    const std::string value = CycleSetting(link, setting->Which);
    // The re-read's own answer tells whether the unit answered: a decoded setting (alarm delay,
    // sensitivity) keeps its old text when the answer is missing.
    const bool answered = !link.ReplyText().empty();
    JsonObject json;
    json.AddText(setting->Member, value);
    return FinishOrLost(session, json, answered, "cycle " + std::string(setting->Name));
}

int Write(Session& session) {
    const TextName* field = Find(kTexts, session.Line.Arguments[0]);
    const std::string& text = session.Line.Arguments[1];
    if (field == nullptr) {
        return UsageError(
            session, "unknown text \"" + session.Line.Arguments[0] + "\" (one of " + Names(kTexts) + ")");
    }
    if (!IsPrintable(text)) return UsageError(session, "the text may hold printable ASCII characters only");
    const auto tooLong = [&](std::size_t width) {
        return UsageError(session, "\"" + text + "\" is longer than the " + std::to_string(width) +
                                       " characters of " + std::string(field->Name));
    };
    if (text.size() > field->Width) return tooLong(field->Width);
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    UpsLink& link = session.Link;

    const int16_t family = link.Family;
    bool applies = family != FamilyUnidentified;
    // "c" is the capacitor load on a Back-PRO, and "-" after "b" steps the model code wherever the code
    // has no Ctrl-B of its own.
    if (field->Which == TextField::Id) applies = applies && family != FamilyBackPro;
    if (field->Which == TextField::Sku) applies = applies && link.ThirdGen && link.ModelCodeViaCtrlB;
    if (!applies)
        return NotForThisUnit(session, "This unit has no " + std::string(field->Name) + " to write");
    if (field->Which == TextField::Serial && text.size() > link.SerialNumberWidth()) {
        session.Finish();
        return tooLong(link.SerialNumberWidth());
    }

    JsonObject json;
    std::string reread;
    switch (field->Which) {
        case TextField::Serial:
            reread = link.WriteSerialNumber(text);
            json.AddText("SerialNumberText", reread);
            break;
        case TextField::ManufactureDate:
            reread = link.WriteManufactureDate(text);
            json.AddText("ManufactureDateText", reread);
            break;
        case TextField::ReplaceDate:
            reread = link.WriteBatteryReplaceDate(text);
            json.AddText("BatteryReplaceDateText", reread);
            break;
        case TextField::Id:
            reread = link.WriteUpsId(text);
            json.AddText("UpsIdText", reread);
            break;
        case TextField::Sku:
            reread = link.WriteSkuCode(text);
            json.AddText("SkuCodeText", reread).AddText("FirmwareText", link.FirmwareText.View());
            break;
    }
    // The SKU code of a revision that begins with "." is empty; the revision shows the unit answered.
    const bool answered = field->Which == TextField::Sku ? !link.FirmwareText.Empty() : !reread.empty();
    return FinishOrLost(session, json, answered, "write " + std::string(field->Name));
}

// Why the dump could not be saved at the target, known before the unit is asked; empty when it can be:
// the folder takes a new file, or the file is there and may be written (WriteFileWhole then writes it in
// place).
std::string WhyNotSavable(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    const auto reason = [](const std::filesystem::path& path, int error) {
        return path.string() + ": " + std::strerror(error);
    };
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return reason(folder, errno);
    if (!S_ISDIR(info.st_mode)) return reason(folder, ENOTDIR);
    if (::stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return reason(target, EISDIR);
    if (::access(folder.c_str(), W_OK | X_OK) == 0) return {};
    const int folderError = errno;
    if (::access(target.c_str(), W_OK) == 0) return {};
    return reason(folder, folderError);
}

int Eeprom(Session& session) {
    const auto out = session.Line.Options.find("--out");
    if (out == session.Line.Options.end() || out->second.empty()) {
        return UsageError(session, "eeprom needs --out FILE");
    }
    if (const std::string why = WhyNotSavable(out->second); !why.empty()) {
        session.Err << "The EEPROM dump cannot be written: " << why << "\n";
        return kExitFileFailed;
    }
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    UpsLink& link = session.Link;

    const LoopResult result = ReadEeprom(link, 0);
    JsonObject json;
    json.AddText("out", out->second);
    const int status = FinishLoop(session, json, result, "eeprom",
                                  "on this SC unit \"#\" selects a calibration constant, which an EEPROM "
                                  "read would step 255 times");
    if (status != kExitSuccess) return status;
    const std::string_view image(reinterpret_cast<const char*>(link.EepromImage.data()), 256);
    if (const FileWriteResult written = WriteFileWhole(out->second, image); !written.Written) {
        session.Err << "The EEPROM dump cannot be written: " << out->second << ": " << written.Reason << "\n";
        return kExitFileFailed;
    }
    return kExitSuccess;
}

int ResetDefaults(Session& session) {
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    UpsLink& link = session.Link;
    if (!HasStoredSettings(link)) return NotForThisUnit(session, "This unit keeps no stored settings");

    link.ResetToDefaults();
    JsonObject json;
    json.AddText("LowTransferVoltageText", link.LowTransferVoltageText.View())
        .AddText("UpTransferVoltageText", link.UpTransferVoltageText.View())
        .AddText("NominalOutputVoltageText", link.NominalOutputVoltageText.View())
        .AddText("SelfTestIntervalText", link.SelfTestIntervalText.View())
        .AddText("ShutdownDelayText", link.ShutdownDelayText.View())
        .AddText("WakeupDelayText", link.WakeupDelayText.View())
        .AddText("AlarmDelayText", link.AlarmDelayText.View())
        .AddText("ReturnThresholdText", link.ReturnThresholdText.View())
        .AddText("SensitivityText", link.SensitivityText.View())
        .AddText("LowBatteryWarningText", link.LowBatteryWarningText.View());
    return FinishOrLost(session, json, !link.LowTransferVoltageText.Empty(), "reset-defaults");
}

}  // namespace

// Summaries go under the command's name in --help; a line break continues at the same indent.
const std::vector<ProgrammingCommand>& ProgrammingCommands() {
    static const std::vector<ProgrammingCommand> commands = {
        {{"const", {}, 2},
         "NAME HEX: step calibration constant NAME until the unit answers HEX (one or two hexadecimal\n"
         "      digits); NAME: 0 4 5 6 hash dollar percent caret ctrl-d",
         Const},
        {{"model", {}, 1},
         "HEX: step the model code until the unit answers HEX, then read the model name again",
         Model},
        {{"calibrate", {}, 2},
         "input|load|battery VALUE: calibrate the input voltage (V), the load (W) or, on the 2nd\n"
         "      generation, the battery voltage (V) until the unit reads the reference VALUE",
         Calibrate},
        {{"cycle", {}, 1},
         "SETTING: move a stored setting one place through the unit's own list; SETTING: low-transfer\n"
         "      up-transfer self-test shutdown-delay wakeup-delay low-battery-warning return-threshold\n"
         "      alarm-delay sensitivity nominal-output",
         Cycle},
        {{"write", {}, 2},
         "serial|manufacture-date|replace-date|id|sku TEXT: rewrite an identity text of at most 14\n"
         "      (8 on the 2nd generation), 8, 8, 8 and 3 printable characters",
         Write},
        {{"eeprom", {{"--out", "FILE", "the file for the 256 bytes, written whole or not at all", 0, 0}}, 0},
         "read the unit's 256-byte EEPROM into FILE (needed; refused on SC units)",
         Eeprom},
        {{"reset-defaults", {}, 0}, "return the unit's stored settings to the factory's", ResetDefaults},
    };
    return commands;
}

std::string_view ProgrammingOutputHelp() {
    return R"(  const, model, calibrate, eeprom
            the value's member ("Const0Text", "ModelCodeText" with "ModelNameText", "RatedPower"
            and "FirmwareText", "InputVoltageText" and "InputVoltageValue", ...), then "ended" and
            "steps": how the loop ended ("reached"; "missed": the value settled elsewhere, the
            model code turned back past the target or a calibrated reading jumped; "no-answer";
            "stopped"; "limit": the step limit; "refused") and the steps it sent.
  cycle, write, reset-defaults
            the setting's or text's member as read back ("SelfTestIntervalText", "SerialNumberText",
            the ten settings for reset-defaults).
)";
}

}  // namespace kelvane::cli
