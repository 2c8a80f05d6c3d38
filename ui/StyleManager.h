// The visual styles of the Style menu. "Windows" is Qt's plain Windows look; the seven named themes are
// palettes of our own on the Fusion look. The style is set for the whole application.
#pragma once

#include <QFont>
#include <QPalette>
#include <QString>
#include <QStringList>

namespace kelvane {

// The window font: a plain sans-serif at 8 points.
QFont WindowFont();

class StyleManager {
  public:
    static constexpr const char* DefaultStyleName = "Windows";

    // The eight style names, in the order of the Style menu.
    static const QStringList& StyleNames();
    static bool IsKnown(const QString& name);

    // The palette behind a themed name; for "Windows" and unknown names the plain look's own palette.
    static QPalette PaletteFor(const QString& name);

    // Applies the named style. An unknown name applies the plain "Windows" look but is kept as the
    // active name, so the stored value survives until the user picks a style. Returns IsKnown(name).
    bool SetStyle(const QString& name);

    QString ActiveStyleName() const { return ActiveName; }

  private:
    QString ActiveName;
};

}  // namespace kelvane
