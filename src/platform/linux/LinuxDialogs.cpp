#include "LinuxDialogs.h"

#include <algorithm>

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/RuntimeError.h"

namespace {
// Owners reach the platform as objects; a box is shown over the window that asked.
QWidget* window(QObject* owner) { return qobject_cast<QWidget*>(owner); }
}  // namespace

QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

Answer LinuxDialogs::messageBox(QObject* owner, const MessageBoxRequest& request) {
    QMessageBox box(window(owner));
    box.setWindowTitle(request.caption);
    box.setText(DisplayText(request.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(request.icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (request.buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

QString LinuxDialogs::inputBox(QObject* owner, const QString& prompt, const QString& title, const QString& preset) {
    bool ok = false;
    const QString answer = QInputDialog::getText(window(owner), title, DisplayText(prompt), QLineEdit::Normal, preset, &ok);
    return ok ? answer : QString();
}

namespace {
// "*.odt;*.ott" becomes "*.[oO][dD][tT] *.[oO][tT][tT]", so the filter ignores letter case.
QString caseInsensitivePatterns(const QString& patterns) {
    QStringList out;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (pattern == QStringLiteral("*.*")) {
            out << QStringLiteral("*");
            continue;
        }
        QString p;
        for (const QChar c : pattern) {
            if (c.isLetter() && c.toLower() != c.toUpper())
                p += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
            else
                p += c;
        }
        out << p;
    }
    return out.join(QLatin1Char(' '));
}
}  // namespace

QStringList NameFiltersFrom(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + caseInsensitivePatterns(parts[i + 1]) + QLatin1Char(')');
    return filters;
}

QString SelectionResult(const QStringList& paths) {
    if (paths.size() == 1) return paths.first();
    // Files typed in from other folders are named relative to the folder all of them share,
    // so that joining the folder and each name gives every path back.
    QString common = QFileInfo(paths.first()).path();
    const auto prefix = [&] { return common.endsWith(QLatin1Char('/')) ? common : common + QLatin1Char('/'); };
    while (!std::all_of(paths.begin(), paths.end(), [&](const QString& p) { return p.startsWith(prefix()); }))
        common = QFileInfo(common).path();
    QString result = common;
    for (const QString& path : paths) result += QChar(0) + path.mid(prefix().size());
    return result;
}

QString LinuxDialogs::showOpen(QObject* owner, const OpenFileRequest& request) {
    QFileDialog dialog(window(owner), request.dialogTitle);
    dialog.setFileMode((request.flags & 512) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // The desktop's own dialog where it offers one (a portal or its platform theme), Qt's otherwise.
    // The filter list shows each description as the program gives it, not the patterns behind it.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(NameFiltersFrom(request.filter));
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString result = SelectionResult(dialog.selectedFiles());
    if (result.size() >= ResultBufferSize) throw Err::fileNameBufferTooSmall();
    return result;
}

QString LinuxDialogs::browseForFolder(QObject* owner, const QString& title, const QString& initial) {
    QFileDialog dialog(window(owner), title, initial);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!initial.isEmpty()) dialog.selectFile(initial);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}
