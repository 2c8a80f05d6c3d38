#include "worker/DisplayRefresh.h"

#include <string>

#include "ups/AnswerConversions.h"
#include "ups/UpsLink.h"
#include "worker/LoadColouring.h"
#include "worker/PollWorker.h"
#include "worker/WindowControls.h"

namespace kelvane {

const std::string_view StatusCheckBoxes[4][8] = {
    {"CheckBox9", "CheckBox10", "CheckBox11", "CheckBox12", "CheckBox13", "CheckBox14", "CheckBox15",
     "CheckBox16"},
    {"CheckBox17", "CheckBox18", "CheckBox19", "CheckBox20", "CheckBox21", "CheckBox22", "CheckBox23",
     "CheckBox24"},
    {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7", "CheckBox8"},
    {"CheckBox25", "CheckBox26", "CheckBox27", "CheckBox28", "CheckBox29", "CheckBox30", "CheckBox31",
     "CheckBox32"},
};

namespace {

constexpr std::string_view LineFailureMessage = "  Line Failure ! \n";
constexpr std::string_view LineRestoredMessage = "  Returning from Line Failure ! \n";

void ShowRegisters(const UpsLink& ups, WindowControls& controls) {
    const uint8_t registers[4] = {ups.StateRegister1, ups.StateRegister2, ups.StateRegister3,
                                  ups.StatusFlags};
    for (int group = 0; group < 4; ++group) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool set = (registers[group] >> bit) & 1U;
            controls.SetChecked(StatusCheckBoxes[group][bit], set);
            controls.SetEnabled(StatusCheckBoxes[group][bit], set);
        }
    }
}

void ShowReading(WindowControls& controls, std::string_view field, std::string_view text,
                 std::string_view bar, double value) {
    controls.SetText(field, text);
    controls.SetBar(bar, TruncateTo<int>(value));
}

void ShowSmartNoSerial(UpsLink& ups, WindowControls& controls) {
    controls.SetText("LineFrequency", ups.LineFrequencyText);
    ShowReading(controls, "InputVoltage", ups.InputVoltageText, "InputVoltageBar", ups.InputVoltageValue);
    ShowReading(controls, "OutputVoltage", ups.OutputVoltageText, "OutputVoltageBar", ups.OutputVoltageValue);
    // This family's poll list leaves the battery voltage out; it is asked for here, while the worker waits.
    controls.SetText("BatteryVoltageSmart", ups.ReadBatteryVoltage());
}

void ShowSmart(UpsLink& ups, WindowControls& controls) {
    controls.SetText("LineFrequency", ups.LineFrequencyText);
    ShowReading(controls, "RunTime", ups.RunTimeText, "RunTimeBar", ups.RunTimeMinutes);
    ShowReading(controls, "BatteryCharged", ups.BatteryChargeText, "BatteryChargedBar",
                ups.BatteryChargeValue);
    controls.SetText("LoadPercent", ups.LoadPercentText);
    ColourLoadFields(controls, "LoadPercent", "LoadW", ups.LoadPercentValue);
    controls.SetText("LoadW", ups.LoadWattsText);
    controls.SetBar("LoadBar", TruncateTo<int>(ups.LoadPercentValue));
    controls.Repaint("LoadBar");
    ShowReading(controls, "InputVoltage", ups.InputVoltageText, "InputVoltageBar", ups.InputVoltageValue);
    ShowReading(controls, "OutputVoltage", ups.OutputVoltageText, "OutputVoltageBar", ups.OutputVoltageValue);
    controls.SetText("BatteryVoltageSmart", ups.BatteryVoltageText);
    if (!ups.SmallModel && !ups.StackModel) controls.SetText("Temperature", ups.TemperatureText);
    if (ups.SurtModel) {
        controls.SetText("RTplusBatVoltage", ups.RtPlusBatteryVoltageText);
        controls.SetText("RTminusBatVoltage", ups.RtMinusBatteryVoltageText);
        controls.SetText("RTplus400BatVoltage", ups.RtPlus400BatteryVoltageText);
        controls.SetText("RTminus400BatVoltage", ups.RtMinus400BatteryVoltageText);
        controls.SetText("BatteryVoltageRT", ups.BatteryVoltageText);
    }
    // In the monitor-only dialect the poll list cannot include the nominal output voltage.
    if (ups.AprogMode) controls.SetText("OutputVoltageConstant", ups.ReadNominalOutputVoltage());
}

void ShowBackPro(UpsLink& ups, WindowControls& controls) {
    if (ups.RatedDigits != 4) {
        controls.SetText("FloatBackPro", ups.FloatVoltageText);
        controls.SetText("Ratio", ups.RatioText);
        controls.SetText("EUTVoltage", ups.EutVoltageText);
        controls.SetText("CapasitorLoad", ups.CapacitorLoadText);
        controls.SetText("DCOffset", ups.DcOffsetText);
    }
    controls.SetText("BatteryVoltagePRO", ups.BatteryVoltageText);
    controls.SetText("BBDVoltage", ups.BbdVoltageText);
    controls.SetText("LoadPercentBackPro", ups.LoadPercentText);
    ColourLoadFields(controls, "LoadPercentBackPro", "LoadWBackPro", ups.LoadPercentValue);
    controls.SetBar("LoadBackProBar", TruncateTo<int>(ups.LoadPercentValue));
    controls.SetText("LoadWBackPro", ups.LoadWattsText);
    ShowReading(controls, "InputVoltageBackPro", ups.InputVoltageText, "InputVoltageBackProBar",
                ups.InputVoltageValue);
    ShowReading(controls, "OutputVoltageBackPro", ups.OutputVoltageText, "OutputVoltageBackProBar",
                ups.OutputVoltageValue);
}

void ShowSmart2ndGen(UpsLink& ups, WindowControls& controls) {
    controls.SetText("LineFrequency", ups.LineFrequencyText);
    controls.SetText("BatteryVoltage2nd", ups.BatteryVoltageText);
    ShowReading(controls, "RunTime2nd", ups.RunTimeText, "RunTime2ndBar", ups.RunTimeMinutes);
    ShowReading(controls, "BatteryCharged2nd", ups.BatteryChargeText, "BatteryCharged2ndBar",
                ups.BatteryChargeValue);
    controls.SetText("LoadPercent2nd", ups.LoadPercentText);
    ColourLoadFields(controls, "LoadPercent2nd", "LoadW2nd", ups.LoadPercentValue);
    controls.SetBar("Load2ndBar", TruncateTo<int>(ups.LoadPercentValue));
    controls.SetText("LoadW2nd", ups.LoadWattsText);
    ShowReading(controls, "InputVoltage2nd", ups.InputVoltageText, "InputVoltage2ndBar",
                ups.InputVoltageValue);
    ShowReading(controls, "OutputVoltage2nd", ups.OutputVoltageText, "OutputVoltage2ndBar",
                ups.OutputVoltageValue);
    controls.SetText("Temperature", ups.TemperatureText);
}

void ShowReadings(UpsLink& ups, WindowControls& controls) {
    switch (ups.Family) {
        case FamilySmartNoSerial:
            ShowSmartNoSerial(ups, controls);
            break;
        case FamilySmart:
            ShowSmart(ups, controls);
            break;
        case FamilyBackPro:
            ShowBackPro(ups, controls);
            break;
        case FamilySmart2ndGen:
            ShowSmart2ndGen(ups, controls);
            break;
        default:
            break;
    }
}

void FeedCharts(const UpsLink& ups, WindowControls& controls) {
    ChartSamples samples;
    if (!SamplesForSelection(ups, controls.Tag("GroupBox26"), samples)) return;
    controls.ChartSample("KPerformanceGraph1", samples.Upper);
    controls.ChartSample("KPerformanceGraph2", samples.Lower);
}

void ShowAlert(WindowControls& controls, bool& latch, std::string_view message) {
    if (!latch) return;
    // At the end of the box, not at its insertion point: a click inside the read-only box moves that
    // point, and the alerts would land in the middle of earlier ones, out of order.
    controls.AppendText("UPSMessage", message, Colour::Heading);
    latch = false;
    controls.Repaint("UPSMessage");
}

}  // namespace

bool SamplesForSelection(const UpsLink& ups, int selection, ChartSamples& samples) {
    // The charge text's leading digits: "100.0" is 100.
    const long charge = ParseInteger(ups.BatteryChargeText);
    const int chargePoint = TruncateTo<int>(static_cast<double>(charge) * 1.5);
    const int inputPoint = TruncateTo<int>(ups.InputVoltageValue) / 2;
    const int runTimePoint = ups.RunTimeMinutes * 3;
    switch (selection) {
        case 0:
            samples = {inputPoint, chargePoint};
            return true;
        case 1:
            samples = {runTimePoint, chargePoint};
            return true;
        case 2:
            samples = {runTimePoint, TruncateTo<int>(static_cast<double>(ups.LoadPercentValue) * 1.5)};
            return true;
        case 3:
            samples = {inputPoint, TruncateTo<int>(ups.OutputVoltageValue) / 2};
            return true;
        default:
            return false;
    }
}

void RefreshDisplay(UpsLink& ups, WindowControls& controls, PollWindow& window, ReadOut readOut) {
    controls.SetLinkLampOnline(ups.Online);
    if (readOut == ReadOut::StatusRegisters) {
        ShowRegisters(ups, controls);
    } else {
        ShowReadings(ups, controls);
        // A unit that failed identification gets another chance every cycle.
        if (!window.UnitIdentified()) window.StartClick();
        FeedCharts(ups, controls);
    }
    ShowAlert(controls, ups.LineFailAlert, LineFailureMessage);
    ShowAlert(controls, ups.LineRestoredAlert, LineRestoredMessage);
}

}  // namespace kelvane
