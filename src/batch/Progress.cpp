#include "Progress.h"

#include <algorithm>

#include "engine/PathHelpers.h"
#include "engine/OutsideContent.h"

namespace {
QString duration(double seconds) {
    const qint64 s = qint64(seconds + 0.5);
    return s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}
}  // namespace

Progress::Progress(std::FILE* out, bool terminal, int total, std::function<double()> elapsedSeconds)
    : out_(out), terminal_(terminal), total_(total), elapsed_(std::move(elapsedSeconds)) {}

QString Progress::line(int position, int total, const DocumentResult& r) {
    QString text = QStringLiteral("%1/%2 %3 %4").arg(position).arg(total).arg(OutcomeName(r.outcome), r.path);
    switch (r.outcome) {
        case DocumentResult::Outcome::Printed:
        case DocumentResult::Outcome::Queued:
            text += QStringLiteral(" on %1 as job %2").arg(r.printer).arg(r.job);
            if (!r.reason.isEmpty()) text += QStringLiteral(": ") + r.reason;
            break;
        case DocumentResult::Outcome::Written: text += QStringLiteral(" to %1").arg(r.pdf); break;
        case DocumentResult::Outcome::Checked: text += QLatin1Char(':') + checkLine(r); break;
        default: text += QStringLiteral(": %1").arg(r.reason);
    }
    return text + QStringLiteral(" (%1 s)").arg(r.seconds, 0, 'f', 2);
}

QString Progress::checkLine(const DocumentResult& r) {
    QString text = QStringLiteral(" %1 pages").arg(r.pages);
    if (r.passwordProtected) text += QStringLiteral(", password-protected");
    text += r.outside.isEmpty() ? QStringLiteral(", no outside content") : QStringLiteral(", outside content: ") + DescribeOutside(r.outside);
    if (!r.missingFonts.isEmpty()) text += QStringLiteral(", missing fonts: ") + r.missingFonts.join(QStringLiteral(", "));
    return text;
}

QString Progress::warningLine(const DocumentResult& r) {
    if (r.outcome == DocumentResult::Outcome::Checked) return {};
    return OutsideContentWarning(r.path, r.outside, r.sandboxed);
}

QString Progress::statusLine(int done, int total, const QString& name, double elapsedSeconds, const JobTally& tally) {
    QString text = QStringLiteral("%1/%2 %3").arg(done).arg(total).arg(name);
    if (tally.printed + tally.waiting + tally.failed > 0)
        text += QStringLiteral("  printed %1, waiting %2, failed %3").arg(tally.printed).arg(tally.waiting).arg(tally.failed);
    if (done > 0 && elapsedSeconds > 0) {
        const double rate = done / elapsedSeconds;
        text += QStringLiteral("  %1 documents/s, %2 left").arg(rate, 0, 'f', 1).arg(duration((total - done) / rate));
    }
    return text;
}

void Progress::redraw() {
    std::fprintf(out_, "\r\033[K%s", qUtf8Printable(statusLine(done_, total_, current_, elapsed_(), tally_)));
    std::fflush(out_);
}

void Progress::started(const QString& path) {
    current_ = GetFileName(path);
    if (terminal_) redraw();
}

void Progress::finished(int position, const DocumentResult& result) {
    ++done_;
    const bool failed = result.outcome == DocumentResult::Outcome::Failed;
    const bool waiting = result.outcome == DocumentResult::Outcome::Waiting;
    tally_.printed += result.outcome == DocumentResult::Outcome::Printed;
    tally_.waiting += waiting;
    tally_.failed += failed;
    if (!terminal_ || failed || waiting || result.outcome == DocumentResult::Outcome::Checked) {
        std::fprintf(out_, "%s%s\n", terminal_ ? "\r\033[K" : "", qUtf8Printable(line(position, total_, result)));
    }
    if (const QString warning = warningLine(result); !warning.isEmpty())
        std::fprintf(out_, "%s%s\n", terminal_ ? "\r\033[K" : "", qUtf8Printable(warning));
    if (terminal_) redraw();
    std::fflush(out_);
}

void Progress::summary(const QList<DocumentResult>& results) {
    int good = 0, waiting = 0, queued = 0;
    for (const DocumentResult& r : results) {
        good += ExitStatus({r}) == 0;
        waiting += r.outcome == DocumentResult::Outcome::Waiting;
        queued += r.outcome == DocumentResult::Outcome::Queued;
    }
    if (terminal_) std::fprintf(out_, "\r\033[K");
    const bool checks = std::any_of(results.begin(), results.end(),
                                    [](const DocumentResult& r) { return r.outcome == DocumentResult::Outcome::Checked; });
    const QString waits = waiting > 0 ? QStringLiteral(", %1 waiting").arg(waiting) : QString();
    std::fprintf(out_, "%d of %lld documents %s%s, %lld not, in %s.\n", good, qlonglong(results.size()),
                 checks ? "checked" : queued > 0 ? "printed, written or queued" : "printed or written", qUtf8Printable(waits),
                 qlonglong(results.size() - good - waiting), qUtf8Printable(duration(elapsed_())));
    std::fflush(out_);
}
