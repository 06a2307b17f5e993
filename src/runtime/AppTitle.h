#pragma once
#include <QString>

inline const QString ProductName = QStringLiteral("Quorvane");

// The caption of every message box that names none of its own.
QString AppTitle();
// Derives the application title from the product name: at most 40 characters, cut at blanks.
void SetAppTitle(const QString& productName = ProductName);
QString TitleFromProductName(QString name);
