#pragma once
#include <QString>
#include <com/sun/star/frame/XModel.hpp>

// Throws RuntimeError when a file whose name claims a document format (.odt, .doc, .rtf...) was not
// loaded as one: the office reads anything as plain text (random bytes) or, for an empty file, makes a
// new empty document, and would print that as garbage or a blank page. A real text file is text.
void RefuseFalseDocument(const QString& url, const css::uno::Reference<css::frame::XModel>& model);
