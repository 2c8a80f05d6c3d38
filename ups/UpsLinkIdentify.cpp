// Identification of the attached unit, decoding of its model name and firmware, and the two refresh lists.
#include <string>
#include <string_view>

#include "ups/AnswerConversions.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

// Character codes past the end of an answer count as zero, as the terminator of a short answer would.
unsigned CodeAt(std::string_view text, std::size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
}

unsigned SumOfFirstTwo(std::string_view text) {
    return CodeAt(text, 0) + CodeAt(text, 1);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsWithDigit(std::string_view text) {
    return !text.empty() && IsDigit(text[0]);
}

bool IsEither(char c, char upper, char lower) {
    return c == upper || c == lower;
}

// Model names of the second generation, which reports a model digit instead of a name.
std::string_view SecondGenModelName(char modelDigit) {
    switch (modelDigit) {
        case '0':
        case '1':
            return "MX 3000";
        case '2':
            return "Smart 250";
        case '3':
        case '4':
            return "Smart 400";
        case '5':
            return "MX 5000";
        case '6':
            return "Smart 600";
        case '7':
            return "Smart 900";
        case '8':
            return "Smart 1250";
        case '9':
            return "Smart 2000";
        default:
            return {};
    }
}

constexpr unsigned kSmartModeSum = 'S' + 'M';
constexpr unsigned kNotAvailableSum = 'N' + 'A';
// The first two characters of the model-name answer of a unit that is already in its long dialect.
constexpr unsigned kLongDialectSum = 204;

}  // namespace

bool UpsLink::Identify() {
    ThirdGen = false;
    HlVariant = false;
    SurtModel = false;
    ModelCodeViaCtrlB = false;
    AprogMode = false;
    // Both would otherwise carry over from the unit of an earlier connection: a stale serial number stops
    // the carriage-return probe (so a 2nd-generation unit is never recognised on reconnection), and a stale
    // rack flag marks a different unit as small.
    SerialNumberText.Clear();
    ScRackModel = false;
    Family = FamilyUnidentified;

    if (SumOfFirstTwo(Exchange('Y', 2)) != kSmartModeSum) return false;

    std::string answer(Exchange(0x01, 22));
    if (SumOfFirstTwo(answer) == kLongDialectSum) {
        AprogMode = true;
    } else {
        // A lone "1" is only the first half of the request to enter programming mode and gets no answer;
        // the unit takes the mode, and answers for it, on a second "1" given time after the first.
        Exchange('1', 0);
        Pause(1500);
        answer = Exchange('1', 4);
    }

    if (answer == "PROG" || answer == "APROG" || AprogMode) {
        if (answer == "APROG") AprogMode = true;

        if (StartsWithDigit(Exchange('F', 2))) {
            SerialNumberText = Exchange('n', 14);
            if (SumOfFirstTwo(SerialNumberText) == kNotAvailableSum) {
                Family = FamilySmartNoSerial;
            } else {
                Family = FamilySmart;
                ScanCapabilities(ExchangeRaw(0x1A, kMaxAnswerLength));
                if (ThirdGen) {
                    ModelCodeViaCtrlB = true;
                    ReadConstPercent();
                    if (ConstPercentText == "NA") {
                        ReadConstCtrlD();
                        if (ConstCtrlDText != "NA") ModelCodeViaCtrlB = false;
                    }
                }
            }
        } else if (StartsWithDigit(Exchange('P', 5))) {
            Family = FamilyBackPro;
        }

        if (Family != FamilySmartNoSerial) SerialNumberText = Exchange('n', 14);
        Exchange('2', 2);
        answer = Exchange('2', 2);
    }

    if (answer.empty() && SerialNumberText.Empty() && !ThirdGen) ProbeWithCarriageReturn();

    if (Family == FamilyUnidentified) return true;

    ReadModel();
    if (ScModel) {
        if (RatedPower >= 1000.0f) {
            ReadConstHash();
        } else {
            ScModel = false;
        }
    }
    SmallModel = Family == FamilySmart && (RatedPower == 250.0f || RatedPower == 420.0f ||
                                           RatedPower == 620.0f || RatedPower == 650.0f);
    if (ScRackModel) SmallModel = true;

    RefreshAll();
    return true;
}

void UpsLink::ScanCapabilities(std::string_view capabilities) {
    const std::size_t size = capabilities.size();
    for (std::size_t at = 0; at < size; ++at) {
        const std::string_view rest = capabilities.substr(at);
        if (rest.starts_with("e472")) ThirdGen = true;
        if (rest.starts_with("s411")) {
            ThirdGen = true;
            SurtModel = true;
        }
        if (rest.starts_with("s431") && rest.size() > 9 && rest[9] == '4') ThirdGen = true;
        if (rest.size() > 6 && rest[0] == 'H' && rest[3] == 'L' && rest[6] == '8') {
            HlVariant = true;
            ScRackModel = false;
        }
    }
}

// A unit that ignored the programming-mode request either answers the carriage return with a bare line
// feed (the long dialect) or is of the second generation.
void UpsLink::ProbeWithCarriageReturn() {
    const std::string_view probe = Exchange(0x0D, 10);
    if (!probe.empty() && probe[0] == '\n') {
        Exchange('Y', 2);
        AprogMode = true;
        return;
    }

    Family = FamilySmart2ndGen;
    // These units answer more slowly than the others.
    Timeouts.ReadTotalMultiplierMs = 30;
    ApplyTimeouts();
    // An answer that is not a hexadecimal byte counts as zero and leaves the decision to the temperature.
    const uint8_t register7 = ParseHexByte(Exchange('7', 2)).value_or(0);
    if (register7 != 0) {
        LegacyVariant = 0;
    } else {
        LegacyVariant = ParseDecimal(Exchange('C', 3)) != 0.0 ? 1 : 2;
    }
    SerialNumberText = Exchange('n', 8);
}

std::string UpsLink::ReadModel() {
    XlModel = false;
    StackModel = false;
    ScModel = false;

    if (Family == FamilySmart2ndGen) {
        const std::string answer(Exchange('V', 3));
        const std::string_view name = SecondGenModelName(answer.empty() ? '\0' : answer[0]);
        if (!name.empty()) ModelNameText = name;
        // An unknown model digit keeps the old name; the append is cut at the member's capacity.
        if (answer.size() >= 3) ModelNameText.Append(answer.substr(2, 1));
    } else {
        ModelNameText = Exchange(0x01, 22);
    }

    const std::string_view name = ModelNameText;
    if (!name.empty()) {
        for (std::size_t at = 0; at < name.size(); ++at) {
            const char c = name[at];
            const std::string_view following = name.substr(at + 1);
            const char next = following.empty() ? '\0' : following[0];
            if (IsEither(c, 'S', 's') && following.starts_with("tack")) StackModel = true;
            if (IsEither(c, 'S', 's') && next == 'C') ScModel = true;
            if (ScModel && IsEither(c, 'R', 'r')) {
                if (next == 'M') {
                    ScRackModel = true;
                } else {
                    ThirdGen = true;
                }
            }
            if (IsEither(c, 'X', 'x') && IsEither(next, 'L', 'l')) XlModel = true;
        }

        long digits = 0;
        int digitCount = 0;
        for (const char c : name) {
            if (!IsDigit(c) || digitCount == 5) continue;
            digits = digits * 10 + (c - '0');
            ++digitCount;
        }
        if (digitCount < 3) {
            RatedPower = 0.0f;
            RatedDigits = 0;
        } else {
            RatedPower = static_cast<float>(digits);
            RatedDigits = digits >= 10000 ? 5 : digits >= 1000 ? 4 : 3;
        }
        if (SurtModel && RatedPower < 3000.0f) ModelCodeViaCtrlB = false;
        WattsPerPercent = static_cast<float>(RatedPower * 0.007);
    }

    if (ThirdGen) {
        ReadConstDollar();
        ReadConstPercent();
        if (!SurtModel) ReadConstCaret();
    }
    return ModelNameText.Str();
}

std::string UpsLink::ReadFirmware() {
    FirmwareText = Family == FamilySmart2ndGen ? Exchange('V', 3) : Exchange('b', 8);
    if (ThirdGen) {
        // Third-generation units put the three-character SKU code in front of the revision.
        const std::string firmware = FirmwareText.Str();
        if (!firmware.empty() && firmware[0] == '.') {
            SkuCodeText.Clear();
        } else {
            SkuCodeText = std::string_view(firmware).substr(0, 3);
            FirmwareText = std::string_view(firmware).substr(SkuCodeText.Size());
        }
    }
    return FirmwareText.Str();
}

void UpsLink::RefreshAll() {
    if (Family != FamilyUnidentified) {
        ReadOutputVoltage();
        ReadInputVoltage();
        if (Family != FamilySmartNoSerial) ReadLoad();
        if (Family == FamilyBackPro) {
            ReadFloatVoltage();
            ReadRatio();
            ReadEutVoltage();
            ReadBbdVoltage();
            ReadCapacitorLoad();
            ReadDcOffset();
        } else {
            if (Family == FamilySmart) {
                ReadNominalBatteryVoltage();
                ReadConst4();
                ReadBatteryPacks();
            }
            if (!SmallModel) ReadTemperature();
            if (SurtModel) {
                ReadRtPlusBatteryVoltage();
                ReadRtMinusBatteryVoltage();
                ReadRtPlus400BatteryVoltage();
                ReadRtMinus400BatteryVoltage();
            }
            ReadUpsId();
            ReadLowTransferVoltage();
            ReadUpTransferVoltage();
            ReadConst0();
            ReadConst5();
            ReadConst6();
            ReadNominalOutputVoltage();
            ReadSelfTestInterval();
            ReadShutdownDelay();
            ReadWakeupDelay();
            ReadLowBatteryWarning();
            ReadAlarmDelay();
            ReadReturnThreshold();
            ReadSensitivity();
            ReadLineFrequency();
            ReadRunTime();
            ReadBatteryCharge();
        }
    }
    ReadFirmware();
    ReadManufactureDate();
    ReadBatteryReplaceDate();
    ReadBatteryVoltage();
}

void UpsLink::RefreshPoll() {
    if (Family != FamilyUnidentified) {
        ReadOutputVoltage();
        ReadInputVoltage();
        if (Family == FamilySmartNoSerial) {
            ReadLineFrequency();
        } else if (Family == FamilyBackPro) {
            ReadLoad();
            ReadFloatVoltage();
            ReadRatio();
            ReadEutVoltage();
            ReadCapacitorLoad();
            ReadDcOffset();
        } else {
            ReadLoad();
            ReadTemperature();
            ReadLineFrequency();
            ReadRunTime();
            ReadBatteryCharge();
        }
    }
    ReadBatteryVoltage();
    if (SurtModel) {
        ReadRtPlusBatteryVoltage();
        ReadRtMinusBatteryVoltage();
        ReadRtPlus400BatteryVoltage();
        ReadRtMinus400BatteryVoltage();
    }
    if (AprogMode) ReadNominalOutputVoltage();
}

}  // namespace kelvane
