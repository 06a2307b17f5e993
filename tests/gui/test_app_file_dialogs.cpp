// The open-file dialog as the user sees it where the desktop offers no dialog of its own (Qt's).
#include <QComboBox>
#include <QFileDialog>
#include <QtTest>

#include "platform/linux/LinuxDialogs.h"

class FileDialogsTest : public QObject {
    Q_OBJECT

    // Runs `look` on the dialog once it is open, then cancels it.
    static void whileOpen(const std::function<void(QFileDialog*)>& look) {
        QTimer::singleShot(0, [look] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            look(dialog);
            dialog->reject();
        });
    }

private slots:
    void filterListShowsTheProgramsDescriptions() {
        QStringList shown;
        whileOpen([&](QFileDialog* dialog) {
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        });
        LinuxDialogs dialogs;
        const QString result = dialogs.showOpen(
            nullptr, {{}, 512, QStringLiteral("Add"),
                      QStringLiteral("Writer Documents (*.odt;*.ott;*.sxw;*.stw)|*.odt;*.ott;*.sxw;*.stw|"
                                     "All Files (*.*)|*.*")});
        QVERIFY(result.isEmpty());  // cancelled
        QCOMPARE(shown, (QStringList{QStringLiteral("Writer Documents (*.odt;*.ott;*.sxw;*.stw)"),
                                     QStringLiteral("All Files (*.*)")}));
    }
};

QTEST_MAIN(FileDialogsTest)
#include "test_app_file_dialogs.moc"
