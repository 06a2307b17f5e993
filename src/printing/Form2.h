#pragma once
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "app/Pointer.h"
#include "platform/Platform.h"

// The PDF output folder window: the user confirms or changes the folder of the run's PDF files.
// Its handlers keep the names the program gives them.
class Form2 : public QDialog {
    Q_OBJECT
public:
    Form2(Platform& platform, QWidget* owner);
    ~Form2() override;

    // Loads the window and shows it modally; returns when it has been closed.
    void ShowModal();

    Platform& platform;

    QGroupBox* Frame1;  // Save PDF Files To This Folder
    QLineEdit* txtBackupPath;
    QPushButton* PushButton2;  // ...
    QPushButton* PushButton1;  // OK
    WindowPointer MousePointer{*this};

    void Form_Load();
    void Form_QueryUnload();
    void PushButton1_Click();
    void PushButton2_Click();
    void txtBackupPath_Change();
    void txtBackupPath_GotFocus();

protected:
    // Every way of closing (OK, the close box, Escape) ends here.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<HoverRules> hover_;
};
