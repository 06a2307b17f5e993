#pragma once
#include <QString>
#include <com/sun/star/frame/XModel.hpp>

// Makes the document print on the queue (the empty text: the CUPS default of this
// moment). A running office keeps the default it saw when it started, and a document may name a
// printer of its own; both would otherwise win. Throws RuntimeError when the office does not know
// that printer, rather than let it print on another one.
void RouteToQueue(const css::uno::Reference<css::frame::XModel>& document, const QString& queue);
