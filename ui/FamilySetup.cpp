#include "ui/FamilySetup.h"

#include <initializer_list>
#include <string_view>

#include "ui/QtWindowControls.h"
#include "ups/AnswerConversions.h"
#include "ups/UpsLink.h"

namespace kelvane {

namespace {

enum class Act { On, Off, Show, Hide, TabShow, TabHide, Empty, Grey, White };

// One setting made on a row of controls.
struct Setting {
    Act What;
    std::initializer_list<std::string_view> Controls;
};
using Settings = std::initializer_list<Setting>;

// A control filled from a text member of the link.
struct TextSetting {
    std::string_view Control;
    std::string_view (*Text)(const UpsLink&);
};
using TextSettings = std::initializer_list<TextSetting>;

// A progress bar set from a number member of the link.
struct BarSetting {
    std::string_view Control;
    double (*Value)(const UpsLink&);
};
using BarSettings = std::initializer_list<BarSetting>;

template <auto Member>
std::string_view TextOf(const UpsLink& ups) {
    return (ups.*Member).View();
}

template <auto Member>
double ValueOf(const UpsLink& ups) {
    return static_cast<double>(ups.*Member);
}

void Apply(QtWindowControls& controls, Settings settings) {
    for (const Setting& setting : settings) {
        for (std::string_view control : setting.Controls) {
            switch (setting.What) {
                case Act::On:
                    controls.SetEnabled(control, true);
                    break;
                case Act::Off:
                    controls.SetEnabled(control, false);
                    break;
                case Act::Show:
                    controls.SetVisible(control, true);
                    break;
                case Act::Hide:
                    controls.SetVisible(control, false);
                    break;
                case Act::TabShow:
                    controls.SetTabVisible(control, true);
                    break;
                case Act::TabHide:
                    controls.SetTabVisible(control, false);
                    break;
                case Act::Empty:
                    controls.ClearText(control);
                    break;
                case Act::Grey:
                    controls.SetBackground(control, EditBackground::Grey);
                    break;
                case Act::White:
                    controls.SetBackground(control, EditBackground::White);
                    break;
            }
        }
    }
}

void Apply(const UpsLink& ups, QtWindowControls& controls, TextSettings texts) {
    for (const TextSetting& text : texts) controls.SetText(text.Control, text.Text(ups));
}

void Apply(const UpsLink& ups, QtWindowControls& controls, BarSettings bars) {
    for (const BarSetting& bar : bars) controls.SetBar(bar.Control, TruncateTo<int>(bar.Value(ups)));
}

// The pages a family offers; the others lose their tab.
struct PageSetup {
    std::string_view Active;
    std::initializer_list<std::string_view> Offered;
    std::initializer_list<std::string_view> Withdrawn;
};

void Apply(QtWindowControls& controls, const PageSetup& pages) {
    // Offered first: Qt will not keep a page current whose tab is hidden.
    for (std::string_view page : pages.Offered) {
        controls.SetEnabled(page, true);
        controls.SetTabVisible(page, true);
    }
    controls.SetActivePage(pages.Active);
    for (std::string_view page : pages.Withdrawn) {
        controls.SetEnabled(page, false);
        controls.SetTabVisible(page, false);
    }
    Apply(controls, {{Act::Show, {"PageControl1"}}, {Act::On, {"PageControl1"}}, {Act::Show, {"GroupBox7"}}});
}

// The family blocks force the chart pair "Input & Output": their units report no run time or charge.
void ForceInputOutputCharts(QtWindowControls& controls) {
    controls.SetSelectedIndex("Graphics", 3);
    controls.SetTag("GroupBox26", 3);
    controls.SetEnabled("Graphics", false);
}

const std::initializer_list<std::string_view> SettingsChangeButtons = {
    "ShutDownDelayChange", "WakeUpDelayChange", "SelfTestChange",      "AlarmDelayChange",
    "ThresholdChange",     "SensitivityChange", "LowBatWarningChange", "ResetAll"};

const TextSettings LiveReadingTexts = {
    {"InputVoltage", TextOf<&UpsLink::InputVoltageText>},
    {"OutputVoltage", TextOf<&UpsLink::OutputVoltageText>},
};
const BarSettings LiveReadingBars = {
    {"InputVoltageBar", ValueOf<&UpsLink::InputVoltageValue>},
    {"OutputVoltageBar", ValueOf<&UpsLink::OutputVoltageValue>},
};

void SmartNoSerialBlock(const UpsLink& ups, QtWindowControls& controls) {
    Apply(controls,
          PageSetup{
              "TabSheet1", {"TabSheet1", "TabSheet7"}, {"TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"}});
    ForceInputOutputCharts(controls);
    Apply(ups, controls,
          {
              {"Model", TextOf<&UpsLink::ModelNameText>},
              {"Firmware", TextOf<&UpsLink::FirmwareText>},
              {"BatteryVoltageSmart", TextOf<&UpsLink::BatteryVoltageText>},
              {"UpTransferVoltage", TextOf<&UpsLink::UpTransferVoltageText>},
              {"LowTransferVoltage", TextOf<&UpsLink::LowTransferVoltageText>},
              {"OutputVoltageConstant", TextOf<&UpsLink::NominalOutputVoltageText>},
              {"LineFrequency", TextOf<&UpsLink::LineFrequencyText>},
          });
    Apply(ups, controls, LiveReadingTexts);
    Apply(ups, controls, LiveReadingBars);
    Apply(controls,
          {
              {Act::Hide, {"ModelConst", "Label5", "SU36G"}},
              {Act::Show, {"Firmware"}},
              {Act::Hide, {"GroupBox1", "GroupBox4", "GroupBox8", "GroupBox14"}},
              {Act::Off,
               {"Temperature", "Label4", "BatSysVolt", "Label16", "BatteryPacks", "BatteryPacksMinus",
                "BatteryPacksPlus"}},
              {Act::Empty, {"BatSysVolt", "Temperature", "BatteryPacks"}},
              {Act::Off, SettingsChangeButtons},
              {Act::Off,
               {"Threshold", "SelfTest", "ShutDownDelay", "WakeUpDelay", "AlarmDelay", "Sensitivity",
                "LowBatWarning", "Label60", "Label61", "Label6", "Label2", "Label15"}},
              {Act::On, {"Label1", "LineFrequency"}},
              {Act::Off, {"ManufactureDate", "BatteriesReplaseDate", "SerialNumber", "ID"}},
              {Act::Grey, {"ManufactureDate", "BatteriesReplaseDate", "SerialNumber", "ID"}},
          });
}

void SmartBlock(const UpsLink& ups, QtWindowControls& controls) {
    Apply(controls,
          PageSetup{
              "TabSheet1", {"TabSheet1", "TabSheet5", "TabSheet7"}, {"TabSheet2", "TabSheet3", "TabSheet4"}});
    controls.SetMaxLength("SerialNumber", 14);
    Apply(ups, controls,
          {
              {"Model", TextOf<&UpsLink::ModelNameText>},
              {"ManufactureDate", TextOf<&UpsLink::ManufactureDateText>},
              {"BatteriesReplaseDate", TextOf<&UpsLink::BatteryReplaceDateText>},
              {"ID", TextOf<&UpsLink::UpsIdText>},
              {"SerialNumber", TextOf<&UpsLink::SerialNumberText>},
              {"Const0", TextOf<&UpsLink::Const0Text>},
              {"Const4", TextOf<&UpsLink::Const4Text>},
              {"Const5", TextOf<&UpsLink::Const5Text>},
              {"Const6", TextOf<&UpsLink::Const6Text>},
              {"BatSysVolt", TextOf<&UpsLink::NominalBatteryVoltageText>},
              {"BatteryVoltageSmart", TextOf<&UpsLink::BatteryVoltageText>},
              {"UpTransferVoltage", TextOf<&UpsLink::UpTransferVoltageText>},
              {"LowTransferVoltage", TextOf<&UpsLink::LowTransferVoltageText>},
              {"OutputVoltageConstant", TextOf<&UpsLink::NominalOutputVoltageText>},
              {"SelfTest", TextOf<&UpsLink::SelfTestIntervalText>},
              {"LineFrequency", TextOf<&UpsLink::LineFrequencyText>},
              {"ShutDownDelay", TextOf<&UpsLink::ShutdownDelayText>},
              {"WakeUpDelay", TextOf<&UpsLink::WakeupDelayText>},
              {"Sensitivity", TextOf<&UpsLink::SensitivityText>},
              {"LowBatWarning", TextOf<&UpsLink::LowBatteryWarningText>},
              {"AlarmDelay", TextOf<&UpsLink::AlarmDelayText>},
              {"Threshold", TextOf<&UpsLink::ReturnThresholdText>},
              {"RunTime", TextOf<&UpsLink::RunTimeText>},
              {"BatteryCharged", TextOf<&UpsLink::BatteryChargeText>},
          });
    Apply(ups, controls,
          {{"RunTimeBar", ValueOf<&UpsLink::RunTimeMinutes>},
           {"BatteryChargedBar", ValueOf<&UpsLink::BatteryChargeValue>}});
    Apply(ups, controls, LiveReadingTexts);
    Apply(ups, controls, LiveReadingBars);
    Apply(controls, {{Act::On, {"BatSysVolt", "Label16"}}});

    const Settings batteryPackFields = {
        {Act::Off, {"Temperature", "Label4", "BatteryPacks", "BatteryPacksMinus", "BatteryPacksPlus"}}};
    if (ups.SmallModel || ups.StackModel) {
        Apply(controls, batteryPackFields);
        Apply(controls, {{Act::Empty, {"Temperature", "BatteryPacks"}}});
    } else {
        Apply(
            controls,
            {{Act::On, {"Temperature", "Label4", "BatteryPacks", "BatteryPacksMinus", "BatteryPacksPlus"}}});
        Apply(ups, controls,
              {{"BatteryPacks", TextOf<&UpsLink::BatteryPacksText>},
               {"Temperature", TextOf<&UpsLink::TemperatureText>}});
    }

    Apply(controls, {{Act::On, {"Leds", "Test"}}, {Act::Off, {"ByPass"}}});
    if (ups.SurtModel) controls.SetEnabled("ByPass", true);

    if (!ups.ThirdGen) {
        Apply(controls, {{Act::Hide, {"ModelConst", "Label5", "SU36G"}}, {Act::Show, {"Firmware"}}});
        Apply(ups, controls, {{"Firmware", TextOf<&UpsLink::FirmwareText>}});
    } else {
        // The third generation splits its firmware text: the SKU code has a field of its own and the rest
        // stands in that field's caption.
        Apply(controls, {{Act::Hide, {"Firmware"}}, {Act::Show, {"Label5", "SU36G"}}});
        Apply(ups, controls,
              {{"SU36G", TextOf<&UpsLink::SkuCodeText>}, {"SU36GLabel", TextOf<&UpsLink::FirmwareText>}});
    }

    if (ups.ScModel) {
        Apply(controls,
              {
                  {Act::Hide,
                   {"BatteryVoltageMinus", "BatteryVoltagePlus", "InputVoltagePlus", "InputVoltageMinus",
                    "InputVoltageConstantSmart", "BatteryPacksMinus", "BatteryPacksPlus"}},
                  {Act::Off, {"BatteryPacks"}},
                  {Act::Empty, {"BatteryPacks"}},
              });
    }

    Apply(controls, {
                        {Act::On, SettingsChangeButtons},
                        {Act::On,
                         {"LowBatWarning", "Threshold", "SelfTest", "ShutDownDelay", "WakeUpDelay",
                          "AlarmDelay", "Sensitivity", "LineFrequency", "Label1", "Label2", "Label6",
                          "Label15", "Label60", "Label61"}},
                        {Act::On, {"ManufactureDate", "BatteriesReplaseDate", "SerialNumber", "ID"}},
                        {Act::White, {"ManufactureDate", "BatteriesReplaseDate", "SerialNumber", "ID"}},
                    });
}

void BackProBlock(const UpsLink& ups, QtWindowControls& controls) {
    Apply(controls,
          PageSetup{
              "TabSheet2", {"TabSheet2", "TabSheet7"}, {"TabSheet1", "TabSheet3", "TabSheet4", "TabSheet5"}});
    ForceInputOutputCharts(controls);
    controls.SetMaxLength("SerialNumber", 14);
    const std::initializer_list<std::string_view> settingFields = {"Ratio", "EUTVoltage", "FloatBackPro",
                                                                   "CapasitorLoad", "DCOffset"};
    const std::initializer_list<std::string_view> settingButtons = {
        "RatioMinus",       "RatioPlus",          "EUTVoltageMinus",   "EUTVoltagePlus", "FloatBackProMinus",
        "FloatBackProPlus", "CapasitorLoadMinus", "CapasitorLoadPlus", "DCOffsetMinus",  "DCOffsetPlus"};
    Apply(
        controls,
        {
            {Act::On, {"SerialNumber"}},
            {Act::Empty, {"Ratio", "FloatBackPro", "EUTVoltage", "DCOffset", "CapasitorLoad", "Temperature"}},
            {Act::Show, {"Firmware"}},
            {Act::Hide, {"Label5", "SU36G"}},
            {Act::On, {"ModelMinus", "ModelPlus"}},
            {Act::Off, {"Label1", "Temperature", "Label4", "BatSysVolt", "Label16", "LineFrequency"}},
            {Act::Off, {"ManufactureDate", "BatteriesReplaseDate", "ID"}},
            {Act::Grey, {"ManufactureDate", "BatteriesReplaseDate", "ID"}},
            {Act::On, {"Leds"}},
            {Act::Off, {"Test", "ByPass"}},
        });
    // A four-digit rating has none of the five settings below; the fields stay empty and locked.
    const Act settingsState = ups.RatedDigits == 4 ? Act::Off : Act::On;
    Apply(controls, {{settingsState, settingFields}, {settingsState, settingButtons}});
    if (ups.RatedDigits != 4) {
        Apply(ups, controls,
              {
                  {"FloatBackPro", TextOf<&UpsLink::FloatVoltageText>},
                  {"Ratio", TextOf<&UpsLink::RatioText>},
                  {"EUTVoltage", TextOf<&UpsLink::EutVoltageText>},
                  {"CapasitorLoad", TextOf<&UpsLink::CapacitorLoadText>},
                  {"DCOffset", TextOf<&UpsLink::DcOffsetText>},
              });
    }
    Apply(ups, controls,
          {
              {"Model", TextOf<&UpsLink::ModelNameText>},
              {"Firmware", TextOf<&UpsLink::FirmwareText>},
              {"SerialNumber", TextOf<&UpsLink::SerialNumberText>},
              {"BatteryVoltagePRO", TextOf<&UpsLink::BatteryVoltageText>},
              {"BBDVoltage", TextOf<&UpsLink::BbdVoltageText>},
              {"LoadPercentBackPro", TextOf<&UpsLink::LoadPercentText>},
              {"LoadWBackPro", TextOf<&UpsLink::LoadWattsText>},
              {"InputVoltageBackPro", TextOf<&UpsLink::InputVoltageText>},
              {"OutputVoltageBackPro", TextOf<&UpsLink::OutputVoltageText>},
          });
    Apply(ups, controls,
          {
              {"LoadBackProBar", ValueOf<&UpsLink::LoadPercentValue>},
              {"InputVoltageBackProBar", ValueOf<&UpsLink::InputVoltageValue>},
              {"OutputVoltageBackProBar", ValueOf<&UpsLink::OutputVoltageValue>},
          });
}

// The second generation's older variants lock what their firmware cannot change; variant 2 is the full
// one. A variant the identification never gives is treated as the most limited.
void LegacyVariantSettings(const UpsLink& ups, QtWindowControls& controls) {
    const int variant = ups.LegacyVariant == 1 || ups.LegacyVariant == 2 ? ups.LegacyVariant : 0;
    if (variant == 2) controls.SetText("ModelConst", ups.ModelCode2ndText);
    const Act full = variant == 2 ? Act::On : Act::Off;
    const Act targets = variant == 2 ? Act::Show : Act::Hide;
    const Act identity = variant >= 1 ? Act::On : Act::Off;
    Apply(controls, {
                        {full,
                         {"Const02nd", "Const52nd", "Const62nd", "Bat2ndMinus", "ModelConst", "SerialNumber",
                          "ManufactureDate", "Load2ndMinus", "InputVoltage2ndMinus"}},
                        {targets, {"BatSmart2nd", "LoadSmart2nd", "InputVoltageConstantSmart2nd"}},
                        {identity, {"BatteriesReplaseDate", "ID"}},
                        {identity, {"UpVoltageChange2nd", "LowVoltageChange2nd", "OutVoltageChange2nd"}},
                        {identity, SettingsChangeButtons},
                    });
    if (variant >= 1) controls.SetEnabled("LowBatWarning", true);
}

void Smart2ndGenBlock(const UpsLink& ups, QtWindowControls& controls) {
    Apply(controls,
          PageSetup{
              "TabSheet3", {"TabSheet3", "TabSheet5", "TabSheet7"}, {"TabSheet1", "TabSheet2", "TabSheet4"}});
    controls.SetMaxLength("SerialNumber", 8);
    Apply(controls, {
                        {Act::White, {"ManufactureDate", "BatteriesReplaseDate", "ID"}},
                        {Act::On, {"Temperature", "Label4"}},
                        {Act::Off, {"BatSysVolt", "Label16"}},
                        {Act::Show, {"Firmware"}},
                        {Act::Hide, {"Label5", "SU36G"}},
                        {Act::Off, {"ModelMinus", "ModelPlus"}},
                        {Act::On, {"Leds", "Test"}},
                        {Act::Off, {"ByPass"}},
                    });
    Apply(ups, controls,
          {
              {"Model", TextOf<&UpsLink::ModelNameText>},
              {"Firmware", TextOf<&UpsLink::FirmwareText>},
              {"ManufactureDate", TextOf<&UpsLink::ManufactureDateText>},
              {"BatteriesReplaseDate", TextOf<&UpsLink::BatteryReplaceDateText>},
              {"ID", TextOf<&UpsLink::UpsIdText>},
              {"SerialNumber", TextOf<&UpsLink::SerialNumberText>},
              {"Const02nd", TextOf<&UpsLink::Const0Text>},
              {"Const52nd", TextOf<&UpsLink::Const5Text>},
              {"Const62nd", TextOf<&UpsLink::Const6Text>},
              {"Sensitivity", TextOf<&UpsLink::SensitivityText>},
              {"Temperature", TextOf<&UpsLink::TemperatureText>},
              {"LowBatWarning", TextOf<&UpsLink::LowBatteryWarningText>},
              {"AlarmDelay", TextOf<&UpsLink::AlarmDelayText>},
              {"Threshold", TextOf<&UpsLink::ReturnThresholdText>},
          });
    LegacyVariantSettings(ups, controls);
    Apply(ups, controls,
          {
              {"UpVoltage2nd", TextOf<&UpsLink::UpTransferVoltageText>},
              {"LowVoltage2nd", TextOf<&UpsLink::LowTransferVoltageText>},
              {"OutputVoltageConstant2nd", TextOf<&UpsLink::NominalOutputVoltageText>},
              {"SelfTest", TextOf<&UpsLink::SelfTestIntervalText>},
              {"ShutDownDelay", TextOf<&UpsLink::ShutdownDelayText>},
              {"WakeUpDelay", TextOf<&UpsLink::WakeupDelayText>},
              {"LineFrequency", TextOf<&UpsLink::LineFrequencyText>},
              {"BatteryVoltage2nd", TextOf<&UpsLink::BatteryVoltageText>},
              {"RunTime2nd", TextOf<&UpsLink::RunTimeText>},
              {"BatteryCharged2nd", TextOf<&UpsLink::BatteryChargeText>},
              {"LoadPercent2nd", TextOf<&UpsLink::LoadPercentText>},
              {"LoadW2nd", TextOf<&UpsLink::LoadWattsText>},
              {"InputVoltage2nd", TextOf<&UpsLink::InputVoltageText>},
              {"OutputVoltage2nd", TextOf<&UpsLink::OutputVoltageText>},
          });
    Apply(ups, controls,
          {
              {"RunTime2ndBar", ValueOf<&UpsLink::RunTimeMinutes>},
              {"BatteryCharged2ndBar", ValueOf<&UpsLink::BatteryChargeValue>},
              {"Load2ndBar", ValueOf<&UpsLink::LoadPercentValue>},
              {"InputVoltage2ndBar", ValueOf<&UpsLink::InputVoltageValue>},
              {"OutputVoltage2ndBar", ValueOf<&UpsLink::OutputVoltageValue>},
          });
}

bool Answered(std::string_view constant) {
    return constant != "NA";
}

}  // namespace

void ApplyStartingState(QtWindowControls& controls) {
    Apply(controls, {
                        {Act::On, {"Graphics", "ModelConst", "BatteryPacks"}},
                        {Act::Show, {"GroupBox1", "GroupBox4", "GroupBox8", "GroupBox14"}},
                    });
    controls.SetActivePage("Buffer1");
    Apply(controls,
          {
              {Act::Off, {"CompareEE"}},
              {Act::TabHide, {"TabSheet9", "TabSheet8"}},
              {Act::Hide, {"Const_3", "Const_4", "Const_5", "Const_6", "ConstCTRLD"}},
              {Act::Show,
               {"BatteryVoltageMinus", "BatteryVoltagePlus", "InputVoltagePlus", "InputVoltageMinus",
                "InputVoltageConstantSmart", "BatteryPacksMinus", "BatteryPacksPlus"}},
          });
}

void ApplyFamilyBlock(const UpsLink& ups, QtWindowControls& controls) {
    switch (ups.Family) {
        case FamilySmartNoSerial:
            SmartNoSerialBlock(ups, controls);
            break;
        case FamilySmart:
            SmartBlock(ups, controls);
            break;
        case FamilyBackPro:
            BackProBlock(ups, controls);
            break;
        case FamilySmart2ndGen:
            Smart2ndGenBlock(ups, controls);
            break;
        default:
            break;
    }
}

void ApplyModelFlagExtras(const UpsLink& ups, QtWindowControls& controls) {
    if (ups.ScModel) {
        controls.SetVisible("Const_3", true);
        controls.SetText("Const_3", ups.ConstHashText);
    }
    if (ups.SmallModel || ups.ThirdGen || ups.SurtModel) {
        controls.SetTabVisible("TabSheet8", true);
        if (ups.ThirdGen) {
            if (Answered(ups.ConstDollarText) && !ups.SurtModel) {
                controls.SetVisible("Const_4", true);
                controls.SetText("Const_4", ups.ConstDollarText);
            }
            if (Answered(ups.ConstPercentText)) {
                controls.SetVisible("Const_5", true);
                controls.SetText("Const_5", ups.ConstPercentText);
                if (Answered(ups.ConstCtrlDText)) {
                    controls.SetVisible("ConstCTRLD", true);
                    controls.SetText("ConstCTRLD", ups.ConstCtrlDText);
                }
            }
            if (!ups.SurtModel && Answered(ups.ConstCaretText)) {
                controls.SetVisible("Const_6", true);
                controls.SetText("Const_6", ups.ConstCaretText);
            }
        }
    }
    if (ups.SurtModel) {
        controls.SetTabVisible("TabSheet4", true);
        Apply(controls, {{Act::On, {"TabSheet4", "GroupBox28"}}});
        for (std::string_view label : {"Label19", "Label20", "Label21", "Label22"})
            controls.SetText(label, "");
        // Only the larger units have the charger pair behind these fields.
        Apply(controls, {{ups.RatedPower >= 3000.0f ? Act::Show : Act::Hide,
                          {"RTminusBatVoltage", "RTplusBatVoltage", "FirstRTminusBatVoltageButton",
                           "FirstRTplusBatVoltageButton", "SecondRTminusBatVoltageButton",
                           "SecondRTplusBatVoltageButton"}}});
    } else {
        controls.SetEnabled("GroupBox28", false);
        controls.SetTabVisible("TabSheet4", false);
        controls.SetEnabled("TabSheet4", false);
    }
}

void ApplyMonitorModeGate(const UpsLink& ups, QtWindowControls& controls) {
    if (!ups.AprogMode) {
        Apply(controls,
              {{Act::On,
                {"GroupBox3", "GroupBox20", "GroupBox10", "GroupBox16", "GroupBox1", "GroupBox4", "GroupBox5",
                 "GroupBox21", "GroupBox22", "GroupBox11", "GroupBox13", "GroupBox7", "Panel4"}}});
        if (ups.Family != FamilyUnidentified) controls.SetTabVisible("TabSheet9", true);
        return;
    }
    Apply(controls, {
                        {Act::On, {"GroupBox21", "Panel4"}},
                        {Act::Hide, {"BatteryVoltageMinus", "BatteryVoltagePlus"}},
                        {Act::TabHide, {"TabSheet4", "TabSheet8"}},
                    });
}

}  // namespace kelvane
