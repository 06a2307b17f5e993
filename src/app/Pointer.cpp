#include "Pointer.h"

#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>

void WindowPointer::setMode(int mode) {
    mode_ = mode;
    apply();
}

int WindowPointer::markBusy() {
    const int found = mode_;
    setMode(vbHourglass);
    return found;
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

namespace {
// Qt's ico reader drops a cursor file's hot spot, so it is read from the first directory entry:
// type 2 marks a cursor, and the entry's planes and bit-count fields hold x and y.
QPoint CursorHotSpot(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.read(14);
    const auto word = [&](int at) { return quint8(head[at]) | quint8(head[at + 1]) << 8; };
    if (head.size() < 14 || word(0) != 0 || word(2) != 2) return {};
    return {word(10), word(12)};
}
}  // namespace

std::optional<QCursor> LoadCursorFile(const QString& path) {
    const QImage image = QImageReader(path).read();
    if (image.isNull()) return std::nullopt;
    const QPoint hotSpot = CursorHotSpot(path);
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}
