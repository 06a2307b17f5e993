#pragma once
// Documents that make an office reach outside of them: pictures, styles, sections, objects, fields and
// form data that refer to a URL or a local file, and macros that run on load. Every picture has a size
// of its own, so `pdfimages -list` tells from an output PDF which one the office put there.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QUrl>

#include "OdtWriter.h"

namespace hostile {
inline constexpr QSize ControlSize{16, 16};  // embedded in the control document
inline constexpr QSize ServedSize{41, 19};   // what the loopback server answers with
inline constexpr QSize SecretSize{37, 23};   // the local file no document may pull in
inline const QByteArray SecretText = "SECRET-7F3A-TEXT";
inline const QByteArray MacroMarkerText = "MACRO-RAN";

// A PNG of the given size, striped so that no office reduces it to a plain fill.
inline QByteArray picture(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, (x + y) % 4 < 2 ? colour : qRgb(255, 255, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}
inline QByteArray servedPicture() { return picture(ServedSize, qRgb(0, 90, 200)); }

inline bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

inline QString fileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded); }

struct Entry {
    QByteArray path, mediaType, data;
};

// What a Writer document is made of here; everything but the title is optional.
struct Document {
    QString title{};         // a visible line naming the case, so no output is empty
    QByteArray text{};       // office:text after that line
    QByteArray leading{};    // what office:text must open with: forms, field declarations
    QByteArray styles{};     // office:styles, in styles.xml
    QByteArray scripts{};    // office:scripts (event listeners)
    QByteArray settings{};   // config items of ooo:configuration-settings, in settings.xml
    QList<Entry> entries{};  // further package entries, each listed in the manifest
};

inline const QByteArray Namespaces =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " xmlns:xlink=\"http://www.w3.org/1999/xlink\""
    " xmlns:form=\"urn:oasis:names:tc:opendocument:xmlns:form:1.0\""
    " xmlns:xforms=\"http://www.w3.org/2002/xforms\""
    " xmlns:script=\"urn:oasis:names:tc:opendocument:xmlns:script:1.0\""
    " xmlns:dom=\"http://www.w3.org/2001/xml-events\""
    " xmlns:ooo=\"http://openoffice.org/2004/office\""
    " xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\""
    " xmlns:loext=\"urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0\""
    " office:version=\"1.3\"";

inline QByteArray officeText(const Document& d) {
    return "<office:body><office:text>" + d.leading + "<text:p>" + odt::escaped(d.title) + "</text:p>" + d.text +
           "</office:text></office:body>";
}
inline QByteArray scriptsElement(const Document& d) {
    return d.scripts.isEmpty() ? QByteArray() : "<office:scripts>" + d.scripts + "</office:scripts>";
}
inline QByteArray settingsElement(const Document& d) {
    return d.settings.isEmpty() ? QByteArray()
                                : "<office:settings><config:config-item-set config:name=\"ooo:configuration-settings\">" +
                                      d.settings + "</config:config-item-set></office:settings>";
}

inline bool writeOdt(const QString& path, const Document& d) {
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    QList<Entry> entries{{"content.xml", "text/xml",
                          xml + "<office:document-content" + Namespaces + ">" + scriptsElement(d) + officeText(d) +
                              "</office:document-content>"}};
    if (!d.styles.isEmpty())
        entries.append({"styles.xml", "text/xml",
                        xml + "<office:document-styles" + Namespaces + "><office:styles>" + d.styles +
                            "</office:styles></office:document-styles>"});
    if (!d.settings.isEmpty())
        entries.append({"settings.xml", "text/xml",
                        xml + "<office:document-settings" + Namespaces + ">" + settingsElement(d) + "</office:document-settings>"});
    entries += d.entries;
    const QByteArray mimetype = "application/vnd.oasis.opendocument.text";
    QByteArray manifest = xml + "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
                                "manifest:version=\"1.3\"><manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"" +
                          mimetype + "\"/>";
    QList<QPair<QByteArray, QByteArray>> zip{{"mimetype", mimetype}};
    for (const Entry& e : entries) {
        manifest += "<manifest:file-entry manifest:full-path=\"" + e.path + "\" manifest:media-type=\"" + e.mediaType + "\"/>";
        zip.append({e.path, e.data});
    }
    zip.append({"META-INF/manifest.xml", manifest + "</manifest:manifest>"});
    return writeFile(path, odt::storedZip(zip));
}

// The same document as one flat XML file (.fodt); package entries have no place there.
inline bool writeFlat(const QString& path, const Document& d) {
    return writeFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document" + Namespaces +
                               " office:mimetype=\"application/vnd.oasis.opendocument.text\">" + settingsElement(d) + scriptsElement(d) +
                               (d.styles.isEmpty() ? QByteArray() : "<office:styles>" + d.styles + "</office:styles>") +
                               officeText(d) + "</office:document>");
}

// A frame in its own paragraph, as large as the picture it is meant to show.
inline QByteArray frame(const QByteArray& inner) {
    return "<text:p><draw:frame draw:name=\"Frame\" text:anchor-type=\"as-char\" svg:width=\"4cm\" svg:height=\"2cm\">" +
           inner + "</draw:frame></text:p>";
}
inline QByteArray linkAttributes(const QString& href) {
    return "xlink:href=\"" + odt::escaped(href) + "\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"";
}
inline Document linkedPictureDocument(const QString& href) {
    return {QStringLiteral("linked picture"), frame("<draw:image " + linkAttributes(href) + "/>")};
}

// The files a hostile document goes after, in dir: secret.png, secret.txt, and secret.odt whose text
// is also the bookmark "Secret" (what a DDE link names).
struct Secrets {
    QString picture, text, document;
};
inline Secrets writeSecrets(const QString& dir) {
    QDir().mkpath(dir);
    const Secrets s{dir + QStringLiteral("/secret.png"), dir + QStringLiteral("/secret.txt"), dir + QStringLiteral("/secret.odt")};
    writeFile(s.picture, picture(SecretSize, qRgb(200, 30, 30)));
    writeFile(s.text, SecretText + "\n");
    writeOdt(s.document, {QStringLiteral("secret document"),
                          "<text:p><text:bookmark-start text:name=\"Secret\"/>" + SecretText +
                              "<text:bookmark-end text:name=\"Secret\"/></text:p>"});
    return s;
}

// The control: its picture is inside the package, so showing it needs nothing from outside.
inline bool embeddedPicture(const QString& path) {
    Document d{QStringLiteral("embedded picture"), frame("<draw:image " + linkAttributes(QStringLiteral("Pictures/control.png")) + "/>")};
    d.entries.append({"Pictures/control.png", "image/png", picture(ControlSize, qRgb(0, 150, 60))});
    return writeOdt(path, d);
}

// A picture linked, not embedded: a URL, a file URL, or a path relative to the document.
inline bool linkedPicture(const QString& path, const QString& href) { return writeOdt(path, linkedPictureDocument(href)); }
inline bool flatLinkedPicture(const QString& path, const QString& href) { return writeFlat(path, linkedPictureDocument(href)); }

// Where a paragraph style takes its background picture from: the older background-image element, or
// the bitmap fill Writer writes now. (Fill attributes on paragraph-properties are not read at all.)
enum class Background { Image, Fill };
inline bool backgroundPicture(const QString& path, const QString& url, Background kind) {
    Document d{QStringLiteral("paragraph background"),
               "<text:p text:style-name=\"Remote\">a paragraph with a background picture</text:p>"};
    d.styles = kind == Background::Image
                   ? "<style:style style:name=\"Remote\" style:family=\"paragraph\"><style:paragraph-properties>"
                     "<style:background-image " + linkAttributes(url) + "/></style:paragraph-properties></style:style>"
                   : "<draw:fill-image draw:name=\"Remote\" " + linkAttributes(url) + "/>"
                     "<style:style style:name=\"Remote\" style:family=\"paragraph\"><loext:graphic-properties "
                     "draw:fill=\"bitmap\" draw:fill-image-name=\"Remote\" style:repeat=\"stretch\"/></style:style>";
    return writeOdt(path, d);
}

// A form model whose instance data is to be loaded from the URL.
inline bool xformsInstance(const QString& path, const QString& url) {
    Document d{QStringLiteral("xforms instance")};
    d.leading = "<office:forms form:automatic-focus=\"false\" form:apply-design-mode=\"false\">"
                "<xforms:model id=\"Model\"><xforms:instance id=\"Instance\" src=\"" + odt::escaped(url) +
                "\"/></xforms:model></office:forms>";
    return writeOdt(path, d);
}

// What a hostile document asks for: its links updated on load without asking. Writer 7.4 overrules
// this for untrusted documents, but a document must not rely on that.
inline const QByteArray UpdateLinksAlways =
    "<config:config-item config:name=\"LinkUpdateMode\" config:type=\"short\">2</config:config-item>";

// A section whose text comes from the linked file; its cached copy differs from that file.
inline bool linkedSection(const QString& path, const QString& href) {
    Document d{QStringLiteral("linked section"),
               "<text:section text:name=\"Linked\"><text:section-source xlink:href=\"" + odt::escaped(href) +
                   "\" xlink:type=\"simple\"/><text:p>cached section text</text:p></text:section>"};
    d.settings = UpdateLinksAlways;
    return writeOdt(path, d);
}

// An object linked to a file or URL instead of embedded.
inline bool oleLink(const QString& path, const QString& href) {
    Document d{QStringLiteral("linked object"), frame("<draw:object " + linkAttributes(href) + "/>")};
    d.settings = UpdateLinksAlways;
    return writeOdt(path, d);
}

// A DDE field; the office serves its own application name, "soffice", by loading the topic document.
inline bool ddeField(const QString& path, const QString& topic, const QString& item,
                     const QString& application = QStringLiteral("soffice")) {
    Document d{QStringLiteral("dde field"),
               "<text:p><text:dde-connection text:connection-name=\"Link\">cached field text</text:dde-connection></text:p>"};
    d.leading = "<text:dde-connection-decls><text:dde-connection-decl office:name=\"Link\" office:dde-application=\"" +
                odt::escaped(application) + "\" office:dde-topic=\"" + odt::escaped(topic) + "\" office:dde-item=\"" +
                odt::escaped(item) + "\" office:automatic-update=\"true\"/></text:dde-connection-decls>";
    d.settings = UpdateLinksAlways;
    return writeOdt(path, d);
}

// A document event (dom:load is Writer's "OnLoad") bound to a script of the document's own.
inline QByteArray eventListener(const QByteArray& event, const QString& script) {
    return "<office:event-listeners><script:event-listener script:language=\"ooo:script\" script:event-name=\"" + event +
           "\" xlink:href=\"" + odt::escaped(script) + "\" xlink:type=\"simple\"/></office:event-listeners>";
}

// A Basic macro, run on load, that writes MacroMarkerText to marker.
inline bool basicMacro(const QString& path, const QString& marker, const QByteArray& event = "dom:load") {
    const QString quoted = QString(marker).replace(QLatin1Char('"'), QStringLiteral("\"\""));
    const QString code = QStringLiteral("Sub Main\n  Dim n As Integer\n  n = FreeFile\n  Open \"%1\" For Output As #n\n"
                                        "  Print #n, \"%2\"\n  Close #n\nEnd Sub\n")
                             .arg(quoted, QString::fromLatin1(MacroMarkerText));
    const QByteArray library = "xmlns:library=\"http://openoffice.org/2000/library\"";
    Document d{QStringLiteral("basic macro")};
    d.scripts = eventListener(event, QStringLiteral("vnd.sun.star.script:Standard.Module1.Main?language=Basic&location=document"));
    d.entries = {
        {"Basic/script-lc.xml", "text/xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><library:libraries " + library +
             " xmlns:xlink=\"http://www.w3.org/1999/xlink\"><library:library library:name=\"Standard\" "
             "library:link=\"false\"/></library:libraries>"},
        {"Basic/Standard/script-lb.xml", "text/xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><library:library " + library +
             " library:name=\"Standard\" library:readonly=\"false\" library:passwordprotected=\"false\">"
             "<library:element library:name=\"Module1\"/></library:library>"},
        {"Basic/Standard/Module1.xml", "text/xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><script:module xmlns:script=\"http://openoffice.org/2000/script\" "
         "script:name=\"Module1\" script:language=\"StarBasic\" script:moduleType=\"normal\">" +
             odt::escaped(code) + "</script:module>"}};
    return writeOdt(path, d);
}

// The same in Python; it runs only where the office has its Python script provider.
inline bool pythonMacro(const QString& path, const QString& marker, const QByteArray& event = "dom:load") {
    const QByteArray quoted = QString(marker).replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                                  .replace(QLatin1Char('\''), QStringLiteral("\\'")).toUtf8();
    Document d{QStringLiteral("python macro")};
    d.scripts = eventListener(event, QStringLiteral("vnd.sun.star.script:x.py$main?language=Python&location=document"));
    d.entries = {{"Scripts/python/x.py", "",
                  "def main(*args):\n    with open('" + quoted + "', 'w') as f:\n        f.write('" + MacroMarkerText +
                      "')\n\ng_exportedScripts = (main,)\n"}};
    return writeOdt(path, d);
}

// A Word document whose picture is an external relationship, fetched from target.
inline bool docxExternalPicture(const QString& path, const QString& target) {
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    const QByteArray rels = "http://schemas.openxmlformats.org/package/2006/relationships";
    const QByteArray officeRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray extent = "cx=\"1440000\" cy=\"720000\"";
    const QByteArray document =
        xml + "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" xmlns:r=\"" + officeRels +
        "\" xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><w:body>"
        "<w:p><w:r><w:t>docx external picture</w:t></w:r></w:p>"
        "<w:p><w:r><w:drawing><wp:inline><wp:extent " + extent + "/><wp:docPr id=\"1\" name=\"Picture\"/>"
        "<a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic>"
        "<pic:nvPicPr><pic:cNvPr id=\"1\" name=\"Picture\"/><pic:cNvPicPr/></pic:nvPicPr>"
        "<pic:blipFill><a:blip r:link=\"rIdPicture\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
        "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext " + extent + "/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/>"
        "</a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>"
        "</w:body></w:document>";
    return writeFile(path, odt::storedZip({
        {"[Content_Types].xml",
         xml + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
               "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
               "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
               "<Override PartName=\"/word/document.xml\" "
               "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
        {"_rels/.rels", xml + "<Relationships xmlns=\"" + rels + "\"><Relationship Id=\"rId1\" Type=\"" + officeRels +
                            "/officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml", document},
        {"word/_rels/document.xml.rels",
         xml + "<Relationships xmlns=\"" + rels + "\"><Relationship Id=\"rIdPicture\" Type=\"" + officeRels +
             "/image\" Target=\"" + odt::escaped(target) + "\" TargetMode=\"External\"/></Relationships>"}}));
}
}  // namespace hostile
