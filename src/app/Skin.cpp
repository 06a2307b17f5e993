#include "Skin.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

bool SkinFramework::LoadSkin(const QString& path, const QString&) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    styleSheet_ = QString::fromUtf8(file.readAll());
    return true;
}

void SkinFramework::ApplyWindow(QWidget* window) {
    if (loaded()) window->setStyleSheet(styleSheet_);
}

void PaintBackground(QWidget* widget, QPalette::ColorRole role) {
    widget->setBackgroundRole(role);
    widget->setAutoFillBackground(true);
}

void RecolorForSkin(QWidget* window) {
    PaintBackground(window, ButtonFace);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QRadioButton*>(child))
            PaintBackground(child, ButtonFace);
    }
}

void ApplySkin(QWidget* window, SkinFramework& skin, const QString& programFolder) {
    // The skin file lives at x/o.cjs below the program folder; only a regular file counts.
    const QString path = programFolder + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(path).isFile()) return;
    RecolorForSkin(window);
    skin.LoadSkin(path, QString());
    skin.Options |= 1;
    skin.ApplyToChildren = true;
    skin.ApplyToDialogs = true;
    skin.ApplyWindow(window);
}
