#include "OfficeSession.h"

#include <com/sun/star/awt/XPrinterServer.hpp>
#include <com/sun/star/bridge/XBridgeFactory.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cstdlib>

#include "ProfileLockDown.h"
#include "ProfileVersion.h"
#include "SocketConnection.h"
#include "UnoValues.h"

using namespace css::uno;

namespace {
// This process's own UNO runtime, started once and never taken down: the runtime's libraries may
// already be gone when static objects are destroyed at exit.
Reference<XComponentContext> localContext() {
    static const auto* context = [] {
        // Without it the runtime looks for its settings beside the executable, and crashes.
        ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" QUORVANE_OFFICE_PROGRAM "/fundamentalrc", 1);
        try {
            return new Reference<XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
        } catch (const cppu::BootstrapException& e) {  // a damaged office installation
            throw RuntimeError(OfficeErr::Unavailable, toQString(e.getMessage()));
        }
    }();
    return *context;
}

template <class T>
Reference<T> localService(const char* name) {
    const Reference<XComponentContext> context = localContext();
    return Reference<T>(context->getServiceManager()->createInstanceWithContext(rtl::OUString::createFromAscii(name), context),
                        UNO_QUERY_THROW);
}
}  // namespace

std::shared_ptr<OfficeSession> OfficeSession::connect(const QString& pipeName, const QString& socketPath, Guard guard) {
    Reference<css::connection::XConnection> connection;
    Reference<css::bridge::XBridge> bridge;
    try {
        if (!socketPath.isEmpty()) {
            localContext();  // the bridge's runtime
            connection = ConnectToSocket(socketPath);
            if (!connection.is()) return nullptr;
        } else {
            const auto connector = localService<css::connection::XConnector>("com.sun.star.connection.Connector");
            try {
                connection = connector->connect(toOUString(QStringLiteral("pipe,name=") + pipeName));
            } catch (const css::connection::NoConnectException&) {
                return nullptr;
            }
        }
        bridge = localService<css::bridge::XBridgeFactory>("com.sun.star.bridge.BridgeFactory")
                     ->createBridge(rtl::OUString(), "urp", connection, nullptr);
    } catch (const Exception&) {
        throw OfficeErr::fromCaughtException();
    }
    std::shared_ptr<OfficeSession> session(new OfficeSession(bridge, std::move(guard)));
    session->call([&] {
        session->context_.set(bridge->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
        session->serviceManager_.set(session->context_->getServiceManager(), UNO_QUERY_THROW);
        RecordOfficeVersion(session->context_);
        LockDownProfile(session->context_);
        const Reference<css::awt::XPrinterServer> printers(
            session->serviceManager_->createInstanceWithContext("com.sun.star.awt.PrinterServer", session->context_),
            UNO_QUERY_THROW);
        for (const rtl::OUString& name : printers->getPrinterNames()) session->printers_ << toQString(name);
    });
    return session;
}

OfficeSession::OfficeSession(Reference<css::bridge::XBridge> bridge, Guard guard)
    : guard_(std::move(guard)), bridge_(std::move(bridge)) {}

OfficeSession::~OfficeSession() { dispose(); }

bool OfficeSession::answers() {
    try {
        call([&] { context_->getServiceManager(); });
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

void OfficeSession::terminateOffice() {
    try {
        call([&] { css::frame::Desktop::create(context_)->terminate(); });
    } catch (const RuntimeError&) {
        // An office that ends at once drops the connection before it answers.
    }
}

void OfficeSession::dispose() noexcept {
    Reference<css::bridge::XBridge> bridge;
    {
        std::lock_guard lock(mutex_);
        bridge = bridge_;
        bridge_.clear();
    }
    if (!bridge.is()) return;
    try {
        Reference<css::lang::XComponent>(bridge, UNO_QUERY_THROW)->dispose();
    } catch (const Exception&) {
        // Already gone with its office.
    }
}
