#include "FontCheck.h"

#include <QProcess>
#include <QSet>
#include <mutex>

namespace {
// Every family name fontconfig knows, localised ones too ("fc-list : family" gives them comma-separated).
const QSet<QString>& installedFamilies() {
    static std::once_flag once;
    static QSet<QString> families;
    std::call_once(once, [] {
        QProcess fcList;
        fcList.start(QStringLiteral("fc-list"), {QStringLiteral(":"), QStringLiteral("family")});
        if (!fcList.waitForFinished(30000)) fcList.kill();
        for (const QString& line : QString::fromUtf8(fcList.readAllStandardOutput()).split(QLatin1Char('\n')))
            for (const QString& family : line.split(QLatin1Char(',')))
                if (!family.trimmed().isEmpty()) families.insert(family.trimmed().toCaseFolded());
    });
    return families;
}
}  // namespace

QStringList MissingFonts(const QStringList& asked) {
    QStringList missing;
    for (const QString& font : asked)
        if (!installedFamilies().contains(font.trimmed().toCaseFolded())) missing << font;
    return missing;
}
