#include "Pointer.h"

#include <QEvent>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>

void WindowPointer::setMode(int mode) {
    mode_ = mode;
    apply();
}

void WindowPointer::setCustomImage(const QCursor& cursor) {
    custom_ = cursor;
    apply();
}

void WindowPointer::apply() {
    switch (mode_) {
    case vbHourglass: window_.setCursor(Qt::WaitCursor); break;
    case vbCustom: window_.setCursor(custom_.value_or(QCursor(Qt::ArrowCursor))); break;
    default: window_.setCursor(Qt::ArrowCursor); break;
    }
}

HoverRules::HoverRules(WindowPointer& pointer, QList<QWidget*> buttons, QList<QWidget*> backgrounds)
    : pointer_(pointer), buttons_(std::move(buttons)) {
    for (QWidget* w : buttons_ + backgrounds) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool HoverRules::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove || pointer_.busy()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (buttons_.contains(widget)) {
        pointer_.setMode(vbCustom);
    } else {
        // A move the child under the pointer ignored reaches its parent too; the background rule
        // holds only where no control lies under the pointer.
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!widget->childAt(move->position().toPoint())) pointer_.setMode(vbDefault);
    }
    return false;
}

std::optional<QCursor> LoadCursorFile(const QString& path) {
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    // A cursor file keeps its hot spot in the image's text keys when the reader knows them.
    const int x = reader.text(QStringLiteral("HotspotX")).toInt();
    const int y = reader.text(QStringLiteral("HotspotY")).toInt();
    return QCursor(QPixmap::fromImage(image), x, y);
}
