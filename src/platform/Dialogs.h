#pragma once
#include <QString>
class QObject;

enum class Buttons { Ok, YesNo };
enum class Icon { None, Exclamation };
enum class Answer { Ok, Yes, No };

struct MessageBoxRequest {
    QString text;     // kept exactly, CR and LF included
    QString caption;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

// The open-file dialog's properties, set by the caller before each showing.
struct OpenFileRequest {
    QString fileName;
    qint32 flags = 0;
    QString dialogTitle;
    QString filter;  // description|pattern|description|pattern...
};

// Modal boxes and dialogs. Every call blocks until the user has answered.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer messageBox(QObject* owner, const MessageBoxRequest& request) = 0;
    // The typed answer; the empty text on Cancel.
    virtual QString inputBox(QObject* owner, const QString& prompt, const QString& title, const QString& preset) = 0;
    // The selection in the multiple-selection form: one path, or folder NUL name NUL name...;
    // the empty text on Cancel. Throws Err::fileNameBufferTooSmall() when the result does not fit.
    virtual QString showOpen(QObject* owner, const OpenFileRequest& request) = 0;
    // The chosen folder's path (no trailing separator except for the root), or the empty text.
    virtual QString browseForFolder(QObject* owner, const QString& title, const QString& initial) = 0;
};
