#include "PdfNames.h"

#include "engine/PathHelpers.h"

namespace {
const QString PdfSuffix = QStringLiteral(".pdf");
// The classic cut of the whole path to 251 characters kept it within the path limit; here the limit
// that matters is 255 bytes for one name, so the name is cut to fit with its ".pdf".
constexpr qsizetype NameBytes = 255;

// The longest start of text that takes at most `bytes` bytes in UTF-8, cut between characters.
QString fitBytes(const QString& text, qsizetype bytes) {
    qsizetype used = 0, end = 0;
    while (end < text.size()) {
        const qsizetype length = text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const qsizetype size = QStringView(text).mid(end, length).toUtf8().size();
        if (used + size > bytes) break;
        used += size;
        end += length;
    }
    return text.left(end);
}
}  // namespace

QString CleanPdfName(QString name) {
    for (const QChar c : QStringLiteral("<>/\\*:?|")) name.replace(c, QLatin1Char(' '));
    for (const QChar c : QStringLiteral("'\"#\r\n")) name.remove(c);
    return name;
}

QString TrimSpaces(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' ')) ++first;
    while (last > first && text[last - 1] == QLatin1Char(' ')) --last;
    return text.mid(first, last - first);
}

QString PdfPath(const QString& folder, const QString& name, const QSet<QString>& keep) {
    for (int copy = 1;; ++copy) {
        const QString mark = copy == 1 ? QString() : QStringLiteral(" (%1)").arg(copy);
        const qsizetype room = NameBytes - PdfSuffix.size() - mark.toUtf8().size();
        const QString path = NormalizePath(folder + QLatin1Char('/') + fitBytes(name, room) + mark + PdfSuffix);
        if (!keep.contains(path)) return path;
    }
}

QString PrintOutName(const QDateTime& now, int position) {
    return QStringLiteral("PrintOut") + now.toString(QStringLiteral("yyyyMMddhhmmss")) + QString::number(position);
}
