#include "OfficeLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {
const QString PluginFileName = QStringLiteral("quorvane_uno.so");

// Beside the executable in the build tree; <prefix>/<libdir>/quorvane when installed.
QStringList pluginCandidates(const QString& pluginFolder) {
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../") +
                                              QStringLiteral(QUORVANE_INSTALL_PLUGIN_DIR));
    return {pluginFolder + QLatin1Char('/') + PluginFileName, installed + QLatin1Char('/') + PluginFileName};
}
}  // namespace

std::unique_ptr<Office> LoadOffice(const QString& pluginFolder) {
    for (const QString& path : pluginCandidates(pluginFolder)) {
        if (!QFileInfo(path).isFile()) continue;
        // Never unloaded: the office objects' code lives in the plugin until the program ends.
        QLibrary plugin(path);
        using Create = Office* (*)();
        if (const auto create = reinterpret_cast<Create>(plugin.resolve("quorvane_create_office"))) {
            if (Office* office = create()) return std::unique_ptr<Office>(office);
        }
        // Typically the office's UNO runtime is not installed; the program then says the office is missing.
        qWarning("Office bridge %s not loaded: %s", qPrintable(path), qPrintable(plugin.errorString()));
    }
    return std::make_unique<UnreachableOffice>();
}
