#pragma once
#include <QString>

class Form1;

inline const QString OfficeDownloadPage = QStringLiteral("https://www.libreoffice.org/download/");

// Returns when the office suite can be reached; otherwise ends the program after its message.
void CheckOfficeInstalled(Form1& form);
