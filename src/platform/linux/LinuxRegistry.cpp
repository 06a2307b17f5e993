#include "LinuxRegistry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

class IniKey : public RegistryKey {
public:
    explicit IniKey(QString file) : file_(std::move(file)) {}

    // The whole file is rewritten through a temporary file and a rename, so a reader sees the
    // old values or the new ones, never half a file. Lines of other values are kept as they were.
    bool setString(const QString& name, const QString& data) override {
        if (name.isEmpty() || name.contains(QLatin1Char('=')) || HasLineBreakOrNul(name) || HasLineBreakOrNul(data))
            return false;
        QStringList lines;
        QFile current(file_);
        if (current.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromUtf8(current.readAll());
            lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        } else if (current.exists()) {
            return false;  // unreadable: rewriting it would lose its other values
        }
        lines.removeIf([&](const QString& line) {
            return line.section(QLatin1Char('='), 0, 0).compare(name, Qt::CaseInsensitive) == 0;
        });
        lines << name + QLatin1Char('=') + data;
        QSaveFile out(file_);
        if (!out.open(QIODevice::WriteOnly)) return false;
        out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        return out.commit();
    }

private:
    static bool HasLineBreakOrNul(const QString& text) {
        return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QChar(0));
    }
    QString file_;
};

// The folder of a key, or the empty text for a key that has no place here.
QString KeyFolder(const QString& subkey) {
    QStringList parts = subkey.split(QLatin1Char('\\'));
    if (parts.size() < 2 || parts.takeFirst().compare(QStringLiteral("Software"), Qt::CaseInsensitive) != 0) return {};
    for (const QString& part : parts)
        if (part.isEmpty() || part == QStringLiteral(".") || part == QStringLiteral("..") ||
            part.contains(QLatin1Char('/')) || part.contains(QChar(0)))
            return {};
    return QDir::homePath() + QStringLiteral("/.config/") + parts.join(QLatin1Char('/'));
}

}  // namespace

std::unique_ptr<RegistryKey> LinuxRegistry::createKey(const QString& subkey) {
    const QString folder = KeyFolder(subkey);
    if (folder.isEmpty() || !QDir().mkpath(folder)) return nullptr;
    return std::make_unique<IniKey>(folder + QStringLiteral("/registry.ini"));
}
