// The commands that drive a value to a typed target, against simulated units: what the unit ends up
// holding, what the field shows on the way, and how each way out of the loop is shown.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/worker/DispatcherBench.h"

namespace kelvane::testing {
namespace {

using Texts = std::vector<std::string>;

TEST(DispatcherConstants, DriveTheConstantShowingEveryStepThenFlashGreen) {
    for (const char* typed : {"A0", "a0"}) {
        SCOPED_TRACE(typed);
        DispatchBench b("smart");  // constant "0" stands at 9C
        b.Type("Const0", typed);

        b.Run('l');

        EXPECT_STREQ(b.constBuffer.data(), typed);
        EXPECT_EQ(b.Sent(), "0++++");
        EXPECT_EQ(b.Ask('0'), "A0");
        EXPECT_EQ(b.TextsOf("Const0"), (Texts{"9D", "9E", "9F", "A0"}));
        EXPECT_EQ(Tail(b.Around("Const0"), 6), GreenFlash("Const0"));
        EXPECT_EQ(b.tones.Beeps(), 1);
        EXPECT_TRUE(b.window.StatusPanels.empty());
    }
}

TEST(DispatcherConstants, SecondGenerationStepsWithItsFixedCharacters) {
    struct Case {
        char Code;
        const char* Field;
        const char* Typed;
        const char* Sent;
        char Constant;
    };
    // On this unit "0" stands at 94, "5" at 81, "6" at B7.
    const Case cases[] = {
        {'p', "Const02nd", "96", "044", '0'},
        {'q', "Const52nd", "83", "522", '5'},
        {'r', "Const62nd", "b9", "633", '6'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        DispatchBench b("second-gen");
        b.Type(c.Field, c.Typed);

        b.Run(c.Code);

        EXPECT_EQ(b.Sent(), c.Sent);
        std::string upper = c.Typed;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(b.Ask(static_cast<uint8_t>(c.Constant)), upper);
        EXPECT_EQ(b.window.at(c.Field).Text, upper);
        EXPECT_EQ(Tail(b.Around(c.Field), 6), GreenFlash(c.Field));
    }
}

TEST(DispatcherConstants, SecondGenerationModelCodeStepsWithH) {
    DispatchBench b("second-gen");  // model code 49
    b.Type("ModelConst", "4b");

    b.Run('t');

    EXPECT_EQ(b.Sent(), "HH");
    EXPECT_EQ(b.unit->Eeprom()[sim::eeprom::kModelCode], 0x4B);
    EXPECT_EQ(b.TextsOf("ModelConst"), (Texts{"4A", "4B"}));
    EXPECT_EQ(Tail(b.Around("ModelConst"), 6), GreenFlash("ModelConst"));
}

TEST(DispatcherConstants, ThirdGenerationConstantsAreDrivenLikeTheOthers) {
    DispatchBench b("smart-3g");  // "$" stands at 7B
    b.Type("Const_4", "79");

    b.Run('U');

    EXPECT_EQ(b.Sent(), "$--");
    EXPECT_EQ(b.Ask('$'), "79");
    EXPECT_EQ(b.window.at("Const_4").Text, "79");
    EXPECT_EQ(b.tones.Beeps(), 1);
}

// The constant fields the window shows for each kind of unit all reach the unit: none is refused as a
// constant the unit does not keep.
TEST(DispatcherConstants, EveryConstantFieldTheWindowOffersIsDriven) {
    struct Case {
        const char* Preset;
        char Code;
        const char* Field;
        char Constant;
    };
    const Case cases[] = {
        {"smart", 'l', "Const0", '0'},         {"smart", 'm', "Const4", '4'},
        {"smart", 'n', "Const5", '5'},         {"smart", 'o', "Const6", '6'},
        {"smart-sc", '@', "Const_3", '#'},     {"smart-3g", 'U', "Const_4", '$'},
        {"smart-3g", 'Z', "Const_5", '%'},     {"smart-3g", 'V', "Const_6", '^'},
        {"surt", 'Z', "Const_5", '%'},         {"second-gen", 'p', "Const02nd", '0'},
        {"second-gen", 'q', "Const52nd", '5'}, {"second-gen", 'r', "Const62nd", '6'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + c.Field);
        DispatchBench b(c.Preset);
        const unsigned next = (std::stoul(b.Ask(static_cast<uint8_t>(c.Constant)), nullptr, 16) + 1) % 256;
        char target[3];
        std::snprintf(target, sizeof target, "%02X", next);
        b.Type(c.Field, target);

        b.Run(c.Code);

        EXPECT_EQ(b.Ask(static_cast<uint8_t>(c.Constant)), target);
        EXPECT_EQ(b.window.at(c.Field).Text, target);
        EXPECT_TRUE(b.window.StatusPanels.empty());
    }
}

// Every way a loop can end without the value: the field flashes red with the tone and the status bar
// says why, instead of the green flash that would report success. A value the unit cannot take is
// refused before anything is sent, and says so instead of blaming the unit.
TEST(DispatcherLoops, AValueNotReachedOrRefusedFlashesRedAndSaysWhy) {
    const std::string_view notReached = Dispatcher::NotReachedMessage;
    const std::string_view refused = Dispatcher::RefusedMessage;
    struct Case {
        const char* Name;
        const char* Preset;
        char Code;
        const char* Entry;
        const char* Typed;
        const char* Flashed;
        std::function<void(sim::SimUnit&)> Arrange;
        const char* Sent;  // null: not checked
        std::string_view Message;
    };
    const Case cases[] = {
        {"constant, unit falls silent", "smart", 'l', "Const0", "A0", "Const0",
         [](sim::SimUnit& u) { u.SetMuteAfter(3); }, "0+++", notReached},
        {"constant, never moves", "smart", 'l', "Const0", "A0", "Const0",
         [](sim::SimUnit& u) { u.OverrideAnswer("+", "9C"); }, nullptr, notReached},
        {"constant, entry emptied before it ran", "smart", 'l', "Const0", "", "Const0", {}, "", refused},
        {"calibration, unit falls silent", "smart", 'J', "InputVoltageConstantSmart", "220", "InputVoltage",
         [](sim::SimUnit& u) { u.SetMuteAfter(6); }, nullptr, notReached},
        {"calibration, entry emptied before it ran",
         "smart",
         'J',
         "InputVoltageConstantSmart",
         "",
         "InputVoltage",
         {},
         "",
         refused},
        {"battery calibration, no number",
         "second-gen",
         's',
         "BatSmart2nd",
         ".....",
         "BatteryVoltage2nd",
         {},
         "",
         refused},
        // Five characters, as the field asks for before it takes Enter, yet no number.
        {"battery calibration, two points",
         "second-gen",
         's',
         "BatSmart2nd",
         "2.7.6",
         "BatteryVoltage2nd",
         {},
         "",
         refused},
        {"model code, unit falls silent", "smart", 'Q', "ModelConst", "86", "ModelConst",
         [](sim::SimUnit& u) { u.SetMuteAfter(2); }, nullptr, notReached},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        DispatchBench b(c.Preset);
        b.Type(c.Entry, c.Typed);
        if (c.Arrange) c.Arrange(*b.unit);

        b.Run(c.Code);

        if (c.Sent) {
            EXPECT_EQ(b.Sent(), c.Sent);
        }
        EXPECT_EQ(b.window.StatusPanels[0], c.Message);
        EXPECT_EQ(b.tones.Beeps(), 1);
        EXPECT_FALSE(b.Logged(std::string("colour ") + c.Flashed + "=green"));
        const Texts around = b.Around(c.Flashed);
        const auto red = std::find(around.begin(), around.end(), std::string("colour ") + c.Flashed + "=red");
        ASSERT_NE(red, around.end());
        EXPECT_EQ(Texts(red, red + 6), RedFlash(c.Flashed));
    }
}

// The window is closing: the loop ends before its next step, with no flash and no tone to hold it up.
TEST(DispatcherLoops, AStopRequestEndsTheLoopQuietly) {
    struct Case {
        char Code;
        const char* Entry;
        const char* Typed;
        const char* Shown;
    };
    const Case cases[] = {
        {'l', "Const0", "A0", "Const0"},
        {'J', "InputVoltageConstantSmart", "200", "InputVoltage"},
        {'Q', "ModelConst", "80", "ModelConst"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Code);
        DispatchBench b("smart");
        b.Type(c.Entry, c.Typed);
        b.StopWhen = [&] { return b.TextsOf(c.Shown).size() >= 2; };

        b.Run(c.Code);

        EXPECT_EQ(b.TextsOf(c.Shown).size(), 2u);
        EXPECT_EQ(b.tones.Beeps(), 0);
        EXPECT_TRUE(b.window.StatusPanels.empty());
        for (const std::string& entry : b.window.Log) {
            EXPECT_EQ(entry.rfind("colour ", 0), std::string::npos) << entry;
        }
    }
}

TEST(DispatcherCalibrations, StepTheReadingToTheReferenceAndFlashGreen) {
    struct Case {
        const char* Preset;
        char Code;
        const char* Entry;
        const char* Typed;
        const char* Field;
        char Reading;
        const char* Flashed;
        double Lowest;  // the reading the loop may end on, both ends included
        double Highest;
    };
    const Case cases[] = {
        // Down to the reference, then one step back up.
        {"smart", 'J', "InputVoltageConstantSmart", "225", "InputVoltage", 'L', "InputVoltage", 225.0, 225.1},
        // One-way steps until the reading lies less than 3 V above the reference.
        {"second-gen", 'K', "InputVoltageConstantSmart2nd", "225", "InputVoltage2nd", 'L', "InputVoltage2nd",
         225.01, 227.99},
        // One-way "d" steps until the battery lies less than 0.3 V above the reference.
        {"second-gen", 's', "BatSmart2nd", "27.00", "BatteryVoltage2nd", 'B', "BatteryVoltage2nd", 27.01,
         27.30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Code);
        DispatchBench b(c.Preset);
        b.Type(c.Entry, c.Typed);

        b.Run(c.Code);

        const std::string reading = b.Ask(static_cast<uint8_t>(c.Reading));
        EXPECT_GE(std::stod(reading), c.Lowest);
        EXPECT_LE(std::stod(reading), c.Highest);
        EXPECT_EQ(b.window.at(c.Field).Text, reading);
        EXPECT_GT(b.TextsOf(c.Field).size(), 2u) << "every step is shown";
        EXPECT_EQ(Tail(b.Around(c.Flashed), 6), GreenFlash(c.Flashed));
        EXPECT_EQ(b.window.at(c.Entry).Text, "");
        EXPECT_EQ(b.tones.Beeps(), 1);
    }
}

TEST(DispatcherCalibrations, LoadShowsItsWattsAndFlashesThem) {
    DispatchBench b("smart");
    const int wattsBefore = static_cast<int>(b.ups.LoadWattsValue);
    const std::string reference = std::to_string(wattsBefore - 20);
    b.Type("LoadSmartConst", reference);

    b.Run('H');

    const int watts = static_cast<int>(b.ups.LoadWattsValue);
    EXPECT_LE(watts, wattsBefore - 18);
    EXPECT_GE(watts, wattsBefore - 22);
    EXPECT_EQ(b.window.at("LoadW").Text, std::to_string(watts));
    EXPECT_EQ(b.window.at("LoadPercent").Text, b.Ask('P'));
    EXPECT_EQ(b.window.at("LoadBar").Bar, static_cast<int>(b.ups.LoadPercentValue));
    EXPECT_EQ(Tail(b.Around("LoadW"), 6), GreenFlash("LoadW"));
    EXPECT_EQ(b.window.at("LoadSmartConst").Text, "");
}

// A reading that leaps by more than 30 ends the calibration by the unit's own guard: one more step down,
// and the command ends as complete.
TEST(DispatcherCalibrations, AJumpedReadingEndsTheLoopOnTheGuard) {
    DispatchBench b("smart");  // input reads 228.9; a jump moves it 40 V
    b.unit->SetJumpAt(3);
    b.Type("InputVoltageConstantSmart", "200");

    b.Run('J');

    // Two steps, the jump, and the guard's extra step down.
    EXPECT_EQ(b.Sent(), "L-LL-LL-LL-L");
    const std::string reading = b.Ask('L');
    EXPECT_LT(std::stod(reading), 190.0);
    EXPECT_EQ(b.window.at("InputVoltage").Text, reading);
    EXPECT_EQ(Tail(b.Around("InputVoltage"), 6), GreenFlash("InputVoltage"));
    EXPECT_TRUE(b.window.StatusPanels.empty());
}

TEST(DispatcherModelCode, SetsTheTypedCodeAndReadsTheModelAgain) {
    struct Case {
        const char* Preset;
        const char* Typed;
        const char* Model;
        bool ThirdGen;
        bool SettingsReread;  // a Back-PRO has no transfer points or nominal output to read
    };
    const Case cases[] = {
        {"smart", "85", "Smart 2200", false, true},
        {"smart-3g", "8b", "Smart 1000", true, true},
        {"back-pro", "63", "Back-PRO 800", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Preset);
        DispatchBench b(c.Preset);
        b.Type("ModelConst", c.Typed);

        b.Run('Q');

        std::string code = c.Typed;
        for (char& ch : code) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(b.window.at("ModelConst").Text, code);
        EXPECT_EQ(b.window.at("Model").Text, c.Model);
        EXPECT_EQ(b.TextsOf("Firmware").front(), "");
        EXPECT_EQ(b.window.at("Firmware").Text, b.ups.FirmwareText.Str());
        EXPECT_EQ(b.Logged("text SU36GLabel=" + b.ups.FirmwareText.Str()), c.ThirdGen);
        EXPECT_EQ(b.window.at("BatSysVolt").Text, b.ups.NominalBatteryVoltageText.Str());
        const Texts around = b.Around("ModelConst");
        const auto green = std::find(around.begin(), around.end(), "colour ModelConst=green");
        ASSERT_NE(green, around.end());
        EXPECT_EQ(Texts(green, green + 6), GreenFlash("ModelConst"));

        const std::string sent = b.Sent();
        for (const char* field : {"UpTransferVoltage", "LowTransferVoltage", "OutputVoltageConstant"}) {
            EXPECT_EQ(b.TextsOf(field).size(), c.SettingsReread ? 1u : 0u) << field;
        }
        EXPECT_EQ(sent.find_first_of("ulo") != std::string::npos, c.SettingsReread) << sent;
        // The transfer points come after the flash, last of all.
        if (c.SettingsReread) {
            EXPECT_EQ(b.window.Log.back(),
                      "text OutputVoltageConstant=" + b.ups.NominalOutputVoltageText.Str());
        }
    }
}

// A code that is no code is refused before anything is sent; with nothing changed on the unit, its
// model, firmware and settings are not read again.
TEST(DispatcherModelCode, ARefusedCodeReadsNothingBack) {
    DispatchBench b("smart");
    const std::string before = b.ups.ModelCodeText.Str();
    b.Type("ModelConst", "");

    b.Run('Q');

    EXPECT_EQ(b.Sent(), "");
    for (const char* field : {"Model", "Firmware", "BatSysVolt", "UpTransferVoltage", "LowTransferVoltage",
                              "OutputVoltageConstant"}) {
        EXPECT_TRUE(b.TextsOf(field).empty()) << field;
    }
    EXPECT_EQ(b.window.at("ModelConst").Text, before);
    EXPECT_EQ(b.window.StatusPanels[0], Dispatcher::RefusedMessage);
    EXPECT_EQ(Tail(b.Around("ModelConst"), 6), RedFlash("ModelConst"));
}

TEST(DispatcherModelCode, OneStepShowsTheNextModel) {
    struct Case {
        const char* Preset;
        char Step;
        const char* Model;
        bool SettingsReread;
    };
    const Case cases[] = {
        {"smart", '+', "Smart 2200", true},
        {"smart", '-', "Smart 1000", true},
        {"back-pro", '+', "Back-PRO 800", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + c.Step);
        DispatchBench b(c.Preset);

        b.Run('1', c.Step);

        EXPECT_EQ(b.window.at("Model").Text, c.Model);
        EXPECT_EQ(b.window.at("ModelConst").Text, b.ups.ModelCodeText.Str());
        EXPECT_EQ(b.window.at("Firmware").Text, b.ups.FirmwareText.Str());
        EXPECT_EQ(b.TextsOf("UpTransferVoltage").size(), c.SettingsReread ? 1u : 0u);
        EXPECT_EQ(b.tones.Beeps(), 0);
    }
}

}  // namespace
}  // namespace kelvane::testing
