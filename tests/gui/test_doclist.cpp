// The document list on real widgets: its look, the open-file dialog's results, drops from a file
// manager, Move Up / Move Down, Delete and double-click, the entry drag with its swaps and
// scrolling, and the busy mark that holds the buttons back but not the drag.
#include <QtTest>

#include "FakePlatform.h"
#include "app/AppTitle.h"
#include "app/Form1.h"

namespace {
struct Window {
    QTemporaryDir programFolder;
    FakePlatform fp{programFolder.path()};
    Form1 form{fp.platform};
    ListView* list = form.ListView1;

    explicit Window(const QStringList& texts = {}) {
        list->setHeaderLabels({QStringLiteral(" Writer File(s)")});
        list->setColumnWidth(0, Twips(6500));
        for (const QString& text : texts) AppendEntry(list, text);
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) qFatal("window not shown");
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

    void mouse(QEvent::Type type, QPoint position, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget* area = list->viewport();
        QMouseEvent event(type, QPointF(position), area->mapToGlobal(QPointF(position)), button, held, Qt::NoModifier);
        QApplication::sendEvent(area, &event);
    }
    void press(QPoint p) { mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void moveHeld(QPoint p) { mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint p) { mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
    // Press on an entry and pass over the given entries with the button held.
    void dragOver(int from, const QList<int>& over) {
        press(at(from));
        for (int position : over) moveHeld(at(position));
    }
    void click(int position) {
        press(at(position));
        release(at(position));
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(list, key, modifiers); }
    // A drag from another program enters the list; the answer is the action the list accepts.
    Qt::DropAction enter(const QMimeData* data, Qt::DropActions offered = Qt::CopyAction) {
        QDragEnterEvent event(QPoint(5, 5), offered, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
        return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    }
    // Moves go only to a list that accepted the drag's entry.
    Qt::DropAction move(const QMimeData* data, Qt::DropActions offered, Qt::KeyboardModifiers modifiers = {}) {
        QDragMoveEvent event(QPoint(5, 5), offered, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(list->viewport(), &event);
        return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    }
    void drop(const QMimeData* data) {
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    }
};

QStringList numbered(int count) {
    QStringList texts;
    for (int i = 1; i <= count; ++i) texts << QStringLiteral("/docs/%1.odt").arg(i, 2, 10, QLatin1Char('0'));
    return texts;
}

QMimeData* filesData(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}
}  // namespace

class DoclistTest : public QObject {
    Q_OBJECT

private slots:
    void theListAfterStartUp() {
        FakePlatform fp;
        Form1 form(fp.platform);
        form.Form_Load();
        ListView* list = form.ListView1;
        QCOMPARE(list->count(), 0);
        QCOMPARE(list->font().family(), QStringLiteral("Arial"));
        QCOMPARE(list->font().pointSize(), 9);
        QVERIFY(list->font().bold());
        QCOMPARE(list->toolTip(), QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | "
                                                 "line to right and out of window to reveal full names."));
        QVERIFY(list->acceptDrops());
        QVERIFY(!list->dragEnabled());
        QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void dialogSettingsAndResults() {
        Window w;
        w.fp.dialogs.openAnswers = {QStringLiteral("/data//single.odt"), QString("/srv/docs") + QChar(0) + "b.odt" + QChar(0) + "a.odt",
                                    QString("/") + QChar(0) + "root.odt", QString(), QStringLiteral("/data//single.odt")};
        for (int click = 0; click < 5; ++click) w.form.PushButton1_Click();
        // One file as the dialog gave it; several in the dialog's order, joined and normalised.
        QCOMPARE(w.texts(), (QStringList{"/data//single.odt", "/srv/docs/b.odt", "/srv/docs/a.odt", "/root.odt",
                                         "/data//single.odt"}));
        const OpenFileRequest& request = w.fp.dialogs.openRequests.at(4);
        QCOMPARE(request.fileName, QString());
        QCOMPARE(request.flags, 2621953);
        QCOMPARE(request.dialogTitle, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(request.filter,
                 QStringLiteral("Writer Documents (*.odt;*.ott;*.sxw;*.stw)|*.odt;*.ott;*.sxw;*.stw|All Files (*.*)|*.*"));
        QVERIFY(w.fp.dialogs.messages.empty());
        QVERIFY(!w.list->currentIndex().isValid());  // nothing selected or scrolled to
    }

    void tooManyFilesIsItsOwnMessage() {
        Window w({QStringLiteral("/kept.odt")});
        w.fp.dialogs.openAnswers = {Err::fileNameBufferTooSmall()};
        w.form.PushButton1_Click();
        QCOMPARE(w.texts(), QStringList{QStringLiteral("/kept.odt")});
        QCOMPARE(w.fp.dialogs.messages.size(), size_t(1));
        const MessageBoxRequest& box = w.fp.dialogs.messages[0];
        QCOMPARE(box.text, QStringLiteral("You've selected too many files to add.\r\rPlease try adding via the \"Add "
                                          "All\" button."));
        QCOMPARE(box.caption, AppTitle());
        QCOMPARE(box.buttons, Buttons::Ok);
        QCOMPARE(box.icon, Icon::None);

        w.fp.dialogs.openAnswers = {RuntimeError(32755, QStringLiteral("Dialog failed"))};
        w.form.PushButton1_Click();
        QVERIFY(w.fp.dialogs.messages[1].text.startsWith(
            QStringLiteral("Dialog failed\r\nin Lumbrel2021/08/31.Form1.PushButton1_Click at line 112\r\r")));
    }

    void dropsFromTheFileManager() {
        QTemporaryDir tree;
        auto make = [&](const QString& relative) {
            QDir().mkpath(QFileInfo(tree.path() + '/' + relative).path());
            QFile f(tree.path() + '/' + relative);
            QVERIFY(f.open(QIODevice::WriteOnly));
        };
        for (const char* f : {"A/a.odt", "A/b.txt", "A/sub/c.odt", "A/~lock.odt", "B/d.odt", "~own.odt"}) make(f);
        const QString root = tree.path() + '/';
        Window w;
        std::unique_ptr<QMimeData> data(filesData({root + "A", root + "~own.odt", root + "B", root + "gone//x.odt"}));
        QCOMPARE(w.enter(data.get()), Qt::CopyAction);
        w.drop(data.get());
        // Folders give their trees, "~" files left out; other items come as they were delivered.
        QCOMPARE(w.texts(), (QStringList{root + "A/a.odt", root + "A/b.txt", root + "A/sub/c.odt", root + "~own.odt",
                                         root + "B/d.odt", root + "gone//x.odt"}));
        QCOMPARE(w.form.MousePointer.mode(), int(vbDefault));
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void onlyFilesCanBeDroppedAndADropNeverMoves() {
        Window w;
        QMimeData text;
        text.setText(QStringLiteral("/etc/passwd"));
        QCOMPARE(w.enter(&text, Qt::CopyAction | Qt::MoveAction), Qt::IgnoreAction);
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.odt"))});
        QCOMPARE(w.enter(&web), Qt::IgnoreAction);
        QCOMPARE(w.list->count(), 0);

        // A file manager that proposes a move is answered with a copy, so it keeps its files.
        std::unique_ptr<QMimeData> files(filesData({QStringLiteral("/docs/a.odt")}));
        QCOMPARE(w.enter(files.get(), Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
        QCOMPARE(w.move(files.get(), Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier), Qt::CopyAction);
        QCOMPARE(w.move(files.get(), Qt::MoveAction), Qt::IgnoreAction);
        QCOMPARE(w.enter(files.get(), Qt::LinkAction), Qt::LinkAction);
    }

    void moveUpAndDownAtBothEnds() {
        Window w({"a", "b", "c"});
        w.click(2);
        w.form.PushButton3_Click();
        QCOMPARE(w.texts(), (QStringList{"b", "a", "c"}));
        QCOMPARE(w.list->currentPosition(), 1);
        QVERIFY(w.list->hasFocus());
        w.form.PushButton3_Click();  // already first
        QCOMPARE(w.texts(), (QStringList{"b", "a", "c"}));
        w.form.PushButton5_Click();
        w.form.PushButton5_Click();  // from the last but one to the end
        QCOMPARE(w.texts(), (QStringList{"a", "c", "b"}));
        QCOMPARE(w.list->currentPosition(), 3);
        w.form.PushButton5_Click();  // already last
        QCOMPARE(w.texts(), (QStringList{"a", "c", "b"}));
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void movesWorkByPositionAndKeepTheMovedEntryInView() {
        QStringList texts = numbered(60);
        texts[58] = texts[59];  // the last two have the same text
        Window w(texts);
        w.list->selectEntry(60);
        w.list->scrollToEntry(1);
        w.form.PushButton3_Click();
        QCOMPARE(w.texts(), texts);
        QCOMPARE(w.list->currentPosition(), 59);
        QVERIFY(w.visible(59));
        w.list->selectEntry(30);
        w.list->scrollToEntry(60);
        QVERIFY(!w.visible(31));
        w.form.PushButton5_Click();
        QCOMPARE(w.list->entryText(31), QStringLiteral("/docs/30.odt"));
        QCOMPARE(w.list->currentPosition(), 31);
        QVERIFY(w.visible(31));
    }

    void emptyListAndNoCurrentEntryDoNothing() {
        Window w;
        w.form.PushButton3_Click();
        w.form.PushButton5_Click();
        w.form.PushButton6_Click();
        w.key(Qt::Key_Delete);
        QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        Window two({"a", "b"});  // nothing selected yet
        two.form.PushButton3_Click();
        two.form.PushButton5_Click();
        two.key(Qt::Key_Delete);
        QCOMPARE(two.texts(), (QStringList{"a", "b"}));
        QVERIFY(two.list->hasFocus());
        QVERIFY(w.fp.dialogs.messages.empty() && two.fp.dialogs.messages.empty());
    }

    void deleteAndDoubleClickRemoveTheCurrentEntry() {
        Window w({"a", "b", "c", "d"});
        w.click(2);
        w.key(Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(w.texts(), (QStringList{"a", "c", "d"}));
        w.click(3);
        w.key(Qt::Key_Backspace);
        w.key(Qt::Key_Up);  // the list's own: the selection moves
        QCOMPARE(w.list->currentPosition(), 2);
        QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, w.at(1));
        QCOMPARE(w.texts(), (QStringList{"c", "d"}));
        w.form.PushButton6_Click();
        QCOMPARE(w.list->count(), 0);
    }

    void aSlowPassCarriesTheEntryDown() {
        Window w({"a", "b", "c", "d", "e"});
        w.dragOver(1, {1, 2, 3, 4});
        w.release(w.at(4));
        QCOMPARE(w.texts(), (QStringList{"b", "c", "d", "a", "e"}));
        QCOMPARE(w.list->currentPosition(), 4);
    }

    void aJumpSwapsOnlyTheTwoEntries() {
        Window w({"a", "b", "c", "d", "e"});
        w.dragOver(2, {5});
        QCOMPARE(w.texts(), (QStringList{"a", "e", "c", "d", "b"}));
        QCOMPARE(w.list->currentPosition(), 5);
    }

    void equalTextsAreNotSwapped() {
        Window w({"a", "x", "x", "b"});
        w.dragOver(2, {3});
        QCOMPARE(w.texts(), (QStringList{"a", "x", "x", "b"}));
        w.moveHeld(w.at(4));  // the next different entry swaps with the dragged one directly
        QCOMPARE(w.texts(), (QStringList{"a", "b", "x", "x"}));
    }

    void draggingOverTheHeaderOrEmptySpaceChangesNothing() {
        Window w({"a", "b"});
        w.dragOver(1, {});
        w.moveHeld(QPoint(20, -5));
        w.moveHeld(w.emptySpace());
        QCOMPARE(w.texts(), (QStringList{"a", "b"}));
        // Released, the pointer no longer reorders, even if it passes over entries.
        w.release(w.at(1));
        w.mouse(QEvent::MouseMove, w.at(2), Qt::NoButton, Qt::NoButton);
        QCOMPARE(w.texts(), (QStringList{"a", "b"}));
    }

    void aLostReleaseEndsTheDrag() {
        Window w({"a", "b"});
        w.dragOver(1, {});
        w.mouse(QEvent::MouseMove, w.at(2), Qt::NoButton, Qt::NoButton);  // the release went elsewhere
        w.moveHeld(w.at(2));
        QCOMPARE(w.texts(), (QStringList{"a", "b"}));
    }

    void aLaterDragNeverActsOnAnEntryThatLeft() {
        Window w({"a", "b", "c", "d"});
        w.dragOver(2, {});
        w.release(w.at(2));
        w.key(Qt::Key_Delete);  // the dragged entry leaves the list
        w.press(w.emptySpace());  // a press on empty space keeps the old drag entry
        w.moveHeld(w.at(1));
        w.moveHeld(w.at(3));
        QCOMPARE(w.texts(), (QStringList{"a", "c", "d"}));

        w.click(1);
        w.form.PushButton5_Click();  // the moved entry is a new one; the old one has left
        w.press(w.emptySpace());
        w.moveHeld(w.at(3));
        QCOMPARE(w.texts(), (QStringList{"c", "a", "d"}));

        w.click(2);
        w.form.PushButton6_Click();
        for (const char* text : {"x", "y"}) AppendEntry(w.list, text);
        w.press(w.emptySpace());
        w.moveHeld(w.at(1));
        QCOMPARE(w.texts(), (QStringList{"x", "y"}));
    }

    void aPressOnEmptySpaceCarriesTheLastDraggedText() {
        Window w({"a", "b", "c"});
        w.dragOver(1, {2});
        w.release(w.at(2));
        QCOMPARE(w.texts(), (QStringList{"b", "a", "c"}));
        w.press(w.emptySpace());
        w.moveHeld(w.at(3));
        QCOMPARE(w.texts(), (QStringList{"b", "c", "a"}));
    }

    void swapsScrollByTheScreenRows() {
        const struct {
            int y;
            bool atTop;  // the swap hovers over the top entry in view, else over the bottom one
            bool scrolls;
        } cases[] = {{304, true, true}, {305, true, false}, {364, false, false}, {365, false, true}, {100, false, false}};
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
        QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, w.at(2));
        QCOMPARE(w.texts(), (QStringList{"a", "b", "c"}));
        w.dragOver(2, {3});
        QCOMPARE(w.texts(), (QStringList{"a", "c", "b"}));
        QCOMPARE(w.form.MousePointer.mode(), int(vbHourglass));  // moves leave the hourglass alone
    }

    void theDragPointerComesFromTheProgramFolder() {
        Window w({"a", "b"});
        w.form.MousePointer.setMode(vbCustom);
        w.press(w.at(1));
        QVERIFY(!w.list->testAttribute(Qt::WA_SetCursor));  // no drag.ico: the list keeps its pointer
        w.release(w.at(1));
        QVERIFY(QFile::copy(QStringLiteral(QUORVANE_SOURCE_DIR "/assets/program/drag.ico"),
                            w.programFolder.path() + QStringLiteral("/drag.ico")));
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
