#include "Trap.h"

#include "AppTitle.h"

Trap::Trap(Platform& platform, QString location) : platform_(platform), location_(std::move(location)) {}

void Trap::operator()(int step, const std::function<void()>& statement) {
    if (ended_) return;
    try {
        statement();
    } catch (const RuntimeError& e) {
        if (endHandler_ && e.number == endNumber_) {
            ended_ = true;
            endHandler_();
            return;
        }
        report(step, e.description);
    } catch (const std::exception& e) {
        report(step, QString::fromUtf8(e.what()));
    }
}

bool Trap::test(int step, const std::function<bool()>& condition) {
    bool value = true;
    (*this)(step, [&] { value = condition(); });
    return value && !ended_;
}

void Trap::endOn(int number, std::function<void()> handler) {
    endNumber_ = number;
    endHandler_ = std::move(handler);
}

void Trap::report(int step, const QString& description) {
    if (eachCauseOnce_ && shown_.contains(description)) return;
    shown_ << description;
    platform_.dialogs.messageBox(nullptr, {ErrorReportText(description, location_, step),
                                           QStringLiteral("Application Error"), Buttons::Ok, Icon::Exclamation});
}

QString ErrorReportText(const QString& description, const QString& location, int step) {
    return description + QStringLiteral("\r\n") + QStringLiteral("in ") + location + QLatin1Char(' ') +
           QStringLiteral("at line ") + QString::number(step) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + SupportAddress;
}

void ReportPrinterError(Platform& platform, const RuntimeError& error) {
    const QString text = QStringLiteral("Error No: ") + QString::number(error.number) + QStringLiteral("\r\n") +
                         error.description + QStringLiteral("\r\n") + QStringLiteral("Has occured in ") +
                         QStringLiteral("modPrinters.GetDefaultPrinter") + QStringLiteral("\r\n") +
                         QStringLiteral("Please contact Technical Support");
    platform.dialogs.messageBox(nullptr, {text, AppTitle(), Buttons::Ok, Icon::None});
}
