#pragma once
#include "platform/Dialogs.h"

// Modal Qt boxes and dialogs.
class LinuxDialogs : public Dialogs {
public:
    Answer messageBox(QObject* owner, const MessageBoxRequest& request) override;
    QString inputBox(QObject* owner, const QString& prompt, const QString& title, const QString& preset) override;
    QString showOpen(QObject* owner, const OpenFileRequest& request) override;
    QString browseForFolder(QObject* owner, const QString& title, const QString& initial) override;

    // The open-file dialog's result buffer, in characters.
    static constexpr qsizetype ResultBufferSize = 256 * 1024;
};

// The dialog's filter text (description|pattern|...) as Qt name filters; the patterns match any letter case.
QStringList NameFiltersFrom(const QString& filter);
// The selection in the multiple-selection form: one path, or folder NUL name NUL name...
QString SelectionResult(const QStringList& paths);
// Message texts join lines with CR LF or a bare CR; both show as one line break.
QString DisplayText(const QString& text);
