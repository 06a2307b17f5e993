#pragma once
// Writes small real Writer documents (.odt: a stored zip with the ODF parts) for end-to-end tests.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace odt {
inline quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void le(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(char((value >> (8 * i)) & 0xFF));
}

// A zip archive whose entries are stored uncompressed, in the given order.
inline QByteArray storedZip(const QList<QPair<QByteArray, QByteArray>>& entries) {
    QByteArray out, directory;
    for (const auto& [name, data] : entries) {
        const quint32 offset = quint32(out.size()), crc = crc32(data), size = quint32(data.size());
        QByteArray header;
        le(header, 0x04034b50, 4); le(header, 20, 2); le(header, 0, 2); le(header, 0, 2);
        le(header, 0, 2); le(header, 0x21, 2); le(header, crc, 4); le(header, size, 4); le(header, size, 4);
        le(header, quint32(name.size()), 2); le(header, 0, 2);
        out += header + name + data;
        le(directory, 0x02014b50, 4); le(directory, 20, 2); le(directory, 20, 2); le(directory, 0, 2);
        le(directory, 0, 2); le(directory, 0, 2); le(directory, 0x21, 2); le(directory, crc, 4);
        le(directory, size, 4); le(directory, size, 4); le(directory, quint32(name.size()), 2);
        le(directory, 0, 2); le(directory, 0, 2); le(directory, 0, 2); le(directory, 0, 2); le(directory, 0, 4);
        le(directory, offset, 4);
        directory += name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    le(out, 0x06054b50, 4); le(out, 0, 2); le(out, 0, 2); le(out, quint32(entries.size()), 2);
    le(out, quint32(entries.size()), 2); le(out, quint32(directory.size()), 4); le(out, directoryOffset, 4);
    le(out, 0, 2);
    return out;
}

inline QByteArray escaped(const QString& text) { return text.toHtmlEscaped().toUtf8(); }

enum class Pages { Flowing, OneParagraphEach };

// A Writer document holding the paragraphs, on one page unless each paragraph asks for a page of its
// own. settings, when given, is the body of the document's config:config-set (e.g. a printer of its own).
inline bool write(const QString& path, const QStringList& paragraphs, const QByteArray& settings = {},
                  Pages pages = Pages::Flowing) {
    const QByteArray style = pages == Pages::OneParagraphEach ? " text:style-name=\"Page\"" : "";
    QByteArray body;
    for (const QString& p : paragraphs) body += "<text:p" + style + ">" + escaped(p) + "</text:p>";
    const QByteArray content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" office:version=\"1.3\">"
        "<office:automatic-styles><style:style style:name=\"Page\" style:family=\"paragraph\">"
        "<style:paragraph-properties fo:break-before=\"page\"/></style:style></office:automatic-styles>"
        "<office:body><office:text>" + body + "</office:text></office:body></office:document-content>";
    const QByteArray manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.3\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>" +
        QByteArray(settings.isEmpty() ? "" : "<manifest:file-entry manifest:full-path=\"settings.xml\" manifest:media-type=\"text/xml\"/>") +
        "</manifest:manifest>";
    QList<QPair<QByteArray, QByteArray>> entries{{"mimetype", "application/vnd.oasis.opendocument.text"},
                                                 {"content.xml", content},
                                                 {"META-INF/manifest.xml", manifest}};
    if (!settings.isEmpty())
        entries.append({"settings.xml",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                        "<office:document-settings xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                        "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\" office:version=\"1.3\">"
                        "<office:settings><config:config-item-set config:name=\"ooo:configuration-settings\">" +
                            settings + "</config:config-item-set></office:settings></office:document-settings>"});
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(storedZip(entries)) > 0;
}

// The document's own printer setting, as Writer stores it.
inline QByteArray printerSetting(const QString& queue) {
    return "<config:config-item config:name=\"PrinterName\" config:type=\"string\">" + escaped(queue) +
           "</config:config-item>";
}
}  // namespace odt
