#pragma once
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/Platform.h"
#include "platform/RuntimeError.h"

// The numbered-step error trap of a procedure. Each statement runs as trap(step, statement);
// a failure shows the one report and the procedure goes on with its next statement.
class Trap {
public:
    // location: prefix, module and procedure, e.g. "Lumbrel2021/08/31.Form1.Form_Load".
    Trap(Platform& platform, QString location);

    void operator()(int step, const std::function<void()>& statement);
    // A test: its value, or true after a failure (the procedure resumes in the true branch).
    bool test(int step, const std::function<bool()>& condition);

    // A failure with this number is answered by `handler` instead of the report,
    // and every later statement of the procedure is skipped.
    void endOn(int number, std::function<void()> handler);
    bool ended() const { return ended_; }
    // From now on a failure whose description this trap has shown already is not shown again:
    // steps that ask the same outside thing would otherwise repeat one cause to the user.
    void reportEachCauseOnce() { eachCauseOnce_ = true; }

private:
    void report(int step, const QString& description);
    Platform& platform_;
    QString location_;
    int endNumber_ = 0;
    std::function<void()> endHandler_;
    bool ended_ = false;
    bool eachCauseOnce_ = false;
    QStringList shown_;
};

// The location prefixes of the program's own modules and of the folder scan's.
inline const QString MainProject = QStringLiteral("Lumbrel2021/08/31");
inline const QString ScanProject = QStringLiteral("Mosswick2021/08/31");
inline const QString SupportAddress = QStringLiteral("support@vendrell-software.example");

// The text of the one report, as shown in the "Application Error" box.
QString ErrorReportText(const QString& description, const QString& location, int step);

// The printer module's own report of a failure to read the default printer.
void ReportPrinterError(Platform& platform, const RuntimeError& error);
