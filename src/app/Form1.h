#pragma once
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "app/Controls.h"
#include "app/Pointer.h"
#include "app/Skin.h"
#include "doclist/DragState.h"
#include "doclist/ListView.h"
#include "platform/Platform.h"

// The open-file dialog control: properties set before each showing, the result in FileName.
struct CommonDialog {
    QString FileName;
    qint32 Flags = 0;
    QString DialogTitle;
    QString Filter;
};

// The main window. Its handlers keep the names the program gives them; each subsystem
// implements its own handlers in its folder.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Platform& platform);
    ~Form1() override;

    Platform& platform;

    // Controls, in tab order.
    ListView* ListView1;
    QPushButton* PushButton3;   // Move Up
    QPushButton* PushButton5;   // Move Down
    QPushButton* PushButton1;   // Add Writer File(s)
    QPushButton* PushButton4;   // Add All Writer Files In Folder
    QPushButton* PushButton6;   // Clear List
    QPushButton* PushButton7;   // Load Sample/Example Files
    QGroupBox* Frame1;          // Select Printer
    QComboBox* Combo1;
    QGroupBox* Frame3;          // Pause X Seconds Between Prints
    QLineEdit* Text2;
    QPushButton* PushButton11;  // What's this feature?
    QPushButton* PushButton2;   // Start Printing
    QProgressBar* ProgressBar1;
    CommonDialog CommonDialog1;
    SkinFramework SkinFramework1;

    // Window state.
    WindowPointer MousePointer{*this};
    bool Printing = false;
    DragState drag;

    // Start-up and end (app).
    void Form_Load();
    void Form_QueryUnload();
    void PushButton7_Click();

    // Document list (doclist).
    void PushButton1_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void ListView1_OLEDragOver(QDragMoveEvent* event);
    void ListView1_OLEDragDrop(QDropEvent* event);
    void ListView1_ItemClick(const QModelIndex& item);
    void ListView1_MouseDown(Qt::MouseButton button, const QPoint& position);
    void ListView1_MouseMove(Qt::MouseButtons buttons, const QPoint& position);
    void ListView1_MouseUp(Qt::MouseButton button, const QPoint& position);
    void ListView1_KeyDown(int keyCode, Qt::KeyboardModifiers modifiers);
    void ListView1_DblClick();

    // Printing (printing).
    void PushButton2_Click();
    void PushButton11_Click();
    void Combo1_Click();
    void Text2_Change();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void layOutControls();
    void connectHandlers();
    std::unique_ptr<HoverRules> hover_;
};
