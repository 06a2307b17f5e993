#pragma once
#include <QString>
#include <com/sun/star/frame/XFrame.hpp>

// Makes the document in the frame print on the queue (the empty text: the CUPS default of this
// moment). A running office keeps the default it saw when it started, and a document may name a
// printer of its own; both would otherwise win. Throws RuntimeError when the office does not know
// that printer, rather than let it print on another one.
void RouteToQueue(const css::uno::Reference<css::frame::XFrame>& frame, const QString& queue);
