// The per-user registry file the PDF printer reads: location, format, atomic rewrite, rejected input.
#include <QtTest>

#include <unistd.h>

#include "platform/linux/LinuxRegistry.h"

class RegistryTest : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    LinuxRegistry registry;
    const QString key = QStringLiteral("Software\\Vendrell PDF Writer");

    QString file() const { return home.path() + QStringLiteral("/.config/Vendrell PDF Writer/registry.ini"); }
    QByteArray content() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init() {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/elsewhere")).toUtf8());
        QFile::remove(file());
    }

    void valuesLandInTheUsersConfigFolder() {
        auto k = registry.createKey(key);
        QVERIFY(k);
        QVERIFY(QFileInfo(file()).dir().exists());
        QVERIFY(k->setString(QStringLiteral("OutputFile"), QStringLiteral("/home/u/Out/report.pdf")));
        QVERIFY(k->setString(QStringLiteral("BypassSaveAs"), QStringLiteral("1")));
        QCOMPARE(content(), QByteArray("OutputFile=/home/u/Out/report.pdf\nBypassSaveAs=1\n"));
        QVERIFY(!QFile::exists(home.path() + QStringLiteral("/elsewhere")));
    }

    void rewritingAValueKeepsTheOthers() {
        auto k = registry.createKey(key);
        QVERIFY(k->setString(QStringLiteral("OutputFile"), QStringLiteral("/a.pdf")));
        QVERIFY(k->setString(QStringLiteral("BypassSaveAs"), QStringLiteral("1")));
        QVERIFY(k->setString(QStringLiteral("outputfile"), QString::fromUtf8("/Out/Q&A 3 = final – ü.pdf")));
        QCOMPARE(QString::fromUtf8(content()), QString::fromUtf8("BypassSaveAs=1\noutputfile=/Out/Q&A 3 = final – ü.pdf\n"));
        // A second key object on the same key sees and keeps the same file.
        auto again = registry.createKey(QStringLiteral("software\\Vendrell PDF Writer"));
        QVERIFY(again->setString(QStringLiteral("BypassSaveAs"), QString()));
        QCOMPARE(QString::fromUtf8(content()), QString::fromUtf8("outputfile=/Out/Q&A 3 = final – ü.pdf\nBypassSaveAs=\n"));
    }

    void theFileIsReplacedWholeNeverRewrittenInPlace() {
        auto k = registry.createKey(key);
        QVERIFY(k->setString(QStringLiteral("OutputFile"), QStringLiteral("/old.pdf")));
        // A reader that opened the old file keeps reading the old file: it is replaced by a rename.
        const QString reader = home.path() + QStringLiteral("/reader-link");
        QFile::remove(reader);
        QCOMPARE(link(file().toUtf8().constData(), reader.toUtf8().constData()), 0);
        QVERIFY(k->setString(QStringLiteral("OutputFile"), QStringLiteral("/new.pdf")));
        QFile old(reader);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("OutputFile=/old.pdf\n"));
        QCOMPARE(content(), QByteArray("OutputFile=/new.pdf\n"));
        QCOMPARE(QFileInfo(file()).dir().entryList(QDir::Files | QDir::Hidden), QStringList{"registry.ini"});
    }

    void lineBreaksAndBadNamesAreRejectedAndLoseNothing() {
        auto k = registry.createKey(key);
        QVERIFY(k->setString(QStringLiteral("OutputFile"), QStringLiteral("/kept.pdf")));
        const QByteArray before = content();
        QVERIFY(!k->setString(QStringLiteral("OutputFile"), QStringLiteral("/a.pdf\nBypassSaveAs=1")));
        QVERIFY(!k->setString(QStringLiteral("OutputFile"), QStringLiteral("/a.pdf\r")));
        QVERIFY(!k->setString(QStringLiteral("OutputFile"), QStringLiteral("/a") + QChar(0) + QStringLiteral(".pdf")));
        QVERIFY(!k->setString(QStringLiteral("A=B"), QStringLiteral("1")));
        QVERIFY(!k->setString(QStringLiteral("Two\nLines"), QStringLiteral("1")));
        QVERIFY(!k->setString(QString(), QStringLiteral("1")));
        QCOMPARE(content(), before);
    }

    void keysOutsideTheUsersSoftwareFolderDoNotExist() {
        for (const QString bad : {QStringLiteral("Vendrell PDF Writer"), QStringLiteral("Software"),
                                  QStringLiteral("Software\\"), QStringLiteral("Software\\..\\..\\etc"),
                                  QStringLiteral("Software\\a/../../b"), QStringLiteral("Software\\x\\\\y")})
            QVERIFY2(!registry.createKey(bad), qPrintable(bad));
    }

    void anUnwritableConfigFolderGivesNoKey() {
        const QString blocked = home.path() + QStringLiteral("/blocked");
        QDir().mkpath(blocked);
        QFile f(blocked + QStringLiteral("/.config"));  // a file where the folder should be
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("HOME", blocked.toUtf8());
        QVERIFY(!registry.createKey(key));
    }
};

QTEST_GUILESS_MAIN(RegistryTest)
#include "test_registry.moc"
