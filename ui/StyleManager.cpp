#include "ui/StyleManager.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <array>

#include "ui/Colours.h"

namespace kelvane {
namespace {

// The roles a theme sets; everything else is derived by QPalette from Button and Window.
struct Theme {
    const char* Name;
    BgrColour Window;
    BgrColour Button;
    BgrColour Base;
    BgrColour AlternateBase;
    BgrColour Text;
    BgrColour Highlight;
    BgrColour HighlightedText;
    BgrColour Link;
    BgrColour ToolTipBase;
    BgrColour DisabledText;
};

// Colours as 0x00BBGGRR. Every theme keeps light edit backgrounds and dark text: fields are flashed green
// and red and then turned black, which must stay readable on any theme.
constexpr std::array<Theme, 7> Themes{{
    // Cool grey-green window, emerald selection.
    {"Emerald Light Slate", 0xE3E0D9, 0xD2D9C6, 0xFFFFFF, 0xF1F5EC, 0x1C2010, 0x527A13, 0xFFFFFF, 0x3E5C0E,
     0xF4FFF0, 0x8A8F84},
    // Pale ice blue, steel-blue selection.
    {"Iceberg Classico", 0xF7F0E6, 0xEFE3D2, 0xFFFDFB, 0xFAF4EE, 0x2A1B0D, 0xA36D2F, 0xFFFFFF, 0x995F1E,
     0xFFF8F0, 0x9C9080},
    // Classic mid slate grey.
    {"Slate Classico", 0xCCC7C3, 0xBDB6B1, 0xF6F5F4, 0xE9E6E4, 0x111111, 0x6B5A4B, 0xFFFFFF, 0x5B3923,
     0xF0ECE8, 0x7E7873},
    // Lavender, amethyst selection.
    {"Amethyst Kamri", 0xEEE0E7, 0xE3CAD6, 0xFFFBFD, 0xF7EEF3, 0x2A1020, 0xA64F7B, 0xFFFFFF, 0x9A3D6A,
     0xFFF4FA, 0x9A8A94},
    // Cobalt-tinted blue window, deep cobalt selection.
    {"Cobalt XEMedia", 0xD6B39F, 0xE2C6B4, 0xFFFAF7, 0xF4E8E0, 0x2E1405, 0xAB4700, 0xFFFFFF, 0xAB4700,
     0xFFF2EA, 0x6E5A4E},
    // Warm graphite with gold buttons and selection.
    {"Golden Graphite", 0xA0A7A9, 0x6AB4C9, 0xF3FDFF, 0xE2EEF2, 0x0E0E0E, 0x27A2C9, 0x000000, 0x14608A,
     0xE6F8FF, 0x5E6466},
    // Cool graphite with ruby selection.
    {"Ruby Graphite", 0xADA9A7, 0xC5C1BF, 0xF9F9FF, 0xEDEBF3, 0x0E0E0E, 0x1E119B, 0xFFFFFF, 0x1E119B,
     0xF0F0FF, 0x625E5C},
}};

const Theme* FindTheme(const QString& name) {
    for (const Theme& theme : Themes) {
        if (name == QLatin1String(theme.Name)) return &theme;
    }
    return nullptr;
}

QPalette MakePalette(const Theme& theme) {
    QPalette palette(ToQColor(theme.Button), ToQColor(theme.Window));
    const QColor text = ToQColor(theme.Text);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText}) {
        palette.setColor(role, text);
    }
    palette.setColor(QPalette::Base, ToQColor(theme.Base));
    palette.setColor(QPalette::AlternateBase, ToQColor(theme.AlternateBase));
    palette.setColor(QPalette::Highlight, ToQColor(theme.Highlight));
    palette.setColor(QPalette::HighlightedText, ToQColor(theme.HighlightedText));
    palette.setColor(QPalette::Link, ToQColor(theme.Link));
    palette.setColor(QPalette::LinkVisited, ToQColor(theme.Link));
    palette.setColor(QPalette::ToolTipBase, ToQColor(theme.ToolTipBase));
    palette.setColor(QPalette::PlaceholderText, ToQColor(theme.DisabledText));
    const QColor disabled = ToQColor(theme.DisabledText);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabled);
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, ToQColor(theme.Window));
    return palette;
}

}  // namespace

QFont WindowFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    // A semi-condensed face where there is one keeps the captions within the fixed places of the layout.
    font.setStretch(QFont::SemiCondensed);
    font.setPointSize(8);
    return font;
}

const QStringList& StyleManager::StyleNames() {
    static const QStringList names = [] {
        QStringList list{QString::fromLatin1(DefaultStyleName)};
        for (const Theme& theme : Themes) list << QString::fromLatin1(theme.Name);
        return list;
    }();
    return names;
}

bool StyleManager::IsKnown(const QString& name) {
    return StyleNames().contains(name);
}

QPalette StyleManager::PaletteFor(const QString& name) {
    if (const Theme* theme = FindTheme(name)) return MakePalette(*theme);
    QStyle* plain = QStyleFactory::create(QStringLiteral("Windows"));
    const QPalette palette = plain != nullptr ? plain->standardPalette() : QApplication::palette();
    delete plain;
    return palette;
}

bool StyleManager::SetStyle(const QString& name) {
    ActiveName = name;
    const Theme* theme = FindTheme(name);
    QStyle* style =
        QStyleFactory::create(theme != nullptr ? QStringLiteral("Fusion") : QStringLiteral("Windows"));
    if (style != nullptr) {
        const QPalette palette = theme != nullptr ? MakePalette(*theme) : style->standardPalette();
        QApplication::setStyle(style);
        QApplication::setPalette(palette);
        ReapplyColours();
    }
    return IsKnown(name);
}

}  // namespace kelvane
