#pragma once
#include <QPushButton>

// Sizes and places are given in twips, 15 to a pixel.
constexpr int Twips(int twips) { return (twips + 7) / 15; }

// Captions are set in bold Arial.
QFont CaptionFont();
void Place(QWidget* widget, int left, int top, int width, int height);

// A push button whose caption wraps onto more lines when it is wider than the button,
// as the tall, narrow "Move Up" and "Move Down" buttons need.
class CaptionButton : public QPushButton {
public:
    CaptionButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

CaptionButton* NewButton(QWidget* parent, const QString& caption, int left, int top, int width, int height);
