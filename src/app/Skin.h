#pragma once
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
    void ApplyWindow(QWidget* window);  // member 3
    bool loaded() const { return !styleSheet_.isEmpty(); }

private:
    QString styleSheet_;
};

// The background of the window and of its frames, labels, check and option boxes becomes
// the system's button-face colour.
void RecolorForSkin(QWidget* window);
// Skins the window when the program folder holds the skin file.
void ApplySkin(QWidget* window, SkinFramework& skin, const QString& programFolder);
