// The document list on real widgets and events: the open-file dialog's results, drops from a
// file manager, Move Up / Move Down, Delete and double-click, the entry drag with its swaps and
// scrolling, and the busy mark that holds the buttons back but not the drag.
#include <QtTest>

#include "FakePlatform.h"
#include "app/Form1.h"

namespace {
struct Window {
    QTemporaryDir programFolder;
    FakePlatform fp{programFolder.path()};
    Form1 form{fp.platform};
    ListView* list = form.ListView1;

    explicit Window(const QStringList& texts = {}) {
        list->setHeaderLabels({QStringLiteral(" Writer File(s)")});
        for (const QString& text : texts) AppendEntry(list, text);
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) qFatal("window not shown");
    }
    void printsOn(const QString& printer) {
        fp.printers.installed = {printer};
        fp.printers.current = printer;
        form.Combo1->addItem(printer);
    }
    QStringList texts() const {
        QStringList out;
        for (int i = 1; i <= list->count(); ++i) out << list->entryText(i);
        return out;
    }
    QRect rectOf(int position) const { return list->visualRect(list->model()->index(position - 1, 0)); }
    QPoint at(int position) const { return rectOf(position).center(); }
    bool visible(int position) const { return list->viewport()->rect().contains(rectOf(position)); }
    QPoint emptySpace() const { return QPoint(20, list->viewport()->height() - 3); }

    void mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(p), list->viewport()->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    }
    void press(QPoint p) { mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void moveHeld(QPoint p) { mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint p) { mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
    void dragOver(int from, const QList<int>& over) {  // press on an entry, pass over others, button held
        press(at(from));
        for (int position : over) moveHeld(at(position));
    }
    void click(int position) {
        press(at(position));
        release(at(position));
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(list, key, modifiers); }
    void doubleClick(QPoint p) { QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p); }
    // A drag from another program enters (or moves over) the list: the action the list accepts.
    // Moves and drops reach only a list that accepted the drag's entry.
    Qt::DropAction offer(const QMimeData* data, Qt::DropActions offered, bool entering = true) {
        const QPoint p(5, 5);
        std::unique_ptr<QDragMoveEvent> event;
        if (entering) event = std::make_unique<QDragEnterEvent>(p, offered, data, Qt::LeftButton, Qt::ShiftModifier);
        else event = std::make_unique<QDragMoveEvent>(p, offered, data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(list->viewport(), event.get());
        return event->isAccepted() ? event->dropAction() : Qt::IgnoreAction;
    }
    void drop(const QMimeData* data) {
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
        QCoreApplication::processEvents();  // the drop's work runs once the drop has ended
    }
};

QStringList numbered(int count) {
    QStringList texts;
    for (int i = 1; i <= count; ++i) texts << QStringLiteral("/docs/%1.odt").arg(i, 2, 10, QLatin1Char('0'));
    return texts;
}

std::unique_ptr<QMimeData> files(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}
}  // namespace

class DoclistTest : public QObject {
    Q_OBJECT

private slots:
    void dialogResults() {
        Window w;
        w.fp.dialogs.openAnswers = {QStringLiteral("/data//single.odt"), QString("/srv/docs") + QChar(0) + "b.odt" + QChar(0) + "a.odt",
                                    QString("/") + QChar(0) + "root.odt", QString(), QStringLiteral("/data//single.odt")};
        for (int click = 0; click < 5; ++click) w.form.PushButton1_Click();
        // One file as the dialog gave it; several in the dialog's order, joined and normalised.
        QCOMPARE(w.texts(), (QStringList{"/data//single.odt", "/srv/docs/b.odt", "/srv/docs/a.odt", "/root.odt",
                                         "/data//single.odt"}));
        QVERIFY(w.fp.dialogs.messages.empty() && w.list->currentPosition() == 0);

        w.fp.dialogs.openAnswers = {Err::fileNameBufferTooSmall(), RuntimeError(32755, "Dialog failed")};
        w.form.PushButton1_Click();
        w.form.PushButton1_Click();
        QCOMPARE(w.list->count(), 5);
        QCOMPARE(w.fp.dialogs.messages.size(), size_t(2));
        QVERIFY(w.fp.dialogs.messages[0].text.startsWith("You've selected too many files to add.\r\r"));
        QCOMPARE(w.fp.dialogs.messages[0].icon, Icon::None);
        QVERIFY(w.fp.dialogs.messages[1].text.contains("in Lumbrel2021/08/31.Form1.PushButton1_Click at line 112\r\r"));
    }

    void dropsFromTheFileManager() {
        QTemporaryDir tree;
        const QString root = tree.path() + '/';
        for (const char* f : {"A/a.odt", "A/b.txt", "A/sub/c.odt", "A/~lock.odt", "B/d.odt", "~own.odt"}) {
            QDir().mkpath(QFileInfo(root + f).path());
            QFile(root + f).open(QIODevice::WriteOnly);
        }
        Window w;
        const auto data = files({root + "A", root + "~own.odt", root + "B", root + "gone//x.odt"});
        QCOMPARE(w.offer(data.get(), Qt::CopyAction), Qt::CopyAction);
        w.drop(data.get());
        // Folders give their trees, "~" files left out; other items come as they were delivered.
        QCOMPARE(w.texts(), (QStringList{root + "A/a.odt", root + "A/b.txt", root + "A/sub/c.odt", root + "~own.odt",
                                         root + "B/d.odt", root + "gone//x.odt"}));
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void onlyFilesCanBeDroppedAndADropNeverMoves() {
        Window w;
        QMimeData text, web;
        text.setText(QStringLiteral("/etc/passwd"));
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.odt"))});
        QCOMPARE(w.offer(&text, Qt::CopyAction), Qt::IgnoreAction);
        QCOMPARE(w.offer(&web, Qt::CopyAction), Qt::IgnoreAction);
        // A file manager that proposes a move is answered with a copy, so it keeps its files.
        const auto data = files({QStringLiteral("/docs/a.odt")});
        QCOMPARE(w.offer(data.get(), Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
        QCOMPARE(w.offer(data.get(), Qt::CopyAction | Qt::MoveAction, false), Qt::CopyAction);
        QCOMPARE(w.offer(data.get(), Qt::MoveAction, false), Qt::IgnoreAction);
    }

    void moveUpAndDown() {
        Window w({"a", "b", "c"});
        w.click(2);
        w.form.PushButton3_Click();
        w.form.PushButton3_Click();  // already first
        QCOMPARE(w.texts(), (QStringList{"b", "a", "c"}));
        w.form.PushButton5_Click();
        w.form.PushButton5_Click();  // from the last but one to the end
        w.form.PushButton5_Click();  // already last
        QCOMPARE(w.texts(), (QStringList{"a", "c", "b"}));
        QCOMPARE(w.list->currentPosition(), 3);
        Window many(numbered(60));
        many.list->selectEntry(60);
        many.list->scrollToEntry(1);
        many.form.PushButton3_Click();
        QCOMPARE(many.list->currentPosition(), 59);
        QVERIFY(many.visible(59) && many.list->hasFocus());
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void removingEntries() {
        Window w({"a", "b", "c", "d"});
        w.form.PushButton3_Click();  // nothing selected yet: nothing moves or goes
        w.form.PushButton5_Click();
        w.key(Qt::Key_Delete);
        QCOMPARE(w.list->count(), 4);
        w.click(2);
        w.key(Qt::Key_Delete, Qt::ShiftModifier);
        w.key(Qt::Key_Backspace);
        QCOMPARE(w.texts(), (QStringList{"a", "c", "d"}));
        w.doubleClick(w.at(1));
        QCOMPARE(w.texts(), (QStringList{"c", "d"}));
        w.form.PushButton6_Click();
        w.form.PushButton6_Click();
        w.doubleClick(QPoint(20, 20));
        QCOMPARE(w.list->count(), 0);
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void dragSwaps() {
        Window w({"a", "b", "c", "d", "e"});
        w.dragOver(1, {1, 2, 3, 4});  // a slow pass carries the entry down
        w.release(w.at(4));
        QCOMPARE(w.texts(), (QStringList{"b", "c", "d", "a", "e"}));
        QCOMPARE(w.list->currentPosition(), 4);
        w.dragOver(2, {5});  // a jump swaps only the two
        QCOMPARE(w.texts(), (QStringList{"b", "e", "d", "a", "c"}));
        w.release(w.at(5));
        w.press(w.emptySpace());  // a press on empty space carries the text dragged last
        w.moveHeld(w.at(4));
        QCOMPARE(w.texts(), (QStringList{"b", "e", "d", "c", "a"}));
        w.moveHeld(QPoint(20, -5));  // over the header
        w.moveHeld(w.emptySpace());
        w.release(w.emptySpace());
        w.mouse(QEvent::MouseMove, w.at(1), Qt::NoButton, Qt::NoButton);
        QCOMPARE(w.texts(), (QStringList{"b", "e", "d", "c", "a"}));

        Window same({"a", "x", "x", "b"});
        same.dragOver(2, {3, 4});  // equal texts are not swapped; the next different one is
        QCOMPARE(same.texts(), (QStringList{"a", "b", "x", "x"}));
        same.mouse(QEvent::MouseMove, same.at(1), Qt::NoButton, Qt::NoButton);  // the release went elsewhere
        same.moveHeld(same.at(1));
        QCOMPARE(same.texts(), (QStringList{"a", "b", "x", "x"}));
    }

    void aLaterDragNeverActsOnAnEntryThatLeft() {
        Window w({"a", "b", "c", "d"});
        w.click(2);
        w.key(Qt::Key_Delete);  // the dragged entry leaves the list
        w.click(1);
        w.form.PushButton5_Click();  // a move replaces the moved entry by a new one
        w.press(w.emptySpace());
        w.moveHeld(w.at(1));
        w.moveHeld(w.at(3));
        QCOMPARE(w.texts(), (QStringList{"c", "a", "d"}));
        w.click(3);
        w.form.PushButton6_Click();
        for (const char* text : {"x", "y"}) AppendEntry(w.list, text);
        QTest::qWait(0);
        w.press(w.emptySpace());
        w.moveHeld(w.at(1));
        QCOMPARE(w.texts(), (QStringList{"x", "y"}));
    }

    void swapsScrollByTheScreenRows() {
        const struct {
            int y;
            bool atTop;  // the swap hovers over the top entry in view, else over the bottom one
            bool scrolls;
        } cases[] = {{304, true, true}, {305, true, false}, {364, false, false}, {365, false, true}};
        for (const auto& c : cases) {
            Window w(numbered(40));
            w.list->scrollTo(w.list->model()->index(19, 0), QAbstractItemView::PositionAtTop);
            int last = 20;
            while (w.visible(last + 1)) ++last;
            QVERIFY(!w.visible(19) && !w.visible(last + 1));
            w.form.drag.GetCursorPos = [y = c.y] { return QPoint(100, y); };
            const int hovered = c.atTop ? 20 : last;
            w.dragOver(c.atTop ? 21 : last - 1, {hovered});
            QCOMPARE(w.list->currentPosition(), hovered);
            QCOMPARE(w.visible(c.atTop ? hovered - 1 : hovered + 1), c.scrolls);
        }
    }

    void theBusyMarkHoldsBackEverythingButTheDrag() {
        Window w({"a", "b", "c"});
        w.click(2);
        w.form.MousePointer.setMode(vbHourglass);
        w.form.PushButton3_Click();
        w.form.PushButton5_Click();
        w.form.PushButton6_Click();
        w.key(Qt::Key_Delete);
        w.doubleClick(w.at(2));
        QCOMPARE(w.texts(), (QStringList{"a", "b", "c"}));
        w.dragOver(2, {3});
        QCOMPARE(w.texts(), (QStringList{"a", "c", "b"}));
        QCOMPARE(w.form.MousePointer.mode(), int(vbHourglass));
    }

    // Long operations nest through the message pumps: the busy mark lasts until the outer one ends,
    // so Clear List cannot empty the list under a scan or a print run that is still working.
    void theBusyMarkLastsUntilTheOuterOperationEnds() {
        QTemporaryDir tree;
        for (const char* f : {"o/a.odt", "o/A/b.odt", "o/A/A1/c.odt", "o/B/d.odt", "o/B/B1/e.odt", "i/x.odt"}) {
            QDir().mkpath(QFileInfo(tree.path() + '/' + f).path());
            QFile(tree.path() + '/' + f).open(QIODevice::WriteOnly);
        }
        const QString outer = tree.path() + "/o", inner = tree.path() + "/i";
        enum class Inner { AddFolder, PrintRun };
        for (const Inner nested : {Inner::AddFolder, Inner::PrintRun}) {
            Window w({"/d/kept.odt"});
            w.printsOn("Laser");
            w.fp.dialogs.inputAnswers = {"odt", "odt"};
            w.fp.dialogs.browseAnswers = {outer, inner};
            QList<int> modesAfterInner;
            int pumps = 0;
            bool innerEnded = false;
            w.fp.runtime.onPump = [&] {
                if (++pumps == 2) {
                    if (nested == Inner::AddFolder) w.form.PushButton4_Click();
                    else w.form.PushButton2_Click();
                    innerEnded = true;
                } else if (innerEnded) {
                    modesAfterInner << w.form.MousePointer.mode();
                    w.form.PushButton6_Click();  // held back while the outer scan works
                }
            };
            w.form.PushButton4_Click();
            QVERIFY(!modesAfterInner.isEmpty());
            QVERIFY2(modesAfterInner.count(vbHourglass) == modesAfterInner.size(), "busy mark lost inside the scan");
            QCOMPARE(w.list->count(), nested == Inner::AddFolder ? 1 + 1 + 5 : 1 + 5);
            QCOMPARE(w.form.MousePointer.mode(), int(vbDefault));
        }

        // An add-folder during a print run: the run's later documents are still in the list.
        Window w({"/d/one.odt", "/d/two.odt"});
        w.printsOn("Laser");
        w.fp.dialogs.inputAnswers = {"odt"};
        w.fp.dialogs.browseAnswers = {inner};
        bool scanning = false, scanned = false;
        int runPumps = 0;
        w.fp.runtime.onPump = [&] {
            if (scanning || ++runPumps == 1) return;
            if (!scanned) {  // in the first document's wait after its print command
                scanning = true;
                w.form.PushButton4_Click();
                scanning = false;
                scanned = true;
            } else {
                w.form.PushButton6_Click();  // held back while the run works
            }
        };
        w.form.PushButton2_Click();
        QCOMPARE(w.fp.logOf({"office loadComponentFromURL"}).size(), 2);
        QCOMPARE(w.texts(), (QStringList{"/d/one.odt", "/d/two.odt", inner + "/x.odt"}));
        QCOMPARE(w.fp.dialogs.texts(), QStringList{"Done."});
        QCOMPARE(w.form.MousePointer.mode(), int(vbDefault));
    }

    void theDragPointerComesFromTheProgramFolder() {
        Window w({"a"});
        w.press(w.at(1));
        QVERIFY(!w.list->testAttribute(Qt::WA_SetCursor));  // no drag.ico: the list keeps its pointer
        w.release(w.at(1));
        QVERIFY(QFile::copy(QUORVANE_SOURCE_DIR "/assets/program/drag.ico", w.programFolder.path() + "/drag.ico"));
        w.form.MousePointer.setMode(vbCustom);
        w.press(w.at(1));
        QCOMPARE(w.list->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(w.list->cursor().pixmap().size(), QSize(32, 32));
        w.moveHeld(w.at(1));
        QCOMPARE(w.form.MousePointer.mode(), int(vbDefault));  // a move over the list resets the hover pointer
        w.release(w.at(1));
        QVERIFY(!w.list->testAttribute(Qt::WA_SetCursor));
    }
};

QTEST_MAIN(DoclistTest)
#include "test_doclist.moc"
