#include "Controls.h"

#include <QStyleOptionButton>
#include <QStylePainter>

QFont CaptionFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

CaptionButton::CaptionButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFont(CaptionFont());
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect textArea = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(1, 0, -1, 0);
    if (fontMetrics().horizontalAdvance(text()) <= textArea.width()) {
        painter.drawControl(QStyle::CE_PushButton, option);
        return;
    }
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.drawItemText(textArea, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}

CaptionButton* NewButton(QWidget* parent, const QString& caption, int left, int top, int width, int height) {
    auto* button = new CaptionButton(caption, parent);
    Place(button, left, top, width, height);
    return button;
}
