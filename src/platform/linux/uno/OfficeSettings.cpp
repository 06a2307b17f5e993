#include "OfficeSettings.h"

#include <QCryptographicHash>
#include <QUrl>
#include <unistd.h>

namespace {
constexpr std::chrono::seconds DefaultCallTimeout{30};

std::chrono::milliseconds callTimeoutFromEnvironment() {
    bool ok = false;
    const double seconds = qEnvironmentVariable("QUORVANE_OFFICE_TIMEOUT").toDouble(&ok);
    if (!ok || seconds <= 0 || seconds > 24 * 3600) return DefaultCallTimeout;
    return std::chrono::milliseconds(qint64(seconds * 1000));
}
}  // namespace

OfficeSettings OfficeSettings::fromEnvironment(const QString& profileFolder) {
    OfficeSettings s;
    s.binary = qEnvironmentVariable("QUORVANE_SOFFICE", QStringLiteral(QUORVANE_OFFICE_PROGRAM "/soffice.bin"));
    // A profile of the program's own, so that an office the user has open is never disturbed.
    s.profileFolder = profileFolder;
    s.profileUrl = QUrl::fromLocalFile(s.profileFolder).toString(QUrl::FullyEncoded);
    // The user id keeps users apart; the profile keeps apart programs of one user that use another
    // profile (a test with its own HOME), which would otherwise meet on one office.
    const QByteArray profileHash =
        QCryptographicHash::hash(s.profileUrl.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    s.pipeName = QStringLiteral("quorvane-%1-%2").arg(::getuid()).arg(QString::fromLatin1(profileHash));
    s.callTimeout = callTimeoutFromEnvironment();
    return s;
}
