#include "sim/Presets.h"

#include <algorithm>
#include <map>
#include <utility>

namespace kelvane::sim {

namespace {

using Items = std::map<uint8_t, Item>;

constexpr uint8_t kCtrlA = 0x01;
constexpr uint8_t kCtrlB = 0x02;
constexpr uint8_t kCtrlG = 0x07;
constexpr uint8_t kCtrlH = 0x08;
constexpr uint8_t kCtrlJ = 0x0A;
constexpr uint8_t kCtrlK = 0x0B;
constexpr uint8_t kCtrlZ = 0x1A;

Item Make(ItemKind kind, std::string text = {}, uint8_t byte = 0, int address = -1) {
    Item item;
    item.Kind = kind;
    item.Text = std::move(text);
    item.Byte = byte;
    item.EepromAddress = address;
    return item;
}

Item Fixed(std::string text) {
    return Make(ItemKind::Fixed, std::move(text));
}
Item Reading(std::string text) {
    return Make(ItemKind::Reading, std::move(text));
}
// A reading the host can calibrate with "+" and "-" after selecting it.
Item Calibrated(std::string text, StepReply reply = StepReply::Ok, double jumpSize = 0) {
    Item item = Make(ItemKind::Reading, std::move(text));
    item.Steps = reply;
    item.JumpSize = jumpSize;
    return item;
}
Item Action() {
    return Make(ItemKind::Action);
}
Item Constant(uint8_t value, int address) {
    return Make(ItemKind::Constant, {}, value, address);
}
Item Register(uint8_t value) {
    return Make(ItemKind::Register, {}, value);
}

Item TextField(std::string text, std::size_t width, int address) {
    Item item = Make(ItemKind::Text, std::move(text), 0, address);
    item.Width = width;
    return item;
}

struct SettingList {
    uint8_t Command;
    std::vector<std::string> Choices;  // the first is the unit's present value
    std::size_t FactoryChoice;         // the value a factory reset restores
};

// The stored settings of the Smart families in the order the EEPROM keeps them. Every list holds
// values of one width, as the unit answers them. Two of them are not at their factory value, so that
// a reset shows.
const std::vector<SettingList>& SmartSettings() {
    static const std::vector<SettingList> lists = {
        {'l', {"196", "188", "208", "204"}, 2}, {'u', {"253", "264", "271", "280"}, 0},
        {'o', {"230", "240", "220", "225"}, 0}, {'E', {"336", "168", "ON ", "OFF"}, 0},
        {'p', {"020", "180", "300", "600"}, 0}, {'r', {"000", "060", "180", "300"}, 0},
        {'q', {"02", "05", "07", "10"}, 0},     {'e', {"00", "15", "50", "90"}, 1},
        {'k', {"0", "T", "L", "N"}, 0},         {'s', {"H", "M", "L"}, 0},
    };
    return lists;
}

// The second generation keeps the same settings in the same places, with older lists for the transfer
// points and the nominal output.
const std::vector<SettingList>& SecondGenSettings() {
    static const std::vector<SettingList> lists = [] {
        std::vector<SettingList> own = SmartSettings();
        for (SettingList& list : own) {
            if (list.Command == 'l') list.Choices = {"196", "200", "204", "208"};
            if (list.Command == 'u') list.Choices = {"253", "257", "261", "265"};
            if (list.Command == 'o') list.Choices = {"230", "220", "240"};
            list.FactoryChoice = std::min(list.FactoryChoice, list.Choices.size() - 1);
        }
        return own;
    }();
    return lists;
}

void AddSmartSettings(Items& items, const std::vector<SettingList>& lists = SmartSettings()) {
    int address = eeprom::kSettings;
    for (const auto& list : lists) {
        Item item = Make(ItemKind::Setting, {}, 0, address++);
        item.Choices = list.Choices;
        item.DefaultChoice = list.FactoryChoice;
        items[list.Command] = std::move(item);
    }
}

// The unit commands every family takes.
void AddActions(Items& items) {
    for (uint8_t command : {'W', 'A', 'z', 'Z', 'R'}) items[command] = Action();
}

// The model code steps through the codes of one range of models; the preset's own model is the code
// it starts at.
ModelCodes ModelRange(uint8_t code, const std::vector<std::string>& names, const std::string& present) {
    ModelCodes model;
    model.Names = names;
    std::size_t index = 0;
    while (index < names.size() && names[index] != present) ++index;
    if (index == names.size()) model.Names.push_back(present);
    model.Code = code;
    model.First = static_cast<uint8_t>(code - index);
    model.EepromAddress = eeprom::kModelCode;
    return model;
}

const std::vector<std::string>& SmartModels() {
    static const std::vector<std::string> names = {"Smart 420",  "Smart 620",  "Smart 700", "Smart 1000",
                                                   "Smart 1400", "Smart 2200", "Smart 3000"};
    return names;
}

// The answer to 0x1A: one record per stored setting ("#", the letter, a locale mark, the number of
// values, their width, the values), then "+", the unit's feature marks and "$". The "#", "+" and "$"
// are data here, which is why the host reads this answer raw.
std::string CapabilityList(const Items& items, const std::string& featureMarks) {
    std::string list;
    for (const auto& setting : SmartSettings()) {
        auto it = items.find(setting.Command);
        if (it == items.end() || it->second.Kind != ItemKind::Setting) continue;
        const auto& choices = it->second.Choices;
        list += '#';
        list += static_cast<char>(setting.Command);
        list += 'D';
        list += std::to_string(choices.size());
        list += std::to_string(choices.front().size());
        for (const auto& choice : choices) list += choice;
    }
    return list + "+" + featureMarks + "$";
}

std::array<uint8_t, 256> EepromBase(const std::string& name) {
    std::array<uint8_t, 256> image{};
    unsigned seed = 0;
    for (char c : name) seed = seed * 31 + static_cast<unsigned char>(c);
    // Calibration tables the host never names: varied bytes, so a walk that skips or repeats one shows.
    for (unsigned address = 0x60; address < 0xF0; ++address) {
        image[address] = static_cast<uint8_t>((address * 37 + seed) & 0xFF);
    }
    for (unsigned address = 0xF0; address < 0x100; ++address) image[address] = 0xFF;
    return image;
}

struct SmartIdentity {
    std::string Model;
    std::string Serial;
    std::string Firmware;
    std::string FeatureMarks = "e401";
    uint8_t ModelCode = 0x84;
    std::vector<std::string> Models = SmartModels();
};

// A first-generation Smart unit, the base of every Smart preset.
SimUnit::Definition SmartUnit(const std::string& name, const SmartIdentity& identity) {
    Items items;
    items['Y'] = Fixed("SM");
    items[kCtrlA] = Make(ItemKind::ModelName, identity.Model);
    items['1'] = Make(ItemKind::ProgramEntry, "PROG");
    items['n'] = TextField(identity.Serial, 14, eeprom::kSerialNumber);
    // A write reaches only the three-digit SKU code in front of the revision.
    items['b'] = TextField(identity.Firmware, 3, -1);
    items['m'] = TextField("05/14/07", 8, eeprom::kManufactureDate);
    items['x'] = TextField("05/14/07", 8, eeprom::kBatteryReplaceDate);
    items['c'] = TextField("UPS_IDEN", 8, eeprom::kUpsId);

    items['O'] = Reading("229.4");
    items['L'] = Calibrated("228.9", StepReply::Value, 40);
    items['P'] = Calibrated("032.7", StepReply::Value, 25);
    items['B'] = Calibrated("27.37", StepReply::Ok, 6);
    items['f'] = Reading("100.0");
    items['j'] = Reading("0123:");
    items['C'] = Reading("036.4");
    items['F'] = Reading("50.00");
    items['g'] = Reading("024");
    items['>'] = Calibrated("000", StepReply::Count);

    items['0'] = Constant(0x9C, eeprom::kConst0);
    items['4'] = Constant(0xA0, eeprom::kConst4);
    items['5'] = Constant(0x7E, eeprom::kConst5);
    items['6'] = Constant(0xC4, eeprom::kConst6);

    items['~'] = Register(0x08);
    items['\''] = Register(0x00);
    items['8'] = Register(0x00);
    items['Q'] = Register(0x08);

    items['#'] = Make(ItemKind::EepromStart, {}, 0x00);
    items['^'] = Make(ItemKind::Bypass);
    AddSmartSettings(items);
    AddActions(items);
    items[kCtrlZ] = Fixed(CapabilityList(items, identity.FeatureMarks));

    SimUnit::Definition definition;
    definition.Name = name;
    definition.Items = std::move(items);
    definition.EepromBase = EepromBase(name);
    definition.Model = ModelRange(identity.ModelCode, identity.Models, identity.Model);
    return definition;
}

// Third-generation units keep three more constants and answer the model code to 0x02.
void AddThirdGenConstants(SimUnit::Definition& unit, uint8_t dollar, uint8_t percent) {
    unit.Items['$'] = Constant(dollar, eeprom::kConstDollar);
    unit.Items['%'] = Constant(percent, eeprom::kConstPercent);
    unit.Items[kCtrlB] = Make(ItemKind::ModelCode);
}

SimUnit::Definition BackProUnit(const std::string& name, const std::string& model) {
    Items items;
    items['Y'] = Fixed("SM");
    items[kCtrlA] = Make(ItemKind::ModelName, model);
    items['1'] = Make(ItemKind::ProgramEntry, "PROG");
    items['n'] = TextField("BP0812004511", 14, eeprom::kSerialNumber);
    items['b'] = TextField("12.1.I", 3, -1);
    items['m'] = TextField("08/02/12", 8, eeprom::kManufactureDate);
    items['x'] = TextField("08/02/12", 8, eeprom::kBatteryReplaceDate);

    // No line frequency: "F" is answered "NA", which is how the host tells this family apart.
    items['O'] = Reading("229.6");
    items['L'] = Calibrated("228.9", StepReply::Value, 40);
    items['P'] = Calibrated("045.0", StepReply::Value, 25);
    items['B'] = Calibrated("13.62");
    items['e'] = Calibrated("13.65");
    items['w'] = Calibrated("1.020");
    items['v'] = Calibrated("229.8");
    items['2'] = Calibrated("10.50");
    items['c'] = Calibrated("044.8");
    items['d'] = Calibrated("00.05");

    items['~'] = Register(0x08);
    items['Q'] = Register(0x08);
    items['#'] = Make(ItemKind::EepromStart, {}, 0x00);
    AddActions(items);

    SimUnit::Definition definition;
    definition.Name = name;
    definition.Items = std::move(items);
    definition.EepromBase = EepromBase(name);
    static const std::vector<std::string> models = {"Back-PRO 400", "Back-PRO 500",  "Back-PRO 650",
                                                    "Back-PRO 800", "Back-PRO 1100", "Back-PRO 1500"};
    definition.Model = ModelRange(model == "Back-PRO 1500" ? 0x65 : 0x62, models, model);
    return definition;
}

// A second-generation Smart unit: no model-name query, a silent programming-mode entry, the model
// decoded from "V", an 8-character serial number and the "7" register that tells its variant.
SimUnit::Definition SecondGenUnit(const std::string& name, const std::string& modelCode, uint8_t register7,
                                  const std::string& temperature) {
    Items items;
    items['Y'] = Fixed("SM");
    items['1'] = Make(ItemKind::ProgramEntry, "");
    items['V'] = Make(ItemKind::ModelName, modelCode);
    items['7'] = Register(register7);
    items['n'] = TextField("GS043122", 8, eeprom::kSerialNumber);
    items['m'] = TextField("11/23/98", 8, eeprom::kManufactureDate);
    items['x'] = TextField("11/23/98", 8, eeprom::kBatteryReplaceDate);
    items['c'] = TextField("UPS_IDEN", 8, eeprom::kUpsId);
    items['H'] = Make(ItemKind::ModelCodeStep);

    items['O'] = Reading("230.1");
    items['L'] = Calibrated("229.5", StepReply::Value, 40);
    items['P'] = Calibrated("027.3", StepReply::Value, 25);
    items['B'] = Calibrated("27.42", StepReply::Ok, 6);
    items['f'] = Reading("100.0");
    items['j'] = Reading("0087:");
    items['C'] = Reading(temperature);
    items['F'] = Reading("50.00");

    items['0'] = Constant(0x94, eeprom::kConst0);
    items['5'] = Constant(0x81, eeprom::kConst5);
    items['6'] = Constant(0xB7, eeprom::kConst6);
    // This generation steps its constants and readings with characters of their own, one way only.
    items['4'] = Make(ItemKind::FixedStep, {}, '0');
    items['2'] = Make(ItemKind::FixedStep, {}, '5');
    items['3'] = Make(ItemKind::FixedStep, {}, '6');
    items['a'] = Make(ItemKind::OneWayStep, {}, 'L');
    items['b'] = Make(ItemKind::OneWayStep, {}, 'P');
    items['d'] = Make(ItemKind::OneWayStep, {}, 'B');

    items['~'] = Register(0x08);
    items['\''] = Register(0x00);
    items['8'] = Register(0x00);
    items['Q'] = Register(0x08);

    items['#'] = Make(ItemKind::EepromStart, {}, 0x00);
    items['^'] = Make(ItemKind::Bypass);
    AddSmartSettings(items, SecondGenSettings());
    AddActions(items);

    SimUnit::Definition definition;
    definition.Name = name;
    definition.Items = std::move(items);
    definition.EepromBase = EepromBase(name);
    // The codes 40 to 4F; each "H" moves on by one, and the model digit of "V" follows the code, this
    // unit's own digit at 49.
    const int ownDigit = modelCode.empty() ? 0 : modelCode[0] - '0';
    const std::string suffix = modelCode.size() > 1 ? modelCode.substr(1) : std::string();
    for (int index = 0; index < 16; ++index) {
        definition.Model.Names.push_back(
            std::string(1, static_cast<char>('0' + (ownDigit + index + 1) % 10)) + suffix);
    }
    definition.Model.Code = 0x49;
    definition.Model.First = 0x40;
    definition.Model.EepromAddress = eeprom::kModelCode;
    return definition;
}

SimUnit::Definition Build(const std::string& name) {
    if (name == "smart") return SmartUnit(name, {"Smart 1400", "KV0527310642XB", "72.14.I"});
    if (name == "smart-small") {
        // An unprogrammed tail of the serial number comes out as zero bytes.
        auto unit =
            SmartUnit(name, {"Smart 620", std::string("KV0603112233\0\0", 14), "11.3.I", "e401", 0x81});
        unit.Items['B'] = Calibrated("13.71", StepReply::Ok, 6);
        unit.Items['g'] = Reading("012");
        unit.Items['C'] = Reading("031.2");
        return unit;
    }
    if (name == "smart-xl") {
        auto unit = SmartUnit(name, {"Smart 750 XL",
                                     "KV0731220458AX",
                                     "70.15.D",
                                     "e401",
                                     0x90,
                                     {"Smart 750 XL", "Smart 1000 XL", "Smart 1500 XL", "Smart 2200 XL"}});
        unit.Items['>'] = Calibrated("001", StepReply::Count);
        return unit;
    }
    if (name == "smart-sc") {
        auto unit = SmartUnit(name, {"Smart SC 1000",
                                     "KV0822334455AB",
                                     "735.a1.I",
                                     "e401",
                                     0xA0,
                                     {"Smart SC 1000", "Smart SC 1500", "Smart SC 2000"}});
        unit.Items['#'] = Constant(0x8F, eeprom::kConstHash);
        return unit;
    }
    if (name == "smart-3g") {
        auto unit = SmartUnit(name, {"Smart 1500",
                                     "KV1012345678AB",
                                     "652.12.I",
                                     "e472",
                                     0x8C,
                                     {"Smart 750", "Smart 1000", "Smart 1500", "Smart 2200", "Smart 3000"}});
        AddThirdGenConstants(unit, 0x7B, 0x91);
        unit.Items['^'] = Constant(0x85, eeprom::kConstCaret);
        return unit;
    }
    if (name == "surt") {
        // "^" stays bypass on this online model; the host never reads it as a constant here.
        auto unit = SmartUnit(
            name, {"Smart RT 3000 XL",
                   "KV1188776655RT",
                   "453.9.W",
                   "s411",
                   0xA3,
                   {"Smart RT 3000 XL", "Smart RT 5000 XL", "Smart RT 6000 XL", "Smart RT 10000 XL"}});
        AddThirdGenConstants(unit, 0x6E, 0x94);
        unit.Items['g'] = Reading("192");
        unit.Items['C'] = Reading("031.0");
        unit.Items['B'] = Calibrated("218.4", StepReply::Ok, 6);
        unit.Items[kCtrlJ] = Calibrated("109.45");
        unit.Items[kCtrlK] = Calibrated("109.38");
        unit.Items[kCtrlG] = Calibrated("218.96");
        unit.Items[kCtrlH] = Calibrated("219.02");
        return unit;
    }
    if (name == "no-serial") {
        auto unit = SmartUnit(name, {"Smart 700", "", "51.9.I", "e401", 0x82});
        unit.Items.erase('n');
        return unit;
    }
    if (name == "back-pro") return BackProUnit(name, "Back-PRO 650");
    if (name == "back-pro-1500") return BackProUnit(name, "Back-PRO 1500");
    if (name == "second-gen") return SecondGenUnit(name, "8QI", 0x24, "036.4");
    if (name == "second-gen-legacy1") return SecondGenUnit(name, "6QI", 0x00, "031.5");
    if (name == "second-gen-legacy2") return SecondGenUnit(name, "3QI", 0x00, "000.0");
    if (name == "monitor-only") {
        auto unit = SmartUnit(name, {"Smart 3000", "KV0911223344RM", "666.4.I", "e401", 0x86});
        unit.Items['1'] = Make(ItemKind::ProgramEntry, "APROG");
        unit.LongDialect = true;
        return unit;
    }
    SimUnit::Definition unit;
    unit.Name = name;
    if (name == "silent") unit.AnswersUnknown = false;
    if (name == "not-ups") unit.UnknownAnswer = "ERR";
    return unit;
}

}  // namespace

std::vector<std::string> PresetNameList() {
    return {"smart",
            "smart-small",
            "smart-xl",
            "smart-sc",
            "smart-3g",
            "surt",
            "no-serial",
            "back-pro",
            "back-pro-1500",
            "second-gen",
            "second-gen-legacy1",
            "second-gen-legacy2",
            "monitor-only",
            "silent",
            "not-ups"};
}

std::optional<SimUnit::Definition> PresetDefinition(const std::string& name) {
    for (const auto& known : PresetNameList()) {
        if (known == name) return Build(name);
    }
    return std::nullopt;
}

}  // namespace kelvane::sim
