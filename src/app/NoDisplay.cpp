#include "NoDisplay.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {
QtMessageHandler previous = nullptr;

struct Held {
    QtMsgType type;
    QByteArray category;
    QString text;
};
QList<Held> held;

QString NoDisplayText() {
    QStringList given;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const QString value = qEnvironmentVariable(name); !value.isEmpty())
            given << QLatin1String(name) + QLatin1Char('=') + value;
    const QString why =
        given.isEmpty() ? QStringLiteral("no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)")
                        : QStringLiteral("the graphical session cannot be opened (%1)").arg(given.join(u", "));
    return QStringLiteral("quorvane: %1; start Quorvane from the desktop: its menu, or a terminal there.").arg(why);
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(NoDisplayText()));
        std::_Exit(1);
    }
    if (QByteArray(context.category).startsWith("qt.qpa"))
        held.append({type, context.category, text});
    else
        previous(type, context, text);
}
}  // namespace

NoDisplayLine::NoDisplayLine() { previous = qInstallMessageHandler(handler); }

void NoDisplayLine::opened() {
    if (!previous) return;
    qInstallMessageHandler(std::exchange(previous, nullptr));
    for (const Held& message : std::exchange(held, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
}
