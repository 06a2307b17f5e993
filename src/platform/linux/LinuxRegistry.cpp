#include "LinuxRegistry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <optional>

namespace {

class IniKey : public RegistryKey {
public:
    explicit IniKey(QString file) : file_(std::move(file)) {}

    bool setString(const QString& name, const QString& data) override {
        if (name.isEmpty() || name.contains(QLatin1Char('=')) || HasLineBreakOrNul(name) || HasLineBreakOrNul(data))
            return false;
        return rewrite(name, name + QLatin1Char('=') + data);
    }

    bool deleteValue(const QString& name) override { return rewrite(name, {}); }

    QStringList valueNames() override {
        QStringList names;
        for (const QString& line : lines().value_or(QStringList())) names << line.section(QLatin1Char('='), 0, 0);
        return names;
    }

private:
    // The file's lines; nothing when it exists but cannot be read.
    std::optional<QStringList> lines() const {
        QFile current(file_);
        if (current.open(QIODevice::ReadOnly))
            return QString::fromUtf8(current.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (current.exists()) return std::nullopt;
        return QStringList();
    }

    // The whole file is rewritten through a temporary file and a rename, so a reader sees the old
    // values or the new ones, never half a file. The named value's line becomes `line` (none when
    // empty); the lines of the other values are kept as they were.
    bool rewrite(const QString& name, const QString& line) {
        std::optional<QStringList> kept = lines();
        if (!kept) return false;  // unreadable: rewriting it would lose its other values
        kept->removeIf([&](const QString& l) {
            return l.section(QLatin1Char('='), 0, 0).compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!line.isEmpty()) *kept << line;
        QSaveFile out(file_);
        if (!out.open(QIODevice::WriteOnly)) return false;
        out.write((kept->join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        return out.commit();
    }

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
