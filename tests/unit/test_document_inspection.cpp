// Reading a document, without the office, for what it would fetch from outside itself, its password and
// its fonts; and coming back, quickly and empty-handed, from documents made to hurt the reader.
#include <QtTest>

#include <sys/stat.h>

#include "../e2e/OdtWriter.h"
#include "engine/DocumentInspection.h"

namespace {
using Entries = QList<QPair<QByteArray, QByteArray>>;

const QByteArray kOdfNamespaces =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
    "xmlns:script=\"urn:oasis:names:tc:opendocument:xmlns:script:1.0\" "
    "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" "
    "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" xmlns:xforms=\"http://www.w3.org/2002/xforms\" "
    "xmlns:ooo=\"http://openoffice.org/2004/office\" xmlns:library=\"http://openoffice.org/2000/library\"";

QByteArray content(const QByteArray& body, const QByteArray& before = {}) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + before + "<office:document-content " + kOdfNamespaces +
           "><office:body><office:text>" + body + "</office:text></office:body></office:document-content>";
}

QByteArray image(const QByteArray& href) { return "<draw:frame><draw:image xlink:href=\"" + href + "\"/></draw:frame>"; }

QStringList listed(const DocumentInspection& inspection) {
    QStringList lines;
    for (const OutsideReference& r : inspection.outside) lines.append(r.kind + u' ' + r.target);
    return lines;
}

bool isEmpty(const DocumentInspection& inspection) {
    return inspection.outside.isEmpty() && !inspection.passwordProtected && inspection.fonts.isEmpty();
}

// A zip of one entry compressed with deflate.
QByteArray deflatedZip(const QByteArray& name, const QByteArray& data) {
    const QByteArray zlib = qCompress(data, 9);  // 4 bytes of length, then zlib: 2 bytes, deflate, 4 bytes
    const QByteArray deflate = zlib.mid(6, zlib.size() - 10);
    const quint32 crc = odt::crc32(data), packed = quint32(deflate.size()), size = quint32(data.size());
    QByteArray out, directory;
    using odt::le;
    le(out, 0x04034b50, 4); le(out, 20, 2); le(out, 0, 2); le(out, 8, 2); le(out, 0, 2); le(out, 0x21, 2);
    le(out, crc, 4); le(out, packed, 4); le(out, size, 4); le(out, quint32(name.size()), 2); le(out, 0, 2);
    out += name + deflate;
    le(directory, 0x02014b50, 4); le(directory, 20, 2); le(directory, 20, 2); le(directory, 0, 2);
    le(directory, 8, 2); le(directory, 0, 2); le(directory, 0x21, 2); le(directory, crc, 4); le(directory, packed, 4);
    le(directory, size, 4); le(directory, quint32(name.size()), 2); for (int i = 0; i < 4; ++i) le(directory, 0, 2);
    le(directory, 0, 4); le(directory, 0, 4);
    directory += name;
    const quint32 at = quint32(out.size());
    out += directory;
    le(out, 0x06054b50, 4); le(out, 0, 2); le(out, 0, 2); le(out, 1, 2); le(out, 1, 2);
    le(out, quint32(directory.size()), 4); le(out, at, 4); le(out, 0, 2);
    return out;
}

// An OLE compound file of 512-byte sectors: the header, one sector of allocation table, one of directory
// holding the root and the named streams (at most three). `loop` chains the directory sector to itself.
QByteArray compoundFile(const QStringList& streams, bool loop = false) {
    QByteArray header(512, '\0'), table(512, '\xFF'), directory(512, '\0');
    const auto put = [](QByteArray& bytes, int at, quint32 value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    put(header, 24, 0x3E, 2); put(header, 26, 3, 2); put(header, 28, 0xFFFE, 2); put(header, 30, 9, 2);
    put(header, 32, 6, 2); put(header, 44, 1, 4); put(header, 48, 1, 4); put(header, 56, 4096, 4);
    put(header, 60, 0xFFFFFFFE, 4); put(header, 68, 0xFFFFFFFE, 4);
    for (int i = 0; i < 109; ++i) put(header, 76 + 4 * i, i == 0 ? 0 : 0xFFFFFFFF, 4);
    put(table, 0, 0xFFFFFFFD, 4);                       // sector 0: the table itself
    put(table, 4, loop ? 1 : 0xFFFFFFFE, 4);            // sector 1: the directory
    const QStringList names = QStringList{"Root Entry"} + streams;
    for (int e = 0; e < names.size(); ++e) {
        for (int c = 0; c < names[e].size(); ++c) put(directory, 128 * e + 2 * c, names[e][c].unicode(), 2);
        put(directory, 128 * e + 64, quint32(2 * (names[e].size() + 1)), 2);
        directory[128 * e + 66] = char(e == 0 ? 5 : 2);
    }
    return header + table + directory;
}
}  // namespace

class DocumentInspectionTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QByteArray& bytes, const QString& name = "doc.odt") {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) qFatal("cannot write");
        return path;
    }

private slots:
    void odfPackage() {
        const QByteArray body =
            "<text:dde-connection-decls><text:dde-connection-decl office:name=\"L\" office:dde-application=\"soffice\" "
            "office:dde-topic=\"/tmp/other.ods\" office:dde-item=\"Sheet1.A1\"/></text:dde-connection-decls>"
            "<text:p><text:a xlink:href=\"http://example.com/page\">not fetched</text:a></text:p>" +
            image("http://example.com/a.png") + image("file:///etc/b.png") + image("../c.png") +
            image("Pictures/d.png") + image("Pictures/%2e%2e/%2E%2E/e.png") + image("http://example.com/a.png") +
            "<draw:frame><draw:object xlink:href=\"./Object 1\"/></draw:frame>"
            "<text:section text:name=\"S\"><text:section-source xlink:href=\"../chapter.odt\"/></text:section>";
        const QByteArray head =
            "<office:font-face-decls>"
            "<style:font-face style:name=\"Liberation Serif\" svg:font-family=\"'Liberation Serif'\"/>"
            "<style:font-face style:name=\"Noto Sans CJK SC1\" svg:font-family=\"&apos;Noto Sans CJK SC&apos;\"/>"
            "<style:font-face style:name=\"OnlyName\"/></office:font-face-decls>"
            "<office:scripts><office:event-listeners><script:event-listener script:language=\"ooo:script\" "
            "script:event-name=\"dom:load\" xlink:href=\"vnd.sun.star.script:Standard.Module1.Main?language=Basic\"/>"
            "</office:event-listeners></office:scripts>"
            "<office:forms><xforms:model><xforms:instance src=\"http://example.com/data.xml\"/></xforms:model></office:forms>";
        QByteArray document = content(body);
        document.replace("<office:body>", head + "<office:body>");
        const QByteArray styles =
            "<office:document-styles " + kOdfNamespaces + "><office:font-face-decls>"
            "<style:font-face style:name=\"Liberation Serif\" svg:font-family=\"Liberation Serif\"/>"
            "<style:font-face style:name=\"DejaVu Sans\" svg:font-family=\"'DejaVu Sans'\"/></office:font-face-decls>"
            "<office:styles><style:style style:name=\"P\"><style:paragraph-properties>"
            "<style:background-image xlink:href=\"http://example.com/bg.png\"/></style:paragraph-properties>"
            "</style:style></office:styles></office:document-styles>";
        const QByteArray libraries =
            "<library:libraries " + kOdfNamespaces + "><library:library library:name=\"Standard\" library:link=\"false\"/>"
            "<library:library library:name=\"Tools\" xlink:href=\"file:///opt/basic/Tools/script.xlb/\" library:link=\"true\"/>"
            "</library:libraries>";
        const QString path = write(odt::storedZip(
            {{"mimetype", "application/vnd.oasis.opendocument.text"},
             {"content.xml", document},
             {"styles.xml", styles},
             {"Object 1/content.xml", content(image("../Pictures/f.png") + image("../../g.png"))},
             {"Basic/script-lc.xml", libraries},
             {"Basic/Standard/script-lb.xml", "<x/>"},
             {"Basic/Standard/Module1.xml", "<x/>"},
             {"META-INF/manifest.xml", "<manifest:manifest " + kOdfNamespaces + "/>"}}));
        const DocumentInspection inspection = InspectDocument(path);
        QCOMPARE(listed(inspection), (QStringList{"macro vnd.sun.star.script:Standard.Module1.Main?language=Basic",
                                                  "xforms http://example.com/data.xml",
                                                  "dde soffice|/tmp/other.ods|Sheet1.A1",
                                                  "picture http://example.com/a.png",
                                                  "picture file:///etc/b.png",
                                                  "picture ../c.png",
                                                  "picture Pictures/%2e%2e/%2E%2E/e.png",
                                                  "section ../chapter.odt",
                                                  "picture http://example.com/bg.png",
                                                  "picture ../../g.png",
                                                  "macro Basic/Standard",
                                                  "macro file:///opt/basic/Tools/script.xlb/"}));
        QCOMPARE(inspection.fonts, (QStringList{"Liberation Serif", "Noto Sans CJK SC", "OnlyName", "DejaVu Sans"}));
        QVERIFY(!inspection.passwordProtected);
    }

    void flatOdf() {
        // Beside a flat document there is no package: a relative path is a file next to it.
        const QByteArray flat =
            "<?xml version=\"1.0\"?><office:document " + kOdfNamespaces + " office:mimetype=\"application/vnd.oasis.opendocument.text\">"
            "<office:meta><meta:template xlink:href=\"../Templates/letter.ott\"/></office:meta>"
            "<office:scripts><office:script script:language=\"ooo:Basic\"><ooo:libraries>"
            "<ooo:library-embedded ooo:name=\"Standard\"/></ooo:libraries></office:script></office:scripts>"
            "<office:font-face-decls><style:font-face style:name=\"Carlito\" svg:font-family=\"Carlito\"/></office:font-face-decls>"
            "<office:body><office:text>" + image("Pictures/x.png") + image("#inside") +
            "<draw:frame><draw:image><office:binary-data>iVBORw0KGgo=</office:binary-data></draw:image></draw:frame>"
            "</office:text></office:body></office:document>";
        const DocumentInspection inspection = InspectDocument(write(flat, "doc.fodt"));
        QCOMPARE(listed(inspection),
                 (QStringList{"template ../Templates/letter.ott", "macro Basic/Standard", "picture Pictures/x.png"}));
        QCOMPARE(inspection.fonts, QStringList{"Carlito"});
        // Any other XML is no document, whatever its name.
        QByteArray other = flat;
        other.replace("office:document ", "office:document-content ").replace("</office:document>", "</office:document-content>");
        QVERIFY(isEmpty(InspectDocument(write(other, "other.fodt"))));
    }

    void wordPackage() {
        const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
        const QByteArray document =
            "<w:document " + w + "><w:body>"
            // An instruction split over runs, as Word saves it.
            "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> INCLUDEPICTURE </w:instrText></w:r>"
            "<w:r><w:instrText>\"http://example.com/field.png\" \\d</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
            "<w:r><w:t>shown</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>"
            "<w:p><w:fldSimple w:instr=\" INCLUDETEXT &quot;C:\\\\docs\\\\part.docx&quot; \"/></w:p>"
            "<w:p><w:fldSimple w:instr=\"DDEAUTO Excel &quot;C:\\\\x.xls&quot; R1C1 \\h\"/></w:p>"
            "<w:p><w:fldSimple w:instr=\"HYPERLINK &quot;http://example.com/&quot;\"/></w:p>"
            "</w:body></w:document>";
        const QByteArray rels =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
            "Target=\"http://example.com/rel.png\" TargetMode=\"External\"/>"
            "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink\" "
            "Target=\"http://example.com/\" TargetMode=\"External\"/>"
            "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
            "Target=\"media/image1.png\"/></Relationships>";
        const QByteArray settingsRels =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/attachedTemplate\" "
            "Target=\"file:///C:/Templates/Normal.dotm\" TargetMode=\"External\"/></Relationships>";
        const QByteArray fonts = "<w:fonts " + w + "><w:font w:name=\"Calibri\"/><w:font w:name=\"Times New Roman\"/></w:fonts>";
        const DocumentInspection inspection = InspectDocument(write(
            odt::storedZip({{"[Content_Types].xml", "<Types/>"},
                            {"word/_rels/settings.xml.rels", settingsRels},
                            {"word/_rels/document.xml.rels", rels},
                            {"word/document.xml", document},
                            {"word/fontTable.xml", fonts},
                            {"word/vbaProject.bin", "\xD0\xCF\x11\xE0"}}),
            "doc.docx"));
        QCOMPARE(listed(inspection), (QStringList{"picture http://example.com/rel.png",
                                                  "template file:///C:/Templates/Normal.dotm",
                                                  "picture http://example.com/field.png",
                                                  "section C:\\docs\\part.docx",
                                                  "dde Excel|C:\\x.xls|R1C1",
                                                  "macro vbaProject.bin"}));
        QCOMPARE(inspection.fonts, (QStringList{"Calibri", "Times New Roman"}));
    }

    void passwords() {
        const QByteArray manifest =
            "<manifest:manifest " + kOdfNamespaces + "><manifest:file-entry manifest:full-path=\"content.xml\">"
            "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\"/></manifest:file-entry></manifest:manifest>";
        const DocumentInspection odf = InspectDocument(
            write(odt::storedZip({{"META-INF/manifest.xml", manifest}, {"content.xml", "\x8f\x01\xfe garbage"}})));
        QVERIFY(odf.passwordProtected);
        QVERIFY(odf.outside.isEmpty());

        QVERIFY(InspectDocument(write(compoundFile({"EncryptionInfo", "EncryptedPackage"}), "doc.docx")).passwordProtected);
        QVERIFY(isEmpty(InspectDocument(write(compoundFile({"WordDocument", "1Table"}), "doc.doc"))));
        // A directory chained to itself ends at the bound.
        QVERIFY(isEmpty(InspectDocument(write(compoundFile({"WordDocument"}, true), "loop.doc"))));
        QVERIFY(isEmpty(InspectDocument(write(compoundFile({}).left(600), "short.doc"))));
    }

    void hostileDocuments_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QByteArray noise(64 * 1024, '\0');
        QRandomGenerator generator(7);
        for (char& c : noise) c = char(generator.bounded(256));
        QTest::newRow("random bytes") << noise << QStringList();
        QTest::newRow("empty file") << QByteArray() << QStringList();
        const QByteArray odt = odt::storedZip({{"content.xml", content(image("http://example.com/x.png"))}});
        QTest::newRow("truncated zip") << odt.left(odt.size() / 2) << QStringList();
        QTest::newRow("binary content.xml") << odt::storedZip({{"content.xml", noise}}) << QStringList();
        QByteArray lying = odt::storedZip({{"content.xml", content("<text:p/>")}});
        for (const QByteArray& signature : {QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02")}) {
            const int at = lying.indexOf(signature);
            const int field = at + (signature[2] == '\x03' ? 22 : 24);  // the declared uncompressed size
            lying.replace(field, 4, QByteArray("\xF0\xFF\xFF\xFF", 4));
        }
        QTest::newRow("declared size of 4 GiB") << lying << QStringList();
        QTest::newRow("40 MiB inflated past the cap")
            << deflatedZip("content.xml", content(image("http://before/x.png") + "<text:p>" + QByteArray(40 << 20, ' ') +
                                                  "</text:p>" + image("http://after/x.png")))
            << QStringList{"picture http://before/x.png"};
        QByteArray entities = "<!DOCTYPE office:document-content [<!ENTITY a \"aaaaaaaaaa\">";
        for (char e = 'b'; e <= 'j'; ++e) {
            entities += QByteArray("<!ENTITY ") + e + " \"";
            for (int i = 0; i < 10; ++i) entities += QByteArray("&") + char(e - 1) + ";";
            entities += "\">";
        }
        entities += "]>";
        QTest::newRow("billion laughs")
            << odt::storedZip({{"content.xml", content(image("http://before/x.png") + "<text:p>&j;</text:p>" +
                                                           image("http://after/x.png"), entities)}})
            << QStringList{"picture http://before/x.png"};
        const int depth = 200000;
        QTest::newRow("deep nesting")
            << odt::storedZip({{"content.xml", content(QByteArray("<text:span>").repeated(depth) + image("http://deep/x.png") +
                                                       QByteArray("</text:span>").repeated(depth))}})
            << QStringList{"picture http://deep/x.png"};
    }

    void hostileDocuments() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        const QString path = write(bytes);
        QElapsedTimer timer;
        timer.start();
        const DocumentInspection inspection = InspectDocument(path);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed()) + " ms"));
        QCOMPARE(listed(inspection), expected);
    }

    void unreadablePaths() {
        const QString fifo = dir.filePath("pipe.odt");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);  // opening it for reading would wait
        for (const QString& path : {fifo, dir.path(), dir.filePath("missing.odt"), QString()})
            QVERIFY2(isEmpty(InspectDocument(path)), qPrintable(path));
    }
};

QTEST_GUILESS_MAIN(DocumentInspectionTest)
#include "test_document_inspection.moc"
