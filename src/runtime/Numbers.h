#pragma once
#include <QString>
#include <optional>

// A text as the classic runtime reads a number, by the user's locale: surrounding blanks, a sign,
// the locale's decimal and grouping separators, an exponent (1e1), and &H / &O for hexadecimal
// and octal. Nothing when the text as a whole is no number.
std::optional<double> NumberFromText(const QString& text);
// A number as a 16-bit integer, halves going to the even neighbour; Err::overflow() outside
// -32768..32767.
qint16 CInt(double value);
// A text as a 16-bit integer; Err::typeMismatch() when it is no number.
qint16 CInt(const QString& text);
