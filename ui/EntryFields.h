// The value entry fields: character filters, Esc restore, range checks and the commands Enter pushes.
//
// A field refuses a typed character by turning read-only for the length of the key press, so the
// character is never inserted; the key release (or the field losing focus first) makes it editable again.
// Enter only queues the field's command with '-': the worker reads the field's text when the command runs
// and writes the result back, so the typed text stays in the field until then.
#pragma once

#include <QDate>
#include <QHash>
#include <QObject>
#include <functional>
#include <string>

#include "ui/UnitSnapshot.h"

class QLineEdit;

namespace kelvane {

class TForm1;

class EntryFields final : public QObject {
    Q_OBJECT
  public:
    // Finds every entry field of the window by name and watches its keys. The object is a child of the
    // window named "EntryFields".
    explicit EntryFields(TForm1& window);

    // Today's date for BatteriesReplaseDateDblClick; tests pin it.
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

    // Fills BatteriesReplaseDate with today's date as mm/dd/yy; the technician commits it with Enter.
    void BatteriesReplaseDateDblClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Kind {
        HexConstant,           // two hexadecimal digits; Esc puts the last value back
        Identity,              // any text; Enter always commits; Esc puts the last value back and beeps
        SerialNumber,          // an identity field that takes letters and digits only
        SkuCode,               // digits; Esc puts the last value back with a green flash
        LoadTarget,            // watts, at most 65 % of the rated power
        InputVoltageTarget,    // three digits, at most 235
        BatteryVoltageTarget,  // five characters such as 27.60
    };

    struct Field {
        QLineEdit* Edit = nullptr;
        Kind Type = Kind::HexConstant;
        char Code = 0;
        // The last value read from the unit, which Esc puts back; null where Esc puts nothing back.
        std::string UnitSnapshot::*OldValue = nullptr;
    };

    void KeyPress(const Field& field, const std::u32string& typed);
    void KeyUp(const Field& field);
    void HexConstantKeyPress(const Field& field, const std::u32string& typed);
    void IdentityKeyPress(const Field& field, const std::u32string& typed);
    void SkuCodeKeyPress(const Field& field, const std::u32string& typed);
    void LoadTargetKeyPress(const Field& field, const std::u32string& typed);
    void InputVoltageTargetKeyPress(const Field& field, const std::u32string& typed);
    void BatteryVoltageTargetKeyPress(const Field& field, const std::u32string& typed);
    void LoadTargetKeyUp(const Field& field);
    void InputVoltageTargetKeyUp(const Field& field);

    void Refuse(QLineEdit* edit);
    void Push(const Field& field);
    void PutOldValueBack(const Field& field);
    void FlashRedAndClear(QLineEdit* edit);
    double LoadLimit() const;

    TForm1& Window;
    QHash<const QObject*, Field> Fields;
    QLineEdit* BatteriesReplaseDate = nullptr;
};

// Creates the window's EntryFields.
void InstallEntryFields(TForm1& window);

}  // namespace kelvane
