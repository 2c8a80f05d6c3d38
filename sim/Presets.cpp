#include "sim/Presets.h"

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
};

// The stored settings of the Smart families in the order the EEPROM keeps them. Every list holds
// values of one width, as the unit answers them.
const std::vector<SettingList>& SmartSettings() {
    static const std::vector<SettingList> lists = {
        {'l', {"196", "188", "208", "204"}}, {'u', {"253", "264", "271", "280"}},
        {'o', {"230", "240", "220", "225"}}, {'E', {"336", "168", "ON ", "OFF"}},
        {'p', {"020", "180", "300", "600"}}, {'r', {"000", "060", "180", "300"}},
        {'q', {"02", "05", "07", "10"}},     {'e', {"00", "15", "50", "90"}},
        {'k', {"0", "T", "L", "N"}},         {'s', {"H", "M", "L"}},
    };
    return lists;
}

void AddSmartSettings(Items& items) {
    int address = eeprom::kSettings;
    for (const auto& list : SmartSettings()) {
        Item item = Make(ItemKind::Setting, {}, 0, address++);
        item.Choices = list.Choices;
        items[list.Command] = std::move(item);
    }
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
};

// A first-generation Smart unit, the base of every Smart preset.
SimUnit::Definition SmartUnit(const std::string& name, const SmartIdentity& identity) {
    Items items;
    items['Y'] = Fixed("SM");
    items[kCtrlA] = Fixed(identity.Model);
    items['1'] = Make(ItemKind::ProgramEntry, "PROG");
    items['n'] = TextField(identity.Serial, 14, eeprom::kSerialNumber);
    items['b'] = TextField(identity.Firmware, 8, -1);
    items['m'] = TextField("05/14/07", 8, eeprom::kManufactureDate);
    items['x'] = TextField("05/14/07", 8, eeprom::kBatteryReplaceDate);
    items['c'] = TextField("UPS_IDEN", 8, eeprom::kUpsId);

    items['O'] = Reading("229.4");
    items['L'] = Reading("228.9");
    items['P'] = Reading("032.7");
    items['B'] = Reading("27.37");
    items['f'] = Reading("100.0");
    items['j'] = Reading("0123:");
    items['C'] = Reading("036.4");
    items['F'] = Reading("50.00");
    items['g'] = Reading("024");
    items['>'] = Reading("000");

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
    items[kCtrlZ] = Fixed(CapabilityList(items, identity.FeatureMarks));

    SimUnit::Definition definition;
    definition.Name = name;
    definition.Items = std::move(items);
    definition.EepromBase = EepromBase(name);
    return definition;
}

// Third-generation units keep three more constants and answer the model code to 0x02.
void AddThirdGenConstants(SimUnit::Definition& unit, uint8_t dollar, uint8_t percent, uint8_t modelCode) {
    unit.Items['$'] = Constant(dollar, eeprom::kConstDollar);
    unit.Items['%'] = Constant(percent, eeprom::kConstPercent);
    unit.Items[kCtrlB] = Constant(modelCode, eeprom::kModelCode);
}

SimUnit::Definition BackProUnit(const std::string& name, const std::string& model) {
    Items items;
    items['Y'] = Fixed("SM");
    items[kCtrlA] = Fixed(model);
    items['1'] = Make(ItemKind::ProgramEntry, "PROG");
    items['n'] = TextField("BP0812004511", 14, eeprom::kSerialNumber);
    items['b'] = TextField("12.1.I", 8, -1);
    items['m'] = TextField("08/02/12", 8, eeprom::kManufactureDate);
    items['x'] = TextField("08/02/12", 8, eeprom::kBatteryReplaceDate);

    // No line frequency: "F" is answered "NA", which is how the host tells this family apart.
    items['O'] = Reading("229.6");
    items['L'] = Reading("228.9");
    items['P'] = Reading("045.0");
    items['B'] = Reading("13.62");
    items['e'] = Reading("13.65");
    items['w'] = Reading("1.020");
    items['v'] = Reading("229.8");
    items['2'] = Reading("10.50");
    items['c'] = Reading("044.8");
    items['d'] = Reading("00.05");

    items['~'] = Register(0x08);
    items['Q'] = Register(0x08);
    items['#'] = Make(ItemKind::EepromStart, {}, 0x00);

    SimUnit::Definition definition;
    definition.Name = name;
    definition.Items = std::move(items);
    definition.EepromBase = EepromBase(name);
    return definition;
}

// A second-generation Smart unit: no model-name query, a silent programming-mode entry, the model
// decoded from "V", an 8-character serial number and the "7" register that tells its variant.
SimUnit::Definition SecondGenUnit(const std::string& name, const std::string& modelCode, uint8_t register7,
                                  const std::string& temperature) {
    Items items;
    items['Y'] = Fixed("SM");
    items['1'] = Make(ItemKind::ProgramEntry, "");
    items['V'] = Fixed(modelCode);
    items['7'] = Register(register7);
    items['n'] = TextField("GS043122", 8, eeprom::kSerialNumber);
    items['m'] = TextField("11/23/98", 8, eeprom::kManufactureDate);
    items['x'] = TextField("11/23/98", 8, eeprom::kBatteryReplaceDate);
    items['c'] = TextField("UPS_IDEN", 8, eeprom::kUpsId);
    items['H'] = Make(ItemKind::ModelCodeStep, {}, 0x49, eeprom::kModelCode);

    items['O'] = Reading("230.1");
    items['L'] = Reading("229.5");
    items['P'] = Reading("027.3");
    items['B'] = Reading("27.42");
    items['f'] = Reading("100.0");
    items['j'] = Reading("0087:");
    items['C'] = Reading(temperature);
    items['F'] = Reading("50.00");

    items['0'] = Constant(0x94, eeprom::kConst0);
    items['5'] = Constant(0x81, eeprom::kConst5);
    items['6'] = Constant(0xB7, eeprom::kConst6);

    items['~'] = Register(0x08);
    items['\''] = Register(0x00);
    items['8'] = Register(0x00);
    items['Q'] = Register(0x08);

    items['#'] = Make(ItemKind::EepromStart, {}, 0x00);
    items['^'] = Make(ItemKind::Bypass);
    AddSmartSettings(items);

    SimUnit::Definition definition;
    definition.Name = name;
    definition.Items = std::move(items);
    definition.EepromBase = EepromBase(name);
    return definition;
}

SimUnit::Definition Build(const std::string& name) {
    if (name == "smart") return SmartUnit(name, {"Smart 1400", "KV0527310642XB", "72.14.I"});
    if (name == "smart-small") {
        // An unprogrammed tail of the serial number comes out as zero bytes.
        auto unit = SmartUnit(name, {"Smart 620", std::string("KV0603112233\0\0", 14), "11.3.I"});
        unit.Items['B'] = Reading("13.71");
        unit.Items['g'] = Reading("012");
        unit.Items['C'] = Reading("031.2");
        return unit;
    }
    if (name == "smart-xl") {
        auto unit = SmartUnit(name, {"Smart 750 XL", "KV0731220458AX", "70.15.D"});
        unit.Items['>'] = Reading("001");
        return unit;
    }
    if (name == "smart-sc") {
        auto unit = SmartUnit(name, {"Smart SC 1000", "KV0822334455AB", "735.a1.I"});
        unit.Items['#'] = Constant(0x8F, eeprom::kConstHash);
        return unit;
    }
    if (name == "smart-3g") {
        auto unit = SmartUnit(name, {"Smart 1500", "KV1012345678AB", "652.12.I", "e472"});
        AddThirdGenConstants(unit, 0x7B, 0x91, 0x8C);
        unit.Items['^'] = Constant(0x85, eeprom::kConstCaret);
        return unit;
    }
    if (name == "surt") {
        // "^" stays bypass on this online model; the host never reads it as a constant here.
        auto unit = SmartUnit(name, {"Smart RT 3000 XL", "KV1188776655RT", "453.9.W", "s411"});
        AddThirdGenConstants(unit, 0x6E, 0x94, 0xA3);
        unit.Items['B'] = Reading("218.4");
        unit.Items['g'] = Reading("192");
        unit.Items['C'] = Reading("031.0");
        unit.Items[kCtrlJ] = Reading("109.45");
        unit.Items[kCtrlK] = Reading("109.38");
        unit.Items[kCtrlG] = Reading("218.96");
        unit.Items[kCtrlH] = Reading("219.02");
        return unit;
    }
    if (name == "no-serial") {
        auto unit = SmartUnit(name, {"Smart 700", "", "51.9.I"});
        unit.Items.erase('n');
        return unit;
    }
    if (name == "back-pro") return BackProUnit(name, "Back-PRO 650");
    if (name == "back-pro-1500") return BackProUnit(name, "Back-PRO 1500");
    if (name == "second-gen") return SecondGenUnit(name, "8QI", 0x24, "036.4");
    if (name == "second-gen-legacy1") return SecondGenUnit(name, "6QI", 0x00, "031.5");
    if (name == "second-gen-legacy2") return SecondGenUnit(name, "3QI", 0x00, "000.0");
    if (name == "monitor-only") {
        auto unit = SmartUnit(name, {"Smart 3000", "KV0911223344RM", "666.4.I"});
        unit.Items['1'] = Make(ItemKind::ProgramEntry, "APROG");
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
