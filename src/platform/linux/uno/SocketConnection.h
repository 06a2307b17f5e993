#pragma once
#include <QString>
#include <com/sun/star/connection/XConnection.hpp>

// A connection to an office over the socket of its pipe, found by its path: a sandboxed office makes
// its pipe in a /tmp of its own, where the office's own connector would not look.
// Null when nobody listens there (yet).
css::uno::Reference<css::connection::XConnection> ConnectToSocket(const QString& path);
