#include "Numbers.h"

#include <QLocale>
#include <cmath>

#include "platform/RuntimeError.h"

namespace {
// The digits after "&H" or "&O"; no sign, no blanks. The classic runtime reads them as the bits of
// the narrowest signed integer that holds them: up to FFFF a 16-bit one (&HFFFF is -1, &H8000 is
// -32768), up to FFFFFFFF a 32-bit one; longer numbers keep their value and overflow later.
std::optional<double> prefixedNumber(QStringView digits, int base) {
    if (digits.isEmpty()) return std::nullopt;
    double value = 0;
    for (const QChar c : digits) {
        const auto digit = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
        if (digit < 0 || digit >= base) return std::nullopt;
        value = value * base + double(digit);
    }
    if (!std::isfinite(value)) return std::nullopt;
    if (value <= 0xFFFF) return double(qint16(quint16(value)));
    if (value <= 0xFFFFFFFFu) return double(qint32(quint32(value)));
    return value;
}
}  // namespace

std::optional<double> NumberFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive))
        return prefixedNumber(QStringView(trimmed).mid(2), 16);
    if (trimmed.startsWith(QStringLiteral("&O"), Qt::CaseInsensitive))
        return prefixedNumber(QStringView(trimmed).mid(2), 8);
    bool ok = false;
    const double value = QLocale().toDouble(trimmed, &ok);
    // The locale would also read "inf" and "nan", which are no numbers to the user.
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

qint16 CInt(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    const bool up = fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0);
    const double rounded = up ? below + 1 : below;
    if (rounded < -32768 || rounded > 32767) throw Err::overflow();
    return qint16(rounded);
}

qint16 CInt(const QString& text) {
    const auto number = NumberFromText(text);
    if (!number) throw Err::typeMismatch();
    return CInt(*number);
}

// The timer of the event loop replaces spinning on the clock: the same length, the window stays
// responsive and the processor idle, and midnight needs no special case.
