// The per-user settings store on this machine: values persist exactly, a bad file gives defaults.
#include <QtTest>

#include "FakePlatform.h"
#include "app/OfficeSandboxChoice.h"
#include "runtime/Settings.h"
#include "platform/linux/LinuxSettings.h"

class SettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir config;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", config.path().toUtf8()); }

    void valuesComeBackExactly() {
        LinuxSettings store;
        const QStringList values{QStringLiteral("2"), QString(), QStringLiteral(" padded "), QStringLiteral("a,b"),
                                 QStringLiteral("@Variant(x)"), QStringLiteral("true"), QStringLiteral("/home/ü/Desk top/"),
                                 QStringLiteral("x=y;z#w"), QStringLiteral("line\r\nbreak")};
        for (const QString& value : values) {
            SaveSetting(store, QStringLiteral("Backup Path"), value);
            QCOMPARE(GetSetting(store, QStringLiteral("Backup Path"), QStringLiteral("default")), value);
        }
    }

    void absentKeyGivesTheDefault() {
        LinuxSettings store;
        QCOMPARE(GetSetting(store, QStringLiteral("Never written"), QStringLiteral("odt")), QStringLiteral("odt"));
        QCOMPARE(GetSetting(store, QStringLiteral("Never written")), QString());
    }

    void oneFilePerApplicationOneGroupPerSection() {
        LinuxSettings store;
        SaveSetting(store, QStringLiteral("Text2"), QStringLiteral("10"));
        QFile file(config.path() + QStringLiteral("/Vendrell.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains(QStringLiteral("[Quorvane]")));
        QVERIFY(text.contains(QStringLiteral("Text2=10")));
    }

    void writesAreSeenByAFreshReaderAtOnce() {
        LinuxSettings writer, reader;
        SaveSetting(writer, QStringLiteral("Combo1"), QStringLiteral("1"));
        QCOMPARE(GetSetting(reader, QStringLiteral("Combo1")), QStringLiteral("1"));
        SaveSetting(writer, QStringLiteral("Combo1"), QStringLiteral("2"));
        QCOMPARE(GetSetting(reader, QStringLiteral("Combo1")), QStringLiteral("2"));
    }

    void corruptFileGivesDefaultsNotACrash() {
        QFile file(config.path() + QStringLiteral("/Vendrell.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("\x00\xff[Quor\nvane\x01=\xfe\n[[[", 20));
        file.close();
        LinuxSettings store;
        QCOMPARE(GetSetting(store, QStringLiteral("Text2"), QStringLiteral("2")), QStringLiteral("2"));
        SaveSetting(store, QStringLiteral("Text2"), QStringLiteral("7"));  // a write still works afterwards
        QCOMPARE(GetSetting(store, QStringLiteral("Text2"), QStringLiteral("2")), QStringLiteral("7"));
    }

    void unreadableFileGivesDefaults() {
        if (geteuid() == 0) QSKIP("root reads every file");
        QFile file(config.path() + QStringLiteral("/Vendrell.ini"));
        file.setPermissions({});
        LinuxSettings store;
        QCOMPARE(GetSetting(store, QStringLiteral("Text2"), QStringLiteral("2")), QStringLiteral("2"));
    }

    // Only the exact value the README names switches the office's sandbox off; anything else keeps it.
    void theUnsandboxedOfficeIsTheUsersExplicitChoice() {
        for (const QString& value : {QString(), QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral(" 1"),
                                     QStringLiteral("0"), QStringLiteral("1")}) {
            FakePlatform fake;
            if (!value.isNull()) SaveSetting(fake.settings, UnsafeOfficeSetting, value);
            ChooseOfficeSandbox(fake.platform, QStringLiteral("no user namespaces"));
            QCOMPARE(fake.logOf({QStringLiteral("office")}).contains(QStringLiteral("office runUnsandboxed")),
                     value == QStringLiteral("1"));
        }
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "test_app_settings.moc"
