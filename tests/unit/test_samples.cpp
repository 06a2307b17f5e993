// The sample documents: the first-start record of the Samples folder and the button that loads it.
#include <QtTest>

#include "FakePlatform.h"
#include "runtime/AppTitle.h"
#include "app/Form1.h"
#include "app/Samples.h"

namespace {
const QString Question = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so that you can view "
    "them before working with them)?");

// A program folder whose Samples folder holds the named files.
struct ProgramFolder {
    QTemporaryDir dir;
    explicit ProgramFolder(const QStringList& samples) {
        QDir(dir.path()).mkpath(QStringLiteral("Samples"));
        for (const QString& name : samples) add(name);
    }
    QString path() const { return dir.path(); }
    QString sample(const QString& name) const { return path() + QStringLiteral("/Samples/") + name; }
    void add(const QString& name) const {
        QFile file(sample(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("sample");
    }
};

QStringList entries(const ListView* list) {
    QStringList texts;
    for (int i = 1; i <= list->count(); ++i) texts << list->entryText(i);
    return texts;
}

QStringList questions(const FakeDialogs& dialogs) {
    QStringList asked;
    for (const MessageBoxRequest& m : dialogs.messages)
        if (m.text == Question) asked << m.caption;
    return asked;
}

// The recorded paths as plain text.
QString snapshot(const FakePlatform& fp) {
    const auto stored = fp.settings.get(QStringLiteral("Snapshot"));
    return stored ? UnscrambleSnapshot(*stored) : QStringLiteral("<no setting>");
}
}  // namespace

class SamplesTest : public QObject {
    Q_OBJECT

private slots:
    void scramblingRestoresAnyTextExactly() {
        const QString texts[] = {
            QString(),
            QStringLiteral("/opt/q/Samples/a.odt|/opt/q/Samples/b.odt"),
            QStringLiteral("|\r\n|| trailing blank |"),
            QStringLiteral("/home/jürgen/Samples/Résumé Müller.odt|/tmp/日本語.odt|/tmp/\U0001F5A8.odt"),
            QString(QChar(0xD800)) + QChar(0xFFFF) + QChar(0) + QStringLiteral("lone surrogate, U+FFFF, NUL"),
            QString(5000, QLatin1Char('a')),
        };
        for (const QString& plain : texts) {
            const QString stored = ScrambleSnapshot(plain);
            QCOMPARE(UnscrambleSnapshot(stored), plain);
            for (QChar c : stored) QVERIFY2(c.unicode() > 32 && c.unicode() < 127, qPrintable(stored));
            if (plain.size() > 3) QVERIFY(!stored.contains(QStringLiteral("odt")));
        }
        QCOMPARE(ScrambleSnapshot(QString()), QString());
    }

    void aDamagedStoredValueIsAFailureNotAListOfPaths() {
        for (const QString& damaged :
             {QStringLiteral("not base64!"), QStringLiteral("QUJD"), QStringLiteral("Müller")})
            QVERIFY_THROWS_EXCEPTION(RuntimeError, UnscrambleSnapshot(damaged));
    }

    void firstStartRecordsEveryFileOfTheSampleFolder() {
        ProgramFolder program({QStringLiteral("b.odt"), QStringLiteral("A letter.odt"),
                               QStringLiteral("Résumé Müller.odt"), QStringLiteral(".hidden"),
                               QStringLiteral("notes")});
        QDir(program.path()).mkpath(QStringLiteral("Samples/sub folder"));
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        TakeSamplesSnapshot(form);
        // Names in listing order (case-insensitive), hidden files and names without a dot included, folders not.
        QCOMPARE(snapshot(fp), QStringList({program.sample(QStringLiteral(".hidden")),
                                            program.sample(QStringLiteral("A letter.odt")),
                                            program.sample(QStringLiteral("b.odt")),
                                            program.sample(QStringLiteral("notes")),
                                            program.sample(QStringLiteral("Résumé Müller.odt"))})
                                   .join(QLatin1Char('|')));
        QVERIFY(!fp.settings.get(QStringLiteral("Snapshot"))->contains(QStringLiteral("Samples")));
    }

    void aNameHoldingTheSeparatorIsLeftOut() {
        ProgramFolder program({QStringLiteral("a|b.odt"), QStringLiteral("c.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        TakeSamplesSnapshot(form);
        QCOMPARE(snapshot(fp), program.sample(QStringLiteral("c.odt")));
    }

    void pressingTwiceAddsNothingTheSecondTimeAndAsksAgain() {
        ProgramFolder program({QStringLiteral("one.odt"), QStringLiteral("two.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        TakeSamplesSnapshot(form);
        const QStringList samples{program.sample(QStringLiteral("one.odt")), program.sample(QStringLiteral("two.odt"))};

        AppendEntry(form.ListView1, QStringLiteral("/home/user/mine.odt"));
        form.PushButton7->click();
        QCOMPARE(entries(form.ListView1), QStringList{QStringLiteral("/home/user/mine.odt")} + samples);
        form.PushButton7->click();
        QCOMPARE(entries(form.ListView1), QStringList{QStringLiteral("/home/user/mine.odt")} + samples);
        QCOMPARE(questions(fp.dialogs), QStringList({AppTitle(), AppTitle()}));
        QCOMPARE(fp.dialogs.messages.size(), size_t(2));
        QCOMPARE(fp.dialogs.messages[0].buttons, Buttons::YesNo);
        QCOMPARE(fp.dialogs.messages[0].icon, Icon::None);
        QVERIFY(fp.shell.executed.isEmpty());  // answered No
    }

    void worksWhileAPrintRunIsBusy() {
        ProgramFolder program({QStringLiteral("one.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        TakeSamplesSnapshot(form);
        form.Printing = true;
        form.MousePointer.setMode(vbHourglass);
        form.PushButton7_Click();
        QCOMPARE(entries(form.ListView1), QStringList{program.sample(QStringLiteral("one.odt"))});
    }

    void loadsOnlyWhatTheFirstStartRecordedAndStillExists() {
        ProgramFolder program({QStringLiteral("one.odt"), QStringLiteral("two.odt"), QStringLiteral("three.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        form.Form_Load();
        const QString recorded = *fp.settings.get(QStringLiteral("Snapshot"));

        QVERIFY(QFile::remove(program.sample(QStringLiteral("two.odt"))));
        program.add(QStringLiteral("four.odt"));
        Form1 restarted(fp.platform);
        restarted.Form_Load();
        QCOMPARE(*fp.settings.get(QStringLiteral("Snapshot")), recorded);  // never refreshed

        restarted.PushButton7_Click();
        QCOMPARE(entries(restarted.ListView1),
                 QStringList({program.sample(QStringLiteral("one.odt")), program.sample(QStringLiteral("three.odt"))}));
    }

    void aListedSampleIsSkippedOnlyWhenItsTextIsTheSame() {
        ProgramFolder program({QStringLiteral("one.odt"), QStringLiteral("two.odt"), QStringLiteral("three.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        TakeSamplesSnapshot(form);
        const QString two = program.sample(QStringLiteral("two.odt"));
        const QString otherCase = program.path() + QStringLiteral("/samples/THREE.odt");
        AppendEntry(form.ListView1, two);
        AppendEntry(form.ListView1, otherCase);
        form.PushButton7_Click();
        QCOMPARE(entries(form.ListView1), QStringList({two, otherCase, program.sample(QStringLiteral("one.odt")),
                                                       program.sample(QStringLiteral("three.odt"))}));
    }

    void withoutASampleFolderNothingIsAddedAndYesStillOpensTheFolder() {
        QTemporaryDir program;
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        TakeSamplesSnapshot(form);
        QCOMPARE(snapshot(fp), QString());

        fp.dialogs.answers = {Answer::Yes};
        form.PushButton7_Click();
        QCOMPARE(form.ListView1->count(), 0);
        QCOMPARE(questions(fp.dialogs), QStringList{AppTitle()});
        QCOMPARE(fp.logOf({QStringLiteral("shell")}),
                 QStringList{QStringLiteral("shell \"") + program.path() + QStringLiteral("/Samples/\" / 5")});
    }

    void withoutAnySnapshotTheQuestionIsStillAsked() {
        ProgramFolder program({QStringLiteral("one.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        form.PushButton7_Click();
        QCOMPARE(form.ListView1->count(), 0);
        QCOMPARE(questions(fp.dialogs), QStringList{AppTitle()});
    }

    void aFailureIsReportedAtLine100AndKeepsTheEntriesAddedBeforeIt() {
        ProgramFolder program({QStringLiteral("one.odt"), QStringLiteral("two.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        TakeSamplesSnapshot(form);
        fp.dialogs.answers = {Answer::Yes};
        fp.dialogs.onMessage = [](const MessageBoxRequest& box) {
            if (box.buttons == Buttons::YesNo) throw RuntimeError(7, QStringLiteral("Out of memory"));
        };
        form.PushButton7_Click();
        QCOMPARE(form.ListView1->count(), 2);
        QCOMPARE(fp.dialogs.messages.size(), size_t(2));
        QVERIFY(fp.dialogs.messages[1].text.startsWith(
            QStringLiteral("Out of memory\r\nin Lumbrel2021/08/31.Form1.PushButton7_Click at line 100\r\r")));
        QVERIFY(fp.shell.executed.isEmpty());
    }

    void aDamagedSnapshotIsReportedAndAddsNothing() {
        ProgramFolder program({QStringLiteral("one.odt")});
        FakePlatform fp(program.path());
        Form1 form(fp.platform);
        fp.settings.set(QStringLiteral("Snapshot"), program.sample(QStringLiteral("one.odt")));  // edited by hand
        form.PushButton7_Click();
        QCOMPARE(form.ListView1->count(), 0);
        QCOMPARE(fp.dialogs.messages.size(), size_t(1));
        QCOMPARE(fp.dialogs.messages[0].caption, QStringLiteral("Application Error"));
        QVERIFY(fp.dialogs.messages[0].text.contains(QStringLiteral("damaged")));
        QVERIFY(fp.dialogs.messages[0].text.contains(QStringLiteral("PushButton7_Click at line 100")));
    }
};

QTEST_MAIN(SamplesTest)
#include "test_samples.moc"
