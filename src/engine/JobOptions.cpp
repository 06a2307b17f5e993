#include "JobOptions.h"

std::optional<JobOption> ParseJobOption(const QString& text) {
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    const QString name = (equals < 0 ? text : text.left(equals)).trimmed();
    if (name.isEmpty()) return std::nullopt;
    return JobOption{name, equals < 0 ? QStringLiteral("true") : text.mid(equals + 1)};
}

OptionsVerdict CheckJobOptions(PrintQueues& printers, const QString& printer, const QString& queue, const JobOptions& options) {
    OptionsVerdict verdict;
    for (const auto& [name, value] : options) {
        const OptionSupport support = printers.supportOf(queue, name, value);
        const QString option = QStringLiteral("-o %1=%2").arg(name, value);
        switch (support.verdict) {
            case OptionSupport::Verdict::Supported: break;
            case OptionSupport::Verdict::Unsupported:
                verdict.refused << QStringLiteral("%1: \"%2\" does not support this value; it supports: %3.")
                                       .arg(option, printer, support.supported);
                break;
            case OptionSupport::Verdict::Unlisted:
                verdict.warnings << QStringLiteral("%1: \"%2\" lists no supported values for %3; passed on as given.")
                                        .arg(option, printer, name);
        }
    }
    return verdict;
}
