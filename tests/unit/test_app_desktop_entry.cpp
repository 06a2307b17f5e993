// What the desktop reads about the program: the menu entry, its AppStream metainfo and the icons.
#include <QtTest>

namespace {
const QString Assets = QStringLiteral(QUORVANE_SOURCE_DIR "/assets/");
const QString AppId = QStringLiteral("example.vendrell_software.Quorvane");

bool installed(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

// What a validator says against a file; the empty text when it accepts it.
QString complaints(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) return program + QStringLiteral(" did not finish");
    const bool accepted = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return accepted ? QString() : QString::fromUtf8(p.readAll());
}
}  // namespace

class DesktopEntryTest : public QObject {
    Q_OBJECT

private slots:
    void menuEntryPassesItsValidator() {
        if (!installed(QStringLiteral("desktop-file-validate"))) QSKIP("desktop-file-validate is not installed");
        QCOMPARE(complaints(QStringLiteral("desktop-file-validate"), {Assets + AppId + QStringLiteral(".desktop")}),
                 QString());
    }

    void metainfoPassesItsValidator() {
        if (!installed(QStringLiteral("appstreamcli"))) QSKIP("appstreamcli is not installed");
        QCOMPARE(complaints(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                             Assets + AppId + QStringLiteral(".metainfo.xml")}),
                 QString());
    }

    // The entry's icon name has a picture in every usual size, each as large as its folder says.
    void iconComesInTheUsualSizes() {
        QSettings entry(Assets + AppId + QStringLiteral(".desktop"), QSettings::IniFormat);
        const QString icon = entry.value(QStringLiteral("Desktop Entry/Icon")).toString();
        QCOMPARE(icon, QStringLiteral("quorvane"));
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
            const QString path = Assets + QStringLiteral("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon);
            QCOMPARE(QImage(path).size(), QSize(size, size));
        }
        QVERIFY(QFileInfo(Assets + QStringLiteral("icons/") + icon + QStringLiteral(".svg")).isFile());
    }
};

QTEST_GUILESS_MAIN(DesktopEntryTest)
#include "test_app_desktop_entry.moc"
