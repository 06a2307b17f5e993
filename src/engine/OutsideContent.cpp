#include "OutsideContent.h"

#include <QStringList>
#include <cstdio>

QString DescribeOutside(const QList<OutsideReference>& references) {
    QStringList text;
    for (const OutsideReference& r : references) text << r.kind + QLatin1Char(' ') + r.target;
    return text.join(QStringLiteral(", "));
}

QString OutsideContentWarning(const QString& path, const QList<OutsideReference>& references, bool sandboxed) {
    if (references.isEmpty()) return {};
    return QStringLiteral("warning: %1 refers to outside content, %2: %3")
        .arg(path, sandboxed ? QStringLiteral("not loaded") : QStringLiteral("NOT blocked (the office runs unsandboxed)"),
             DescribeOutside(references));
}

void WarnOfOutsideContent(const QString& path, bool sandboxed) {
    const QString warning = OutsideContentWarning(path, InspectDocument(path).outside, sandboxed);
    if (!warning.isEmpty()) std::fprintf(stderr, "quorvane: %s\n", qUtf8Printable(warning));
}
