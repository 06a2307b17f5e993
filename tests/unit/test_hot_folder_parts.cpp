// The hot folder's own parts on a real temporary folder: which names are left alone, a document taken
// only once it is whole, moves that never overwrite, and a journal that a crash cut short.
#include <QtTest>

#include "hotfolder/Arrivals.h"
#include "hotfolder/Journal.h"
#include "hotfolder/WorkFolder.h"

class HotFolderPartsTest : public QObject {
    Q_OBJECT
    static void write(const QString& path, const QByteArray& data) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
private slots:
    void partialAndHiddenNamesAreLeftAlone() {
        for (const char* name : {"a.odt.part", "~$a.odt", ".~lock.a.odt#", ".hidden.odt", "a.odt~", "a.txt", "a.odt.crdownload"})
            QVERIFY2(Arrivals::LeftAlone(name, "odt"), name);
        QVERIFY(!Arrivals::LeftAlone("Report 1.ODT", "odt"));
        QVERIFY(!Arrivals::LeftAlone("a.txt", "*"));
    }

    // Whole only when closed and quiet; a file still open for writing waits.
    void aDocumentIsTakenOnceItIsWhole() {
        QTemporaryDir dir;
        Arrivals arrivals(dir.path(), "odt", 300);
        QString why;
        QVERIFY2(arrivals.start(&why), qPrintable(why));
        QFile open(dir.filePath("open.odt"));
        QVERIFY(open.open(QIODevice::WriteOnly));
        open.write("first piece");
        open.flush();
        write(dir.filePath("closed.odt"), "whole");
        write(dir.filePath("closed.odt.part"), "partial");
        arrivals.readEvents();
        QCOMPARE(arrivals.takeWhole(), QStringList());  // not quiet yet
        QTest::qWait(400);
        QCOMPARE(arrivals.takeWhole(), QStringList{"closed.odt"});
        open.close();
        arrivals.readEvents();  // as the service does at once
        QTest::qWait(400);
        QCOMPARE(arrivals.takeWhole(), QStringList{"open.odt"});
        QCOMPARE(arrivals.takeWhole(), QStringList());  // each once
    }

    void movesNeverOverwrite() {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("done"));
        write(dir.filePath("done/a.odt"), "earlier");
        write(dir.filePath("a.odt"), "later");
        QCOMPARE(MoveWithoutOverwriting(dir.filePath("a.odt"), dir.filePath("done"), "a.odt"), dir.filePath("done/a (2).odt"));
        QFile earlier(dir.filePath("done/a.odt"));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
        QVERIFY(!QFileInfo::exists(dir.filePath("a.odt")));
    }

    // A journal is held by one instance at a time; its last line, cut short by a crash, is left out.
    void aJournalIsLockedAndReadBackWhole() {
        QTemporaryDir dir;
        const QString path = dir.filePath("i.journal");
        Journal journal, other;
        QString why;
        QVERIFY(journal.hold(path, &why));
        QVERIFY(!other.hold(path, &why));
        QVERIFY(journal.write({{"step", "claimed"}, {"id", "1"}}));
        journal.release();
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("{\"step\":\"job\",\"id\":");
        file.close();
        const QList<QJsonObject> lines = Journal::Read(path);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0]["step"].toString(), QStringLiteral("claimed"));
    }
};

QTEST_GUILESS_MAIN(HotFolderPartsTest)
#include "test_hot_folder_parts.moc"
