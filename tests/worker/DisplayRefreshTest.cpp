// The display refresh and the link-lost handling against a recording window: what each family shows,
// the load colouring, the chart samples, the status check boxes, the unit's alerts and the lamp.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/worker/PollWorkerFakes.h"
#include "worker/LinkLost.h"

namespace kelvane::testing {
namespace {

// A link with readings put straight into its members; no unit behind it.
struct Readings {
    Readings() {
        ups.LineFrequencyText = "50.00";
        ups.InputVoltageText = "229.9";
        ups.InputVoltageValue = 229.9f;
        ups.OutputVoltageText = "230.4";
        ups.OutputVoltageValue = 230.4f;
        ups.RunTimeText = "60";
        ups.RunTimeMinutes = 60;
        ups.BatteryChargeText = "100.0";
        ups.BatteryChargeValue = 100.0f;
        ups.LoadPercentText = "041.6";
        ups.LoadPercentValue = 41.6f;
        ups.LoadWattsText = "582";
        ups.BatteryVoltageText = "27.42";
        ups.TemperatureText = "031.5";
        ups.FloatVoltageText = "13.62";
        ups.RatioText = "0.93";
        ups.EutVoltageText = "218";
        ups.CapacitorLoadText = "07";
        ups.DcOffsetText = "02";
        ups.BbdVoltageText = "11.9";
        ups.RtPlusBatteryVoltageText = "+120.5";
        ups.RtMinusBatteryVoltageText = "-120.4";
        ups.RtPlus400BatteryVoltageText = "+200.1";
        ups.RtMinus400BatteryVoltageText = "-200.2";
        ups.Online = true;
    }
    void Refresh(ReadOut readOut = ReadOut::PollList) { RefreshDisplay(ups, controls, window, readOut); }

    UpsLink ups;
    RecordingWindow controls;
    FakePollWindow window{controls};
};

struct FamilyCase {
    int16_t Family;
    std::vector<std::pair<std::string, std::string>> Texts;
    std::vector<std::pair<std::string, int>> Bars;
};

TEST(DisplayRefreshTest, EachFamilyFillsItsOwnReadings) {
    const std::vector<FamilyCase> cases = {
        {FamilySmart,
         {{"LineFrequency", "50.00"},
          {"RunTime", "60"},
          {"BatteryCharged", "100.0"},
          {"LoadPercent", "041.6"},
          {"LoadW", "582"},
          {"InputVoltage", "229.9"},
          {"OutputVoltage", "230.4"},
          {"BatteryVoltageSmart", "27.42"},
          {"Temperature", "031.5"}},
         {{"RunTimeBar", 60},
          {"BatteryChargedBar", 100},
          {"LoadBar", 41},
          {"InputVoltageBar", 229},
          {"OutputVoltageBar", 230}}},
        {FamilyBackPro,
         {{"FloatBackPro", "13.62"},
          {"Ratio", "0.93"},
          {"EUTVoltage", "218"},
          {"CapasitorLoad", "07"},
          {"DCOffset", "02"},
          {"BatteryVoltagePRO", "27.42"},
          {"BBDVoltage", "11.9"},
          {"LoadPercentBackPro", "041.6"},
          {"LoadWBackPro", "582"},
          {"InputVoltageBackPro", "229.9"},
          {"OutputVoltageBackPro", "230.4"}},
         {{"LoadBackProBar", 41}, {"InputVoltageBackProBar", 229}, {"OutputVoltageBackProBar", 230}}},
        {FamilySmart2ndGen,
         {{"LineFrequency", "50.00"},
          {"BatteryVoltage2nd", "27.42"},
          {"RunTime2nd", "60"},
          {"BatteryCharged2nd", "100.0"},
          {"LoadPercent2nd", "041.6"},
          {"LoadW2nd", "582"},
          {"InputVoltage2nd", "229.9"},
          {"OutputVoltage2nd", "230.4"},
          {"Temperature", "031.5"}},
         {{"RunTime2ndBar", 60},
          {"BatteryCharged2ndBar", 100},
          {"Load2ndBar", 41},
          {"InputVoltage2ndBar", 229},
          {"OutputVoltage2ndBar", 230}}},
    };
    for (const FamilyCase& family : cases) {
        Readings bench;
        bench.ups.Family = family.Family;
        bench.Refresh();
        for (const auto& [control, text] : family.Texts)
            EXPECT_EQ(bench.controls.at(control).Text, text) << "family " << family.Family << " " << control;
        for (const auto& [bar, position] : family.Bars)
            EXPECT_EQ(bench.controls.at(bar).Bar, position) << "family " << family.Family << " " << bar;
        // Nothing of another family's pages is written.
        EXPECT_EQ(bench.controls.Controls.count(family.Family == FamilySmart ? "LoadPercent2nd" : "LoadBar"),
                  0u);
    }

    Readings unidentified;
    unidentified.ups.Family = FamilyUnidentified;
    unidentified.Refresh();
    for (const auto& [name, control] : unidentified.controls.Controls)
        EXPECT_TRUE(control.Text.empty()) << name;
}

TEST(DisplayRefreshTest, ModelFlagsDecideTheSmartExtras) {
    Readings small;
    small.ups.Family = FamilySmart;
    small.ups.SmallModel = true;
    small.Refresh();
    EXPECT_EQ(small.controls.Controls.count("Temperature"), 0u);
    EXPECT_EQ(small.controls.Controls.count("RTplusBatVoltage"), 0u);

    Readings rackTower;
    rackTower.ups.Family = FamilySmart;
    rackTower.ups.SurtModel = true;
    rackTower.Refresh();
    EXPECT_EQ(rackTower.controls.at("RTplusBatVoltage").Text, "+120.5");
    EXPECT_EQ(rackTower.controls.at("RTminusBatVoltage").Text, "-120.4");
    EXPECT_EQ(rackTower.controls.at("RTplus400BatVoltage").Text, "+200.1");
    EXPECT_EQ(rackTower.controls.at("RTminus400BatVoltage").Text, "-200.2");
    EXPECT_EQ(rackTower.controls.at("BatteryVoltageRT").Text, "27.42");

    Readings fourDigits;
    fourDigits.ups.Family = FamilyBackPro;
    fourDigits.ups.RatedDigits = 4;
    fourDigits.Refresh();
    for (const char* setting : {"FloatBackPro", "Ratio", "EUTVoltage", "CapasitorLoad", "DCOffset"})
        EXPECT_EQ(fourDigits.controls.Controls.count(setting), 0u) << setting;
}

TEST(DisplayRefreshTest, FullLoadTurnsTheLoadFieldsAndCaptionsRedAndBackToBlack) {
    Readings bench;
    bench.ups.Family = FamilySmart2ndGen;
    const char* loadControls[] = {"LoadPercent2nd", "LoadPercent2ndLabel", "LoadW2nd", "LoadW2ndLabel"};

    bench.ups.LoadPercentValue = 100.0f;
    bench.Refresh();
    for (const char* control : loadControls)
        EXPECT_EQ(bench.controls.at(control).FontColour, Colour::Red) << control;

    bench.ups.LoadPercentValue = 99.9f;
    bench.Refresh();
    for (const char* control : loadControls)
        EXPECT_EQ(bench.controls.at(control).FontColour, Colour::Black) << control;
}

TEST(DisplayRefreshTest, ChartSamplesFollowTheSelection) {
    struct Case {
        int Selection;
        int Upper;
        int Lower;
    };
    // 229.9 V input, 230.4 V output, 60 min, charge text "100.0", load 41.6 %.
    const Case cases[] = {{0, 114, 150}, {1, 180, 150}, {2, 180, 62}, {3, 114, 115}};
    for (const Case& c : cases) {
        Readings bench;
        bench.ups.Family = FamilySmart;
        bench.controls.at("GroupBox26").Tag = c.Selection;
        bench.Refresh();
        EXPECT_EQ(bench.controls.at("KPerformanceGraph1").Samples, std::vector<int>{c.Upper}) << c.Selection;
        EXPECT_EQ(bench.controls.at("KPerformanceGraph2").Samples, std::vector<int>{c.Lower}) << c.Selection;
    }

    Readings none;
    none.ups.Family = FamilySmart;
    none.controls.at("GroupBox26").Tag = -1;
    none.Refresh();
    EXPECT_TRUE(none.controls.at("KPerformanceGraph1").Samples.empty());
    EXPECT_TRUE(none.controls.at("KPerformanceGraph2").Samples.empty());
}

TEST(DisplayRefreshTest, ReadingsOutsideTheRangeOfAnIntegerDoNotBreakTheConversion) {
    Readings bench;
    bench.ups.Family = FamilySmart;
    bench.ups.InputVoltageValue = std::numeric_limits<float>::infinity();
    bench.Refresh();
    EXPECT_EQ(bench.controls.at("InputVoltageBar").Bar, std::numeric_limits<int>::max());
}

TEST(DisplayRefreshTest, TheStatusPageShowsRegisterBitsAndNoReadings) {
    Readings bench;
    bench.ups.Family = FamilySmart;
    bench.ups.StateRegister1 = 0x01;
    bench.ups.StateRegister2 = 0x80;
    bench.ups.StateRegister3 = 0x00;
    bench.ups.StatusFlags = 0x08 | 0x40;
    bench.Refresh(ReadOut::StatusRegisters);

    const std::vector<std::string> set = {"CheckBox9", "CheckBox24", "CheckBox28", "CheckBox31"};
    for (const auto& group : StatusCheckBoxes) {
        for (std::string_view box : group) {
            const bool expected = std::find(set.begin(), set.end(), box) != set.end();
            EXPECT_EQ(bench.controls.at(box).Checked, expected) << box;
            EXPECT_EQ(bench.controls.at(box).Enabled, expected) << box;
        }
    }
    EXPECT_EQ(bench.controls.Controls.count("InputVoltage"), 0u);
    EXPECT_EQ(bench.controls.Controls.count("KPerformanceGraph1"), 0u);
}

TEST(DisplayRefreshTest, AlertsAreShownOnceInTheirColourOnAnyPage) {
    for (ReadOut readOut : {ReadOut::PollList, ReadOut::StatusRegisters}) {
        Readings bench;
        bench.ups.Family = FamilySmart;
        bench.ups.LineFailAlert = true;
        bench.ups.LineRestoredAlert = true;
        bench.Refresh(readOut);
        bench.Refresh(readOut);

        const auto& pieces = bench.controls.at("UPSMessage").Rich;
        ASSERT_EQ(pieces.size(), 2u) << static_cast<int>(readOut);
        EXPECT_EQ(pieces[0].first, "  Line Failure ! \n");
        EXPECT_EQ(pieces[1].first, "  Returning from Line Failure ! \n");
        EXPECT_EQ(pieces[0].second, 0xD02F70u);
        EXPECT_EQ(pieces[1].second, 0xD02F70u);
        EXPECT_FALSE(bench.ups.LineFailAlert);
        EXPECT_FALSE(bench.ups.LineRestoredAlert);
    }
}

TEST(DisplayRefreshTest, TheLampFollowsTheLinkAndAnUnidentifiedUnitIsSetUpAgainEachTime) {
    Readings bench;
    bench.ups.Family = FamilyUnidentified;
    bench.ups.Online = true;
    bench.window.Identified = false;
    bench.Refresh();
    bench.Refresh();
    EXPECT_TRUE(bench.controls.LinkLampOnline);
    EXPECT_EQ(bench.window.StartClicks, 2);

    bench.window.Identified = true;
    bench.ups.Online = false;
    bench.Refresh();
    EXPECT_FALSE(bench.controls.LinkLampOnline);
    EXPECT_EQ(bench.window.StartClicks, 2);
}

TEST(DisplayRefreshTest, FamiliesWithoutAPolledValueAskTheUnitDuringTheRefresh) {
    WorkerBench noSerial("no-serial");
    ASSERT_TRUE(noSerial.identified);
    ASSERT_EQ(noSerial.ups.Family, FamilySmartNoSerial);
    std::size_t mark = noSerial.unit->Received().size();
    RefreshDisplay(noSerial.ups, noSerial.controls, noSerial.window, ReadOut::PollList);
    EXPECT_EQ(noSerial.ReceivedSince(mark), "B");
    EXPECT_EQ(noSerial.controls.at("BatteryVoltageSmart").Text, noSerial.ups.BatteryVoltageText.Str());
    EXPECT_FALSE(noSerial.ups.BatteryVoltageText.Empty());

    WorkerBench monitor("monitor-only");
    ASSERT_TRUE(monitor.identified);
    ASSERT_TRUE(monitor.ups.AprogMode);
    mark = monitor.unit->Received().size();
    RefreshDisplay(monitor.ups, monitor.controls, monitor.window, ReadOut::PollList);
    EXPECT_EQ(monitor.ReceivedSince(mark), "o");
    EXPECT_EQ(monitor.controls.at("OutputVoltageConstant").Text, monitor.ups.NominalOutputVoltageText.Str());
}

TEST(DisplayRefreshTest, LinkLossLeavesOnlyThePortChoiceUsable) {
    RecordingWindow controls;
    Queue commands;
    commands.push('l', '-');
    controls.SetLinkLampOnline(true);
    ShowLinkLost(controls, commands);

    EXPECT_EQ(controls.StatusPanels[0], "Could not establish connection to UPS.");
    EXPECT_GT(controls.at("StatusBar1").Repaints, 0);
    EXPECT_TRUE(commands.isEmpty());
    EXPECT_TRUE(controls.at("ComboBox1").Enabled);
    EXPECT_TRUE(controls.at("Reconnect").Enabled);
    EXPECT_EQ(controls.at("Memo1").FontColour, Colour::Red);
    EXPECT_FALSE(controls.at("PageControl1").Visible);
    EXPECT_FALSE(controls.at("GroupBox7").Visible);
    EXPECT_FALSE(controls.at("GroupBox7").Enabled);
    for (const char* page : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet7"}) {
        EXPECT_FALSE(controls.at(page).Enabled) << page;
        EXPECT_FALSE(controls.at(page).TabVisible) << page;
    }
    EXPECT_EQ(controls.Controls.count("TabSheet6"), 0u);
    for (const char* button : {"Leds", "Test", "ByPass"}) EXPECT_FALSE(controls.at(button).Enabled) << button;
    EXPECT_FALSE(controls.LinkLampOnline);
}

}  // namespace
}  // namespace kelvane::testing
