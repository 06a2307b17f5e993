#pragma once
#include <QPalette>
#include <QString>

class QWidget;

// The window-skinning component: a style sheet loaded from the skin file and applied to a window.
class SkinFramework {
public:
    bool LoadSkin(const QString& path, const QString& iniName);
    // The component's settings as start-up sets them; a style sheet has no use for them.
    qint32 Options = 0;             // member 1
    bool ApplyToChildren = false;   // member 5
    bool ApplyToDialogs = false;    // member 10
    // A style sheet takes the palette's colours when it is applied: applied again after the desktop's
    // palette changed, it takes the new ones.
    void ApplyWindow(QWidget* window);  // member 3
    bool loaded() const { return !styleSheet_.isEmpty(); }

private:
    QString styleSheet_;
};

// Backgrounds are palette roles, not fixed colours, so that the window follows the desktop's
// palette (a dark theme gives a dark window), also when the desktop changes it while the program runs.
// The design-time white is the palette's base colour (white in a light theme); the system's
// button-face colour is the palette's button colour.
inline constexpr QPalette::ColorRole DesignBackground = QPalette::Base;
inline constexpr QPalette::ColorRole ButtonFace = QPalette::Button;
void PaintBackground(QWidget* widget, QPalette::ColorRole role);

// The background of the window and of its frames, labels, check and option boxes becomes
// the system's button-face colour.
void RecolorForSkin(QWidget* window);
// Skins the window when the program folder holds the skin file.
void ApplySkin(QWidget* window, SkinFramework& skin, const QString& programFolder);
