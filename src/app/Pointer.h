#pragma once
#include <QCursor>
#include <QList>
#include <QObject>
#include <optional>

class QWidget;

// A window's pointer modes. The hourglass on the main window is the program's busy mark.
enum PointerMode { vbDefault = 0, vbHourglass = 11, vbCustom = 99 };

// The pointer mode of one window; it applies over the window and all its controls.
class WindowPointer {
public:
    explicit WindowPointer(QWidget& window) : window_(window) {}
    int mode() const { return mode_; }
    void setMode(int mode);
    bool busy() const { return mode_ == vbHourglass; }
    // Sets the busy mark for a long operation and returns the mode it found, which the operation
    // puts back when it ends: operations nest through the message pumps, and the mark must last
    // until the outermost one ends.
    int markBusy();
    // The custom image; without one the custom mode looks like the default arrow.
    void setCustomImage(const QCursor& cursor);
    bool hasCustomImage() const { return custom_.has_value(); }

private:
    void apply();
    QWidget& window_;
    int mode_ = vbDefault;
    std::optional<QCursor> custom_;
};

// The hover rules every window shares: the custom pointer over buttons, the default arrow over
// the window's background and frames, both only while the window is not busy.
class HoverRules : public QObject {
public:
    HoverRules(WindowPointer& pointer, QList<QWidget*> buttons, QList<QWidget*> backgrounds);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPointer& pointer_;
    QList<QWidget*> buttons_;
};

// Loads the hand pointer from a cursor file; nothing when it cannot be read.
std::optional<QCursor> LoadCursorFile(const QString& path);
