// The main window: layout, skin colours, pointer rules, start-up order and the end of the program.
#include <QtTest>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "app/OfficeCheck.h"
#include "runtime/Trap.h"

namespace {
QRect twipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

QRect inWindow(QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

void moveOver(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

QColor background(QWidget* w) { return w->palette().color(w->backgroundRole()); }

// A dark desktop theme's palette, as a platform theme hands it to the program.
QPalette darkPalette() {
    QPalette dark;
    const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xe8, 0xe8, 0xe8);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4a));
    dark.setColor(QPalette::Midlight, QColor(0x42, 0x42, 0x42));
    dark.setColor(QPalette::Mid, QColor(0x5a, 0x5a, 0x5a));
    dark.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x18));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) dark.setColor(role, text);
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    return dark;
}

// The window drawn as it shows, its pixels' mean lightness (0 black .. 255 white).
int meanLightness(QWidget* w) {
    const QImage image = w->grab().toImage();
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) sum += QColor(image.pixel(x, y)).lightness();
    return int(sum / (qint64(image.width()) * image.height()));
}

// A program folder with the optional files the test asks for.
struct ProgramFolder {
    QTemporaryDir dir;
    explicit ProgramFolder(bool withSkin) {
        if (withSkin) {
            QDir(dir.path()).mkpath(QStringLiteral("x"));
            QFile skin(dir.path() + QStringLiteral("/x/o.cjs"));
            skin.open(QIODevice::WriteOnly);
            skin.write("QPushButton { color: #123456; }");
        }
    }
};
}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void controlsStandWhereTheTableSays() {
        FakePlatform fp;
        Form1 form(fp.platform);
        QCOMPARE(form.size(), QSize(536, 436));
        QCOMPARE(form.minimumSize(), form.maximumSize());  // fixed size
        const struct {
            QWidget* control;
            QRect place;
            QString caption;
        } table[] = {
            {form.ListView1, twipsRect(120, 120, 6840, 2535), {}},
            {form.ProgressBar1, twipsRect(120, 6010, 7800, 405), {}},
            {form.Frame1, twipsRect(120, 3720, 7800, 800), QStringLiteral("Select Printer")},
            {form.Combo1, twipsRect(120 + 240, 3720 + 300, 7320, 345), {}},
            {form.PushButton3, twipsRect(7080, 120, 840, 1200), QStringLiteral("Move Up")},
            {form.PushButton5, twipsRect(7080, 1440, 840, 1200), QStringLiteral("Move Down")},
            {form.PushButton1, twipsRect(120, 2750, 3840, 405), QStringLiteral("Add Writer File(s)")},
            {form.PushButton4, twipsRect(4080, 2750, 3840, 405), QStringLiteral("Add All Writer Files In Folder")},
            {form.PushButton2, twipsRect(120, 5490, 7800, 405), QStringLiteral("Start Printing")},
            {form.PushButton6, twipsRect(120, 3260, 3840, 405), QStringLiteral("Clear List")},
            {form.PushButton7, twipsRect(4080, 3260, 3840, 405), QStringLiteral("Load Sample/Example Files")},
            {form.Frame3, twipsRect(120, 4580, 7800, 795), QStringLiteral("Pause X Seconds Between Prints")},
            {form.Text2, twipsRect(120 + 225, 4580 + 300, 4380, 345), {}},
            {form.PushButton11, twipsRect(120 + 4680, 4580 + 300, 2880, 345), QStringLiteral("What's this feature?")},
        };
        for (const auto& row : table) {
            QCOMPARE(inWindow(row.control).topLeft(), row.place.topLeft() + QPoint(0, 0));
            QCOMPARE(row.control->size(), row.place.size());
            if (auto* b = qobject_cast<QPushButton*>(row.control)) {
                QCOMPARE(b->text(), row.caption);
                QVERIFY(b->font().bold());
                QCOMPARE(b->font().family(), QStringLiteral("Arial"));
            }
            if (auto* g = qobject_cast<QGroupBox*>(row.control)) QCOMPARE(g->title(), row.caption);
        }
        QCOMPARE(form.ProgressBar1->value(), 0);
        QCOMPARE(form.ProgressBar1->format(), QStringLiteral("Progress Bar"));
    }

    void tabOrderFollowsTheTable() {
        FakePlatform fp;
        Form1 form(fp.platform);
        const QList<QWidget*> order{form.ListView1,   form.PushButton3, form.PushButton5,  form.PushButton1,
                                    form.PushButton4, form.PushButton6, form.PushButton7,  form.Combo1,
                                    form.Text2,       form.PushButton11, form.PushButton2};
        // The focus chain also holds inner widgets (viewports); only the controls' order counts.
        for (int i = 1; i < order.size(); ++i) {
            QWidget* next = order[i - 1]->nextInFocusChain();
            while (!order.contains(next)) next = next->nextInFocusChain();
            QCOMPARE(next, order[i]);
        }
    }

    void withoutSkinTheWindowAndFramesStayWhite() {
        ProgramFolder folder(false);
        FakePlatform fp(folder.dir.path());
        Form1 form(fp.platform);
        form.Form_Load();
        for (QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Frame1),
                           static_cast<QWidget*>(form.Frame3)})
            QCOMPARE(background(w), QColor(Qt::white));
        QVERIFY(!form.SkinFramework1.loaded());
        QVERIFY(form.styleSheet().isEmpty());
    }

    void withSkinTheyTakeTheButtonFaceAndTheStyle() {
        ProgramFolder folder(true);
        FakePlatform fp(folder.dir.path());
        Form1 form(fp.platform);
        form.Form_Load();
        const QColor buttonFace = QApplication::palette().color(QPalette::Button);
        for (QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Frame1),
                           static_cast<QWidget*>(form.Frame3)})
            QCOMPARE(background(w), buttonFace);
        QVERIFY(form.styleSheet().contains(QStringLiteral("#123456")));
        QCOMPARE(form.SkinFramework1.Options & 1, 1);
    }

    // The window follows the desktop's palette, skinned or not: a dark theme gives a dark window with
    // light captions, also when the desktop switches while the program runs; the layout and the bold
    // Arial captions stay. The grabs are kept for a look.
    void aDarkDesktopGivesADarkWindow() {
        const QPalette light = QApplication::palette();
        // The desktop's palette reaches the widgets through the event loop.
        const auto desktopPalette = [](const QPalette& palette) {
            QApplication::setPalette(palette);
            QCoreApplication::processEvents();
        };
        auto restore = qScopeGuard([&] { desktopPalette(light); });
        // Dark all over, with light captions; the layout and the captions' font as always.
        const auto looksDark = [](Form1& form) {
            return meanLightness(&form) < 90 && background(&form).lightness() < 90 &&
                   background(form.Frame1).lightness() < 90 &&
                   form.Frame3->palette().color(QPalette::WindowText).lightness() > 200 &&
                   form.size() == QSize(536, 436) && form.PushButton2->font().bold();
        };
        for (const bool skinned : {false, true}) {
            const QString name = skinned ? QStringLiteral("skinned") : QStringLiteral("plain");
            FakePlatform fp(skinned ? QStringLiteral(QUORVANE_PROGRAM_DIR) : QStringLiteral("/nonexistent"));
            fp.printers.installed = {QStringLiteral("Vendrell PDF Writer")};
            Form1 started(fp.platform);
            started.Form_Load();
            started.grab().save(QStringLiteral(QUORVANE_BINARY_DIR "/main-window-light-%1.png").arg(name));
            QVERIFY2(meanLightness(&started) > 170, qPrintable(name));

            desktopPalette(darkPalette());
            QVERIFY2(looksDark(started), qPrintable(name + QStringLiteral(" when the desktop switched")));
            Form1 startedDark(fp.platform);
            startedDark.Form_Load();
            startedDark.grab().save(QStringLiteral(QUORVANE_BINARY_DIR "/main-window-dark-%1.png").arg(name));
            QVERIFY2(looksDark(startedDark), qPrintable(name + QStringLiteral(" when started dark")));
            desktopPalette(light);
            QVERIFY2(meanLightness(&started) > 170, qPrintable(name));
        }
    }

    void captionAndColumnAfterStartUp() {
        FakePlatform fp;
        Form1 form(fp.platform);
        form.Form_Load();
        QCOMPARE(form.windowTitle(), QStringLiteral("Quorvane"));
        QVERIFY(!form.windowIcon().isNull());
        QCOMPARE(form.ListView1->columnCount(), 1);
        QCOMPARE(form.ListView1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" Writer File(s)"));
        QCOMPARE(form.ListView1->columnWidth(0), Twips(6500));
        QCOMPARE(form.ListView1->count(), 0);
    }

    void hoverRulesRespectTheBusyMark() {
        FakePlatform fp;
        Form1 form(fp.platform);
        moveOver(form.PushButton4);
        QCOMPARE(form.MousePointer.mode(), int(vbCustom));
        moveOver(form.Frame1);
        QCOMPARE(form.MousePointer.mode(), int(vbDefault));
        moveOver(form.PushButton11);
        QCOMPARE(form.MousePointer.mode(), int(vbCustom));
        moveOver(&form);
        QCOMPARE(form.MousePointer.mode(), int(vbDefault));

        form.MousePointer.setMode(vbHourglass);
        for (QWidget* w : {static_cast<QWidget*>(form.PushButton2), static_cast<QWidget*>(form.Frame3),
                           static_cast<QWidget*>(&form)}) {
            moveOver(w);
            QCOMPARE(form.MousePointer.mode(), int(vbHourglass));
        }
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    }

    void handCursorFileIsUsedOverButtons() {
        FakePlatform fp(QStringLiteral(QUORVANE_PROGRAM_DIR));
        Form1 form(fp.platform);
        form.Form_Load();
        QVERIFY(form.MousePointer.hasCustomImage());
        moveOver(form.PushButton1);
        QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
    }

    void missingOfficeAsksOnceEndsTheProgramAndYesOpensTheDownloadPage() {
        for (const Answer answer : {Answer::Yes, Answer::No}) {
            FakePlatform fp;
            fp.office.available = false;
            fp.dialogs.answers = {answer};
            Form1 form(fp.platform);
            QVERIFY_THROWS_EXCEPTION(ProgramEnded, form.Form_Load());
            QVERIFY(!form.isVisible());
            const MessageBoxRequest& last = fp.dialogs.messages.back();
            QVERIFY(last.text.startsWith(QStringLiteral("Error 214878392\r\n\r\nOpenOffice is required to run this "
                                                        "software. It is not installed on this computer.\r\rWoud you "
                                                        "like to open this site now?\r\n\r\n(If you think")));
            QVERIFY(last.text.endsWith(SupportAddress + QStringLiteral(")")));
            QCOMPARE(last.buttons, Buttons::YesNo);
            QCOMPARE(last.icon, Icon::None);
            QCOMPARE(fp.shell.executed,
                     answer == Answer::Yes ? QStringList{QLatin1Char('"') + OfficeDownloadPage + QLatin1Char('"')}
                                           : QStringList{});
            QCOMPARE(fp.log.last(), QStringLiteral("endProgram"));
        }
    }

    void officePresentStartsQuietlyAndLeavesItWarm() {
        FakePlatform fp;
        fp.printers.installed = {QStringLiteral("Vendrell PDF Writer")};
        Form1 form(fp.platform);
        form.Form_Load();
        QVERIFY(fp.dialogs.messages.empty());
        QVERIFY(fp.log.contains(QStringLiteral("office createServiceManager()")));
        QVERIFY(!fp.log.contains(QStringLiteral("office shutdown")));
    }

    // Both printer steps ask the printing system; when it is down the user hears of it once, and
    // start-up goes on to the pause box and the office check.
    void printingSystemDownIsReportedOnce() {
        FakePlatform fp;
        fp.printers.unreachable = true;
        Form1 form(fp.platform);
        form.Form_Load();
        QCOMPARE(fp.dialogs.messages.size(), size_t(1));
        QCOMPARE(fp.dialogs.messages[0].caption, QStringLiteral("Application Error"));
        QVERIFY(fp.dialogs.messages[0].text.contains(QStringLiteral("at line 136\r\r")));
        QCOMPARE(form.Combo1->count(), 0);
        QCOMPARE(form.Text2->text(), QStringLiteral("2"));
        QVERIFY(fp.log.contains(QStringLiteral("office createServiceManager()")));
    }

    // A fresh machine has no printer yet: that is the PDF printer note's case, and nothing more.
    void noPrinterYetShowsOnlyThePdfPrinterNote() {
        FakePlatform fp;
        Form1 form(fp.platform);
        form.Form_Load();
        QCOMPARE(fp.dialogs.messages.size(), size_t(1));
        QVERIFY(fp.dialogs.messages[0].text.startsWith(QStringLiteral("Vendrell PDF Writer is not installed.")));
        QCOMPARE(fp.dialogs.messages[0].icon, Icon::None);
        QCOMPARE(form.Combo1->count(), 0);
        QCOMPARE(form.Combo1->currentIndex(), -1);
    }

    void closingEndsTheProgramAndTheOffice() {
        FakePlatform fp;
        Form1 form(fp.platform);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, form.Form_QueryUnload());
        QCOMPARE(fp.logOf({QStringLiteral("office shutdown"), QStringLiteral("endProgram")}),
                 (QStringList{QStringLiteral("office shutdown"), QStringLiteral("endProgram")}));
    }
};

QTEST_MAIN(Form1Test)
#include "test_app_form1.moc"
