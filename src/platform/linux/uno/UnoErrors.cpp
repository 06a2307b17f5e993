#include "UnoErrors.h"

#include <QRegularExpression>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <cppuhelper/exc_hlp.hxx>

#include "UnoValues.h"

namespace OfficeErr {
namespace {
// The office appends where in its sources it raised the exception; that is no news to a user.
QString withoutSourceLocation(QString message) {
    static const QRegularExpression location(QStringLiteral("\\s+at\\s+\\S+:\\d+\\s*$"));
    return message.remove(location).trimmed();
}
}  // namespace

RuntimeError fromCaughtException() {
    const css::uno::Any caught = cppu::getCaughtException();
    css::uno::Exception e;
    caught >>= e;
    const QString message = withoutSourceLocation(toQString(e.Message));
    if (caught.isExtractableTo(cppu::UnoType<css::lang::DisposedException>::get()))
        return gone(message);
    return {Exception, message.isEmpty() ? toQString(caught.getValueTypeName()) : message};
}

RuntimeError gone(const QString& detail) {
    QString text = QStringLiteral("The office is no longer running.");
    if (!detail.isEmpty()) text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return {Unavailable, text};
}

RuntimeError hung(std::chrono::milliseconds bound) {
    return {CallFailed, QStringLiteral("The office neither answered nor worked for %1 seconds and was ended.")
                            .arg(double(bound.count()) / 1000.0)};
}

RuntimeError busyTooLong(std::chrono::milliseconds longest) {
    return {CallFailed, QStringLiteral("The office worked on one call for %1 seconds without finishing and was ended.")
                            .arg(double(longest.count()) / 1000.0)};
}

RuntimeError timedOut(std::chrono::milliseconds bound) {
    return {CallFailed, QStringLiteral("The office did not answer within %1 seconds and was ended.")
                            .arg(double(bound.count()) / 1000.0)};
}
}  // namespace OfficeErr
