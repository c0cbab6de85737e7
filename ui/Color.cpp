#include "ui/Color.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

struct TSystemColor {
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role; // NoRole: the fixed value below, Qt has no such role
    TColor Fixed;
};

// The system colours: palette roles where Qt has one, the classic Windows values where not.
const TSystemColor SystemColors[] = {
    {QPalette::Active, QPalette::Button, 0},          // clScrollBar
    {QPalette::Active, QPalette::NoRole, 0x808000},   // clBackground
    {QPalette::Active, QPalette::NoRole, 0x800000},   // clActiveCaption
    {QPalette::Active, QPalette::NoRole, 0x808080},   // clInactiveCaption
    {QPalette::Active, QPalette::Window, 0},          // clMenu
    {QPalette::Active, QPalette::Base, 0},            // clWindow
    {QPalette::Active, QPalette::NoRole, 0x000000},   // clWindowFrame
    {QPalette::Active, QPalette::WindowText, 0},      // clMenuText
    {QPalette::Active, QPalette::Text, 0},            // clWindowText
    {QPalette::Active, QPalette::NoRole, 0xFFFFFF},   // clCaptionText
    {QPalette::Active, QPalette::Window, 0},          // clActiveBorder
    {QPalette::Active, QPalette::Window, 0},          // clInactiveBorder
    {QPalette::Active, QPalette::NoRole, 0x808080},   // clAppWorkSpace
    {QPalette::Active, QPalette::Highlight, 0},       // clHighlight
    {QPalette::Active, QPalette::HighlightedText, 0}, // clHighlightText
    {QPalette::Active, QPalette::Button, 0},          // clBtnFace
    {QPalette::Active, QPalette::Dark, 0},            // clBtnShadow
    {QPalette::Disabled, QPalette::Text, 0},          // clGrayText
    {QPalette::Active, QPalette::ButtonText, 0},      // clBtnText
    {QPalette::Active, QPalette::NoRole, 0xC0C0C0},   // clInactiveCaptionText
    {QPalette::Active, QPalette::Light, 0},           // clBtnHighlight
    {QPalette::Active, QPalette::Shadow, 0},          // cl3DDkShadow
    {QPalette::Active, QPalette::Midlight, 0},        // cl3DLight
    {QPalette::Active, QPalette::ToolTipText, 0},     // clInfoText
    {QPalette::Active, QPalette::ToolTipBase, 0},     // clInfoBk
};

} // namespace

TColor ColorToRGB(TColor color) {
    if (color >= 0)
        return color & 0xFFFFFF;
    const int index = color & 0xFF;
    if (index >= int(std::size(SystemColors)))
        return clBlack;
    const TSystemColor& sc = SystemColors[index];
    if (sc.Role == QPalette::NoRole)
        return sc.Fixed;
    return FromQColor(QGuiApplication::palette().color(sc.Group, sc.Role));
}

QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}
