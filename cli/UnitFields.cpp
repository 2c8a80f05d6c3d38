// Which members a refresh fills follows the refresh lists of UpsLinkIdentify.cpp; the tests run every
// preset through both so that a member missing here, or one listed but never read, shows at once.
#include "cli/UnitFields.h"

namespace kelvane::cli {
namespace {

template <std::size_t N>
void Text(JsonObject& json, std::string_view key, const BoundedText<N>& text) {
    json.AddText(key, text.View());
}

void Measurements(JsonObject& json, const UpsLink& link) {
    Text(json, "OutputVoltageText", link.OutputVoltageText);
    json.AddFloat("OutputVoltageValue", link.OutputVoltageValue);
    Text(json, "InputVoltageText", link.InputVoltageText);
    json.AddFloat("InputVoltageValue", link.InputVoltageValue);
}

void Load(JsonObject& json, const UpsLink& link) {
    Text(json, "LoadPercentText", link.LoadPercentText);
    json.AddFloat("LoadPercentValue", link.LoadPercentValue);
    Text(json, "LoadWattsText", link.LoadWattsText);
    json.AddFloat("LoadWattsValue", link.LoadWattsValue);
}

void BackProReadings(JsonObject& json, const UpsLink& link, bool withBbd) {
    Text(json, "FloatVoltageText", link.FloatVoltageText);
    Text(json, "RatioText", link.RatioText);
    Text(json, "EutVoltageText", link.EutVoltageText);
    if (withBbd) Text(json, "BbdVoltageText", link.BbdVoltageText);
    Text(json, "CapacitorLoadText", link.CapacitorLoadText);
    Text(json, "DcOffsetText", link.DcOffsetText);
}

void SurtReadings(JsonObject& json, const UpsLink& link) {
    Text(json, "RtPlusBatteryVoltageText", link.RtPlusBatteryVoltageText);
    Text(json, "RtMinusBatteryVoltageText", link.RtMinusBatteryVoltageText);
    Text(json, "RtPlus400BatteryVoltageText", link.RtPlus400BatteryVoltageText);
    Text(json, "RtMinus400BatteryVoltageText", link.RtMinus400BatteryVoltageText);
}

void RunTimeAndCharge(JsonObject& json, const UpsLink& link) {
    Text(json, "RunTimeText", link.RunTimeText);
    json.AddInteger("RunTimeMinutes", link.RunTimeMinutes);
    Text(json, "BatteryChargeText", link.BatteryChargeText);
    json.AddFloat("BatteryChargeValue", link.BatteryChargeValue);
}

void BatteryVoltage(JsonObject& json, const UpsLink& link) {
    Text(json, "BatteryVoltageText", link.BatteryVoltageText);
    json.AddFloat("BatteryVoltageValue", link.BatteryVoltageValue);
}

// The constants identification reads on third-generation and SC units.
void ModelConstants(JsonObject& json, const UpsLink& link) {
    if (link.ThirdGen) {
        Text(json, "ConstDollarText", link.ConstDollarText);
        Text(json, "ConstPercentText", link.ConstPercentText);
        if (!link.SurtModel) Text(json, "ConstCaretText", link.ConstCaretText);
        // Asked for only when the "%" constant answered "NA"; empty otherwise.
        Text(json, "ConstCtrlDText", link.ConstCtrlDText);
    }
    if (link.ScModel) Text(json, "ConstHashText", link.ConstHashText);
}

// What the full refresh reads besides firmware, dates and battery voltage.
void FullRefreshReadings(JsonObject& json, const UpsLink& link) {
    const int16_t family = link.Family;
    if (family == FamilyUnidentified) return;
    Measurements(json, link);
    if (family != FamilySmartNoSerial) Load(json, link);
    if (family == FamilyBackPro) {
        BackProReadings(json, link, true);
        return;
    }
    if (family == FamilySmart) {
        Text(json, "NominalBatteryVoltageText", link.NominalBatteryVoltageText);
        Text(json, "Const4Text", link.Const4Text);
        Text(json, "BatteryPacksText", link.BatteryPacksText);
        json.AddInteger("BatteryPacksValue", link.BatteryPacksValue);
    }
    if (!link.SmallModel) Text(json, "TemperatureText", link.TemperatureText);
    if (link.SurtModel) SurtReadings(json, link);
    Text(json, "UpsIdText", link.UpsIdText);
    Text(json, "LowTransferVoltageText", link.LowTransferVoltageText);
    Text(json, "UpTransferVoltageText", link.UpTransferVoltageText);
    Text(json, "Const0Text", link.Const0Text);
    Text(json, "Const5Text", link.Const5Text);
    Text(json, "Const6Text", link.Const6Text);
    Text(json, "NominalOutputVoltageText", link.NominalOutputVoltageText);
    Text(json, "SelfTestIntervalText", link.SelfTestIntervalText);
    Text(json, "ShutdownDelayText", link.ShutdownDelayText);
    Text(json, "WakeupDelayText", link.WakeupDelayText);
    Text(json, "LowBatteryWarningText", link.LowBatteryWarningText);
    Text(json, "AlarmDelayText", link.AlarmDelayText);
    Text(json, "ReturnThresholdText", link.ReturnThresholdText);
    Text(json, "SensitivityText", link.SensitivityText);
    Text(json, "LineFrequencyText", link.LineFrequencyText);
    RunTimeAndCharge(json, link);
}

}  // namespace

std::string_view FamilyName(int16_t family) {
    switch (family) {
        case FamilySmart:
            return "FamilySmart";
        case FamilyBackPro:
            return "FamilyBackPro";
        case FamilySmart2ndGen:
            return "FamilySmart2ndGen";
        case FamilySmartNoSerial:
            return "FamilySmartNoSerial";
        case FamilyUnidentified:
            return "FamilyUnidentified";
        default:
            return {};
    }
}

void AddIdentification(JsonObject& json, const UpsLink& link) {
    const std::string_view family = FamilyName(link.Family);
    if (family.empty()) {
        json.AddInteger("Family", link.Family);
    } else {
        json.AddText("Family", family);
    }
    json.AddBool("ThirdGen", link.ThirdGen)
        .AddBool("SurtModel", link.SurtModel)
        .AddBool("ScModel", link.ScModel)
        .AddBool("ScRackModel", link.ScRackModel)
        .AddBool("SmallModel", link.SmallModel)
        .AddBool("XlModel", link.XlModel)
        .AddBool("StackModel", link.StackModel)
        .AddBool("ModelCodeViaCtrlB", link.ModelCodeViaCtrlB)
        .AddBool("HlVariant", link.HlVariant)
        .AddBool("AprogMode", link.AprogMode)
        .AddFloat("RatedPower", link.RatedPower)
        .AddInteger("RatedDigits", link.RatedDigits)
        .AddInteger("LegacyVariant", link.LegacyVariant);

    const bool identified = link.Family != FamilyUnidentified;
    if (identified) {
        json.AddFloat("WattsPerPercent", link.WattsPerPercent);
        Text(json, "ModelNameText", link.ModelNameText);
    }
    Text(json, "SerialNumberText", link.SerialNumberText);
    Text(json, "FirmwareText", link.FirmwareText);
    if (link.ThirdGen) Text(json, "SkuCodeText", link.SkuCodeText);
    if (identified) ModelConstants(json, link);
    FullRefreshReadings(json, link);
    Text(json, "ManufactureDateText", link.ManufactureDateText);
    Text(json, "BatteryReplaceDateText", link.BatteryReplaceDateText);
    BatteryVoltage(json, link);
}

void AddPollReadings(JsonObject& json, const UpsLink& link) {
    const int16_t family = link.Family;
    if (family != FamilyUnidentified) {
        Measurements(json, link);
        if (family == FamilySmartNoSerial) {
            Text(json, "LineFrequencyText", link.LineFrequencyText);
        } else if (family == FamilyBackPro) {
            Load(json, link);
            BackProReadings(json, link, false);
        } else {
            Load(json, link);
            Text(json, "TemperatureText", link.TemperatureText);
            Text(json, "LineFrequencyText", link.LineFrequencyText);
            RunTimeAndCharge(json, link);
        }
    }
    BatteryVoltage(json, link);
    if (link.SurtModel) SurtReadings(json, link);
    if (link.AprogMode) Text(json, "NominalOutputVoltageText", link.NominalOutputVoltageText);
}

}  // namespace kelvane::cli
