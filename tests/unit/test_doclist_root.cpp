// Choosing "/" as the folder: pseudo file systems are not entered, links and bind mounts back
// to the root are not followed, and the scan ends. The machine is a small tree of the test's
// own, made the root of a private mount namespace, with fresh proc, sysfs, devtmpfs, cgroup2
// and mqueue mounts in it.
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include "FakePlatform.h"
#include "app/Form1.h"

namespace {
constexpr int BoundSeconds = 30;

QString lastError(const char* what) {
    return QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray bytes(const QString& path) { return QFile::encodeName(path); }
}  // namespace

class DoclistRootTest : public QObject {
    Q_OBJECT

private slots:
    void theRootEndsWithoutThePseudoFileSystems() {
        FakePlatform fp;
        Form1 form{fp.platform};  // made before the root changes
        if (::unshare(CLONE_NEWNS) != 0) QSKIP(qPrintable(lastError("no private mount namespace")));
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            QSKIP(qPrintable(lastError("mounts stay shared")));
        // A fresh tmpfs over /tmp, seen by this process only, holds the machine and vanishes with it.
        const QString at = QStringLiteral("/tmp/");
        if (::mount("quorvane-root", bytes(at).constData(), "tmpfs", 0, "mode=755") != 0)
            QSKIP(qPrintable(lastError("no tmpfs")));
        for (const char* folder :
             {"proc", "sys", "dev", "mq", "srv/again", "home/user/Documents", "home/user/.wine/dosdevices"})
            QVERIFY(QDir().mkpath(at + folder));
        for (const char* file : {"srv/b.odt", "home/user/Documents/a.odt"})
            QVERIFY(QFile(at + file).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(QStringLiteral("/"), at + "home/user/.wine/dosdevices/z:"));  // as Wine makes it
        QVERIFY(::mount(bytes(at).constData(), bytes(at + "srv/again").constData(), nullptr, MS_BIND, nullptr) == 0);
        const struct {
            const char *type, *folder;
        } pseudo[] = {{"proc", "proc"}, {"sysfs", "sys"}, {"devtmpfs", "dev"}, {"cgroup2", "sys/fs/cgroup"},
                      {"mqueue", "mq"}};
        for (const auto& p : pseudo)
            QVERIFY2(::mount(p.type, bytes(at + p.folder).constData(), p.type, 0, nullptr) == 0,
                     qPrintable(lastError(p.type)));
        QVERIFY(::chroot(bytes(at).constData()) == 0 && ::chdir("/") == 0);

        QElapsedTimer clock;
        clock.start();
        fp.runtime.onPump = [&] {
            if (clock.elapsed() > BoundSeconds * 1000) throw ProgramEnded{};
        };
        fp.dialogs.inputAnswers = {QStringLiteral("*")};
        fp.dialogs.browseAnswers = {QStringLiteral("/")};
        try {
            form.PushButton4_Click();
        } catch (const ProgramEnded&) {
            QFAIL(qPrintable(QStringLiteral("still scanning after %1 s").arg(BoundSeconds)));
        }
        QStringList entries;
        for (int i = 1; i <= form.ListView1->count(); ++i) entries << form.ListView1->entryText(i);
        QCOMPARE(entries, (QStringList{"/srv/b.odt", "/home/user/Documents/a.odt"}));
    }
};

QTEST_MAIN(DoclistRootTest)
#include "test_doclist_root.moc"
