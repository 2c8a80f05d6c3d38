#include "ui/EntryFields.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QtDebug>
#include <algorithm>
#include <cmath>

#include "ui/Colours.h"
#include "ui/HexUpperCase.h"
#include "ui/QtWindowControls.h"
#include "ui/TForm1.h"
#include "ui/TypedCharacter.h"
#include "ups/AnswerConversions.h"

namespace kelvane {
namespace {

// Marks a field that a refused key made read-only, so the release gives back only what the refusal took:
// a field that something else made read-only stays so.
constexpr const char* RefusedKeyProperty = "KelvaneRefusedKey";

constexpr int HighestInputVoltage = 235;
constexpr double LoadShareOfRating = 0.65;
constexpr std::uint32_t RefusalPauseMs = 500;

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}
bool IsHexDigit(char32_t c) {
    return IsDigit(c) || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
}
bool IsLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}
bool IsEditingKey(char32_t c) {
    return c == KeyEnter || c == KeyBackspace;
}

// The typed text is one key; it passes only if every character of it does.
template <typename Accepts>
bool AllAccepted(const std::u32string& typed, Accepts accepts) {
    return std::all_of(typed.begin(), typed.end(), accepts);
}

bool Is(const std::u32string& typed, char32_t key) {
    return typed.size() == 1 && typed.front() == key;
}

// The leading integer of a field's text, as the unit's own answers are read: a pasted value too
// large for a long is held at its end, never overflowed.
long DecimalValue(const QString& text) {
    return ParseInteger(QtWindowControls::ToUnit(text));
}

void MakeEditable(QLineEdit* edit) {
    if (!edit->property(RefusedKeyProperty).toBool()) return;
    edit->setProperty(RefusedKeyProperty, false);
    edit->setReadOnly(false);
}

}  // namespace

EntryFields::EntryFields(TForm1& window) : QObject(&window), Window(window) {
    setObjectName(QStringLiteral("EntryFields"));

    struct Entry {
        const char* Name;
        Kind Type;
        char Code;
        std::string UnitSnapshot::*OldValue;
        bool UpperCase;
    };
    const Entry table[] = {
        {"Const4", Kind::HexConstant, 'm', &UnitSnapshot::Const4Text, true},
        {"Const5", Kind::HexConstant, 'n', &UnitSnapshot::Const5Text, true},
        {"Const6", Kind::HexConstant, 'o', &UnitSnapshot::Const6Text, true},
        {"Const0", Kind::HexConstant, 'l', &UnitSnapshot::Const0Text, true},
        {"Const_3", Kind::HexConstant, '@', &UnitSnapshot::ConstHashText, true},
        {"Const_4", Kind::HexConstant, 'U', &UnitSnapshot::ConstDollarText, true},
        {"Const_5", Kind::HexConstant, 'Z', &UnitSnapshot::ConstPercentText, true},
        {"Const_6", Kind::HexConstant, 'V', &UnitSnapshot::ConstCaretText, true},
        // The unit keeps this constant's case as it was typed.
        {"ConstCTRLD", Kind::HexConstant, '!', &UnitSnapshot::ConstCtrlDText, false},
        {"Const52nd", Kind::HexConstant, 'q', &UnitSnapshot::Const5Text, true},
        {"Const62nd", Kind::HexConstant, 'r', &UnitSnapshot::Const6Text, true},
        {"Const02nd", Kind::HexConstant, 'p', &UnitSnapshot::Const0Text, true},
        {"ModelConst", Kind::HexConstant, 'Q', &UnitSnapshot::ModelCodeText, true},
        {"ManufactureDate", Kind::Identity, 'h', &UnitSnapshot::ManufactureDateText, false},
        {"BatteriesReplaseDate", Kind::Identity, 'i', &UnitSnapshot::BatteryReplaceDateText, false},
        {"ID", Kind::Identity, 'j', &UnitSnapshot::UpsIdText, false},
        {"SerialNumber", Kind::SerialNumber, 'k', &UnitSnapshot::SerialNumberText, false},
        {"SU36G", Kind::SkuCode, 'O', &UnitSnapshot::SkuCodeText, false},
        {"LoadSmartConst", Kind::LoadTarget, 'H', nullptr, false},
        {"LoadSmart2nd", Kind::LoadTarget, 'I', nullptr, false},
        {"InputVoltageConstantSmart", Kind::InputVoltageTarget, 'J', nullptr, false},
        {"InputVoltageConstantSmart2nd", Kind::InputVoltageTarget, 'K', nullptr, false},
        {"InputVoltageConstantBP", Kind::InputVoltageTarget, 'L', nullptr, false},
        {"BatSmart2nd", Kind::BatteryVoltageTarget, 's', nullptr, false},
    };
    for (const Entry& entry : table) {
        auto* edit = window.findChild<QLineEdit*>(QLatin1String(entry.Name));
        if (edit == nullptr) {
            qWarning("Entry field %s is missing from the window; its keys do nothing.", entry.Name);
            continue;
        }
        Fields.insert(edit, Field{edit, entry.Type, entry.Code, entry.OldValue});
        edit->installEventFilter(this);
        if (entry.UpperCase) KeepUpperCase(edit);
    }
    BatteriesReplaseDate = window.findChild<QLineEdit*>(QStringLiteral("BatteriesReplaseDate"));
}

bool EntryFields::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto found = Fields.constFind(watched);
            if (found == Fields.cend() || !found->Edit->isEnabled()) break;
            const Field field = *found;
            if (event->type() == QEvent::KeyRelease) {
                KeyUp(field);
                break;
            }
            const std::u32string typed = TypedCharacters(*static_cast<QKeyEvent*>(event));
            if (!typed.empty()) KeyPress(field, typed);
            break;
        }
        case QEvent::FocusOut:
            // A key released after the focus has moved on never reaches the field that refused it. The cast
            // also fails for a field that is being destroyed, which must not be touched any more.
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) MakeEditable(edit);
            break;
        case QEvent::MouseButtonDblClick:
            if (watched == BatteriesReplaseDate && BatteriesReplaseDate->isEnabled()) {
                BatteriesReplaseDateDblClick();
                // The field's own double click would select a word of the date just written.
                return true;
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void EntryFields::KeyPress(const Field& field, const std::u32string& typed) {
    switch (field.Type) {
        case Kind::HexConstant:
            HexConstantKeyPress(field, typed);
            break;
        case Kind::Identity:
        case Kind::SerialNumber:
            IdentityKeyPress(field, typed);
            break;
        case Kind::SkuCode:
            SkuCodeKeyPress(field, typed);
            break;
        case Kind::LoadTarget:
            LoadTargetKeyPress(field, typed);
            break;
        case Kind::InputVoltageTarget:
            InputVoltageTargetKeyPress(field, typed);
            break;
        case Kind::BatteryVoltageTarget:
            BatteryVoltageTargetKeyPress(field, typed);
            break;
    }
}

void EntryFields::KeyUp(const Field& field) {
    MakeEditable(field.Edit);
    if (field.Type == Kind::LoadTarget) LoadTargetKeyUp(field);
    if (field.Type == Kind::InputVoltageTarget) InputVoltageTargetKeyUp(field);
}

void EntryFields::HexConstantKeyPress(const Field& field, const std::u32string& typed) {
    if (!AllAccepted(typed, [](char32_t c) { return IsHexDigit(c) || IsEditingKey(c) || c == KeyEscape; })) {
        Refuse(field.Edit);
    }
    if (Is(typed, KeyEscape)) {
        PutOldValueBack(field);
    } else if (Is(typed, KeyEnter) && field.Edit->text().size() == 2) {
        Push(field);
    }
}

void EntryFields::IdentityKeyPress(const Field& field, const std::u32string& typed) {
    // Pasting stays allowed in the serial number; only typed characters are filtered.
    if (field.Type == Kind::SerialNumber && !AllAccepted(typed, [](char32_t c) {
            return IsDigit(c) || IsLetter(c) || IsEditingKey(c) || c == KeyEscape || c == KeyCopy ||
                   c == KeyPaste;
        })) {
        Refuse(field.Edit);
    }
    if (Is(typed, KeyEnter)) {
        Push(field);
    } else if (Is(typed, KeyEscape)) {
        PutOldValueBack(field);
        if (Window.Beeper) Window.Beeper->Beep();
    }
}

void EntryFields::SkuCodeKeyPress(const Field& field, const std::u32string& typed) {
    // Esc is refused like any other key, yet still puts the old code back.
    if (!AllAccepted(typed, [](char32_t c) { return IsDigit(c) || IsEditingKey(c); })) Refuse(field.Edit);
    if (Is(typed, KeyEnter)) {
        Push(field);
    } else if (Is(typed, KeyEscape)) {
        field.Edit->setText(QtWindowControls::FromUnit(Window.Snapshot.*field.OldValue));
        SetFontColour(field.Edit, ColourBrightGreen);
        field.Edit->repaint();
        if (Window.Beeper) Window.Beeper->Beep();
        SetFontColour(field.Edit, ColourBlack);
        field.Edit->repaint();
    }
}

void EntryFields::LoadTargetKeyPress(const Field& field, const std::u32string& typed) {
    if (!AllAccepted(typed, [](char32_t c) { return IsDigit(c) || IsEditingKey(c); })) Refuse(field.Edit);
    const QString text = field.Edit->text();
    // Typing never leaves a value above the limit in the field (the release clears it), but a pasted or
    // dropped one could be there; it must not reach the unit as a calibration target.
    if (Is(typed, KeyEnter) && !text.isEmpty() && static_cast<double>(DecimalValue(text)) <= LoadLimit()) {
        Push(field);
    }
}

void EntryFields::InputVoltageTargetKeyPress(const Field& field, const std::u32string& typed) {
    if (!AllAccepted(typed, [](char32_t c) { return IsDigit(c) || IsEditingKey(c); })) Refuse(field.Edit);
    const QString text = field.Edit->text();
    if (text.size() < field.Edit->maxLength()) return;
    if (DecimalValue(text) > HighestInputVoltage) return;
    if (Is(typed, KeyEnter)) {
        Push(field);
    } else if (!Is(typed, KeyBackspace)) {
        if (Window.Beeper) Window.Beeper->Beep();
        Refuse(field.Edit);
    }
}

void EntryFields::BatteryVoltageTargetKeyPress(const Field& field, const std::u32string& typed) {
    if (!AllAccepted(
            typed, [](char32_t c) { return IsDigit(c) || c == U'.' || IsEditingKey(c) || c == KeyEscape; })) {
        Refuse(field.Edit);
    }
    if (Is(typed, KeyEnter) && field.Edit->text().size() == 5) Push(field);
}

void EntryFields::LoadTargetKeyUp(const Field& field) {
    if (static_cast<double>(DecimalValue(field.Edit->text())) > LoadLimit()) FlashRedAndClear(field.Edit);
}

void EntryFields::InputVoltageTargetKeyUp(const Field& field) {
    if (DecimalValue(field.Edit->text()) > HighestInputVoltage) FlashRedAndClear(field.Edit);
}

void EntryFields::BatteriesReplaseDateDblClick() {
    if (BatteriesReplaseDate == nullptr) return;
    const QDate today = Today();
    BatteriesReplaseDate->clear();
    BatteriesReplaseDate->setText(QStringLiteral("%1/%2/%3")
                                      .arg(today.month(), 2, 10, QLatin1Char('0'))
                                      .arg(today.day(), 2, 10, QLatin1Char('0'))
                                      .arg(today.year() % 100, 2, 10, QLatin1Char('0')));
}

void EntryFields::Refuse(QLineEdit* edit) {
    if (edit->isReadOnly()) return;
    edit->setProperty(RefusedKeyProperty, true);
    edit->setReadOnly(true);
}

void EntryFields::Push(const Field& field) {
    Window.Commands.push(field.Code, '-');
}

void EntryFields::PutOldValueBack(const Field& field) {
    field.Edit->setText(QtWindowControls::FromUnit(Window.Snapshot.*field.OldValue));
    field.Edit->repaint();
}

void EntryFields::FlashRedAndClear(QLineEdit* edit) {
    SetFontColour(edit, ColourRed);
    edit->repaint();
    if (Window.Beeper) Window.Beeper->Beep();
    // Holds the red on screen for about a second together with the tone.
    Window.Pauses->SleepMs(RefusalPauseMs);
    SetFontColour(edit, ColourBlack);
    edit->repaint();
    edit->clear();
}

double EntryFields::LoadLimit() const {
    return std::trunc(static_cast<double>(Window.Snapshot.RatedPower)) * LoadShareOfRating;
}

void InstallEntryFields(TForm1& window) {
    new EntryFields(window);
}

}  // namespace kelvane
