#include "engine/DocumentInspection.h"

#include <QFile>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>

namespace {
constexpr qint64 PartCap = 32ll << 20;       // uncompressed bytes read of one part
constexpr qint64 DocumentCap = 128ll << 20;  // of all parts together, so that many parts add up to no more
constexpr zip_int64_t EntryCap = 10000;
constexpr int ReferenceCap = 1000;
constexpr int FontCap = 1000;
constexpr int FieldDepthCap = 64;
constexpr int FieldCodeCap = 8192;
constexpr int DirectorySectorCap = 4096;

const QString Picture = QStringLiteral("picture"), Section = QStringLiteral("section"),
              Object = QStringLiteral("object"), Frame = QStringLiteral("frame"), XForms = QStringLiteral("xforms"),
              Dde = QStringLiteral("dde"), Macro = QStringLiteral("macro"), Template = QStringLiteral("template");

class Report {
public:
    void outside(const QString& kind, const QString& target) {
        if (target.isEmpty() || result.outside.size() >= ReferenceCap) return;
        const QString key = kind + QChar(0) + target;
        if (seenOutside.contains(key)) return;
        seenOutside.insert(key);
        result.outside.append({kind, target});
    }
    void font(const QString& name) {
        if (name.isEmpty() || result.fonts.size() >= FontCap || seenFonts.contains(name)) return;
        seenFonts.insert(name);
        result.fonts.append(name);
    }
    DocumentInspection result;

private:
    QSet<QString> seenOutside, seenFonts;
};

qint64 readAt(int fd, qint64 offset, char* data, qint64 size) {
    for (;;) {
        const ssize_t got = ::pread(fd, data, size_t(size), off_t(offset));
        if (got >= 0 || errno != EINTR) return got;
    }
}

using Feed = std::function<qint64(char* data, qint64 size)>;  // the next bytes; 0 at the end, < 0 on error
using OnToken = std::function<bool(const QXmlStreamReader&)>;  // false: read no further

// Parses XML chunk by chunk as `feed` gives it, up to `cap` bytes; stops at the first error. What was read
// before a cap or an error still counts: the office reads those references too.
void parseXml(const Feed& feed, qint64 cap, const OnToken& onToken) {
    QXmlStreamReader xml;  // resolves no external entities, and limits the expansion of internal ones
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 taken = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::Invalid) {
            if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) return;
            const qint64 got = taken < cap ? feed(chunk.data(), qMin<qint64>(chunk.size(), cap - taken)) : 0;
            if (got <= 0) return;
            taken += got;
            xml.addData(QByteArray(chunk.constData(), got));
            continue;
        }
        if (token == QXmlStreamReader::EndDocument || !onToken(xml)) return;
    }
}

enum class Ns { Other, Office, Style, Text, Draw, Svg, Script, Meta, Form, Manifest, XLink, XForms, Ooo, Library, Word };

Ns namespaceOf(QStringView uri) {
    static const QString oasis = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:");
    if (uri.startsWith(oasis)) {
        // Any version of an ODF namespace counts: reading too much costs nothing, missing one hides a reference.
        QStringView name = uri.mid(oasis.size());
        name = name.left(name.lastIndexOf(u':'));
        if (name == u"office") return Ns::Office;
        if (name == u"style") return Ns::Style;
        if (name == u"text") return Ns::Text;
        if (name == u"drawing") return Ns::Draw;
        if (name == u"svg-compatible") return Ns::Svg;
        if (name == u"script") return Ns::Script;
        if (name == u"meta") return Ns::Meta;
        if (name == u"form") return Ns::Form;
        if (name == u"manifest") return Ns::Manifest;
        return Ns::Other;
    }
    if (uri == u"http://www.w3.org/1999/xlink") return Ns::XLink;
    if (uri == u"http://www.w3.org/2002/xforms") return Ns::XForms;
    if (uri == u"http://openoffice.org/2004/office") return Ns::Ooo;
    if (uri == u"http://openoffice.org/2000/library") return Ns::Library;
    if (uri == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
        uri == u"http://purl.oclc.org/ooxml/wordprocessingml/main")
        return Ns::Word;
    return Ns::Other;
}

// Ns::Other also stands for no namespace, as on OOXML relationships and xforms:instance/@src.
QString attribute(const QXmlStreamAttributes& attributes, Ns ns, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name && namespaceOf(a.namespaceUri()) == ns) return a.value().toString();
    return {};
}

bool startsWithScheme(QStringView url) {
    for (qsizetype i = 0; i < url.size(); ++i) {
        const char16_t c = url[i].unicode();
        if (c == u':') return i > 0;
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        const bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!letter && (i == 0 || !other)) return false;
    }
    return false;
}

// Whether an href names a part of the package itself, resolved from the folder of the part that names it
// ("" for the package's root, "Object 1/" in an embedded object). A flat document has no package: there
// every path leads outside.
bool insidePackage(const QString& href, const QString& folder, bool packaged) {
    // Classified as a forgiving URL parser would read it: "%2e%2e/", "..\", " http:" all lead outside.
    QString url;
    for (const QChar c : QUrl::fromPercentEncoding(href.toUtf8()))
        if (c > u' ') url += c == u'\\' ? u'/' : c;
    if (url.startsWith(u'#')) return true;  // a place in this document
    if (url.startsWith(QLatin1String("vnd.sun.star.package:"), Qt::CaseInsensitive)) return true;
    if (startsWithScheme(url) || !packaged || url.startsWith(u'/')) return false;
    qsizetype end = 0;
    while (end < url.size() && url[end] != u'?' && url[end] != u'#') ++end;
    const QString path = folder + url.left(end);
    int depth = 0;
    for (const QStringView segment : QStringView(path).split(u'/')) {
        if (segment == u"..") {
            if (--depth < 0) return false;
        } else if (!segment.isEmpty() && segment != u".") {
            ++depth;
        }
    }
    return true;
}

QString unquoted(QString text) {
    text = text.trimmed();
    if (text.size() >= 2 && (text.front() == u'\'' || text.front() == u'"') && text.back() == text.front())
        text = text.mid(1, text.size() - 2).trimmed();
    return text;
}

// One ODF XML stream: a part of a package, or a whole flat document.
class OdfReader {
public:
    OdfReader(Report& report, QString folder, bool packaged)
        : report(report), folder(std::move(folder)), packaged(packaged) {}

    bool token(const QXmlStreamReader& xml) {
        if (xml.isStartElement()) {
            // A flat document is one only when its root says so.
            if (!packaged && !rootSeen && (namespaceOf(xml.namespaceUri()) != Ns::Office || xml.name() != u"document"))
                return false;
            rootSeen = true;
            start(xml);
        } else if (xml.isEndElement()) {
            if (!listeners.isEmpty()) listeners.removeLast();
            if (xformsModels > 0 && namespaceOf(xml.namespaceUri()) == Ns::XForms && xml.name() == u"model")
                --xformsModels;
        }
        return true;
    }

private:
    void link(const QString& kind, const QString& href) {
        if (!href.trimmed().isEmpty() && !insidePackage(href, folder, packaged)) report.outside(kind, href);
    }

    void start(const QXmlStreamReader& xml) {
        const Ns ns = namespaceOf(xml.namespaceUri());
        const QStringView name = xml.name();
        const QXmlStreamAttributes& a = xml.attributes();
        const QString href = attribute(a, Ns::XLink, u"href");
        const bool underListeners = !listeners.isEmpty() && listeners.last();
        listeners.append(ns == Ns::Office && name == u"event-listeners");

        if (underListeners) {  // every event listener runs something: a script, or a URL
            QString target = href;
            if (target.isEmpty()) target = attribute(a, Ns::Script, u"macro-name");
            if (target.isEmpty()) target = attribute(a, Ns::Script, u"event-name");
            if (target.isEmpty()) target = xml.qualifiedName().toString();
            report.outside(Macro, target);
        }
        switch (ns) {
        case Ns::Draw:
            if (name == u"image" || name == u"fill-image") link(Picture, href);
            else if (name == u"object" || name == u"object-ole" || name == u"plugin") link(Object, href);
            else if (name == u"floating-frame") link(Frame, href);
            else if (name == u"applet") {
                // Without a code base the applet's class comes from beside the document.
                if (href.isEmpty()) report.outside(Object, attribute(a, Ns::Draw, u"code"));
                else link(Object, href);
            }
            break;
        case Ns::Style:
            if (name == u"background-image") link(Picture, href);
            else if (name == u"font-face") {
                const QString family = unquoted(attribute(a, Ns::Svg, u"font-family"));
                report.font(family.isEmpty() ? attribute(a, Ns::Style, u"name") : family);
            }
            break;
        case Ns::Text:
            if (name == u"list-level-style-image") link(Picture, href);
            else if (name == u"section-source") link(Section, href);
            else if (name == u"dde-connection-decl") dde(a);
            break;
        case Ns::Office:
            if (name == u"dde-source") dde(a);
            break;
        case Ns::XForms:
            if (name == u"model") ++xformsModels;
            else if (name == u"instance" && xformsModels > 0) link(XForms, attribute(a, Ns::Other, u"src"));
            break;
        case Ns::Script:
            if (name == u"event-listener" && !underListeners)
                report.outside(Macro, href.isEmpty() ? attribute(a, Ns::Script, u"macro-name") : href);
            break;
        case Ns::Ooo:  // Basic libraries as a flat document holds them
            if (name == u"library-embedded") {
                const QString library = attribute(a, Ns::Ooo, u"name");
                report.outside(Macro, library.isEmpty() ? QStringLiteral("Basic") : "Basic/" + library);
            } else if (name == u"library-linked") {
                report.outside(Macro, href);
            }
            break;
        case Ns::Meta:
            if (name == u"template") link(Template, href);  // the office checks its template for changes
            break;
        case Ns::Form:
            link(Picture, attribute(a, Ns::Form, u"image-data"));
            break;
        default:
            break;
        }
    }

    void dde(const QXmlStreamAttributes& a) {
        const QString application = attribute(a, Ns::Office, u"dde-application"),
                      topic = attribute(a, Ns::Office, u"dde-topic"), item = attribute(a, Ns::Office, u"dde-item");
        if (!application.isEmpty() || !topic.isEmpty() || !item.isEmpty())
            report.outside(Dde, application + u'|' + topic + u'|' + item);
    }

    Report& report;
    const QString folder;
    const bool packaged;
    bool rootSeen = false;
    QList<bool> listeners;  // per open element: whether it is office:event-listeners
    int xformsModels = 0;
};

struct FieldArgument {
    QString text;
    bool quoted = false;
};

// A field instruction's words; in quotes, "\\" stands for "\" and "\"" for a quote.
QList<FieldArgument> fieldArguments(QStringView code) {
    QList<FieldArgument> arguments;
    qsizetype i = 0;
    while (i < code.size()) {
        if (code[i].isSpace()) {
            ++i;
            continue;
        }
        FieldArgument argument;
        if (code[i] == u'"') {
            argument.quoted = true;
            for (++i; i < code.size() && code[i] != u'"'; ++i) {
                if (code[i] == u'\\' && i + 1 < code.size() && (code[i + 1] == u'\\' || code[i + 1] == u'"')) ++i;
                argument.text += code[i];
            }
            ++i;
        } else {
            while (i < code.size() && !code[i].isSpace()) argument.text += code[i++];
        }
        arguments.append(argument);
    }
    return arguments;
}

// The parts of an OOXML word-processing package: relationships, and the field instructions and fonts of
// the XML parts. A field's instruction may be split over several runs, so it is collected between the
// field's begin and separate (or end) marks.
class WordReader {
public:
    explicit WordReader(Report& report) : report(report) {}

    bool relationship(const QXmlStreamReader& xml) {
        if (!xml.isStartElement() || xml.name() != u"Relationship") return true;
        const QXmlStreamAttributes& a = xml.attributes();
        if (attribute(a, Ns::Other, u"TargetMode").compare(u"External", Qt::CaseInsensitive) != 0) return true;
        const QString type = attribute(a, Ns::Other, u"Type");
        const QStringView last = QStringView(type).mid(type.lastIndexOf(u'/') + 1);
        if (last == u"hyperlink") return true;  // followed only when clicked
        const QString& kind = last == u"image"            ? Picture
                              : last == u"subDocument"      ? Section
                              : last == u"attachedTemplate" ? Template
                              : last == u"frame"            ? Frame
                                                            : Object;
        report.outside(kind, attribute(a, Ns::Other, u"Target"));
        return true;
    }

    bool part(const QXmlStreamReader& xml) {
        if (xml.isCharacters()) {
            if (inInstruction) {
                QString& code = fields.isEmpty() || deeperFields > 0 ? loose : fields.last().code;
                if (code.size() < FieldCodeCap) code += xml.text().left(FieldCodeCap - code.size());
            }
            return true;
        }
        if (!xml.isStartElement() && !xml.isEndElement()) return true;
        if (namespaceOf(xml.namespaceUri()) != Ns::Word) return true;
        const QStringView name = xml.name();
        if (xml.isEndElement()) {
            if (name == u"instrText") {
                inInstruction = false;
                field(loose);
                loose.clear();
            }
            return true;
        }
        const QXmlStreamAttributes& a = xml.attributes();
        if (name == u"instrText") {
            inInstruction = true;
        } else if (name == u"fldSimple") {
            field(attribute(a, Ns::Word, u"instr"));
        } else if (name == u"font") {
            report.font(attribute(a, Ns::Word, u"name"));
        } else if (name == u"fldChar") {
            const QString type = attribute(a, Ns::Word, u"fldCharType");
            if (type == u"begin") {
                if (fields.size() < FieldDepthCap) fields.append(Field());
                else ++deeperFields;
            } else if ((type == u"separate" || type == u"end") && deeperFields == 0 && !fields.isEmpty()) {
                if (!fields.last().read) field(fields.last().code);
                fields.last().read = true;
                if (type == u"end") fields.removeLast();
            } else if (type == u"end" && deeperFields > 0) {
                --deeperFields;
            }
        }
        return true;
    }

private:
    void field(const QString& code) {
        QList<FieldArgument> arguments = fieldArguments(code);
        if (arguments.isEmpty() || arguments.first().quoted) return;
        const QString name = arguments.takeFirst().text.toUpper();
        arguments.removeIf([](const FieldArgument& a) { return !a.quoted && a.text.startsWith(u'\\'); });  // switches
        if (arguments.isEmpty()) return;
        if (name == u"DDE" || name == u"DDEAUTO") {
            QStringList words;
            for (const FieldArgument& a : arguments.mid(0, 3)) words.append(a.text);
            report.outside(Dde, words.join(u'|'));
            return;
        }
        const QString& kind = name == u"INCLUDEPICTURE" ? Picture
                              : name == u"INCLUDETEXT"  ? Section
                              : name == u"LINK"         ? Object
                                                        : QString();
        if (kind.isEmpty()) return;
        // The file is the quoted word (LINK names its program first, unquoted).
        const auto quoted = std::find_if(arguments.cbegin(), arguments.cend(), [](const FieldArgument& a) { return a.quoted; });
        report.outside(kind, quoted != arguments.cend() ? quoted->text : arguments.first().text);
    }

    struct Field {
        QString code;
        bool read = false;
    };
    Report& report;
    QList<Field> fields;  // the open fields, innermost last
    int deeperFields = 0;  // open beyond FieldDepthCap
    bool inInstruction = false;
    QString loose;  // an instruction outside any field's marks
};

// An open zip archive over the document's file descriptor.
class Package {
public:
    explicit Package(int fd) {
        const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (own < 0) return;
        FILE* stream = ::fdopen(own, "rb");
        if (!stream) {
            ::close(own);
            return;
        }
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_filep_create(stream, 0, 0, &error);  // takes the stream
        if (!source) std::fclose(stream);
        else if (!(archive = zip_open_from_source(source, ZIP_RDONLY, &error))) zip_source_free(source);
        zip_error_fini(&error);
    }
    ~Package() {
        if (archive) zip_discard(archive);
    }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool isOpen() const { return archive != nullptr; }

    QStringList names() const {
        QStringList names;
        const zip_int64_t count = qMin(zip_get_num_entries(archive, 0), EntryCap);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* name = zip_get_name(archive, zip_uint64_t(i), 0);
            names.append(name ? QString::fromUtf8(name) : QString());
        }
        return names;
    }

    // Reads the entry as XML up to the part's cap and what is left of the document's.
    void parse(qsizetype index, const OnToken& onToken) {
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(index), 0);
        if (!file) return;
        parseXml(
            [&](char* data, qint64 size) -> qint64 {
                if (budget <= 0) return 0;
                const zip_int64_t got = zip_fread(file, data, zip_uint64_t(qMin(size, budget)));
                if (got > 0) budget -= got;
                return got;
            },
            PartCap, onToken);
        zip_fclose(file);
    }

private:
    zip_t* archive = nullptr;
    qint64 budget = DocumentCap;
};

void inspectOdf(Package& package, const QStringList& names, Report& report) {
    qsizetype manifest = -1, content = -1, styles = -1, meta = -1, libraries = -1;
    QList<qsizetype> objects;  // the content and styles of embedded objects
    QStringList macros;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        if (name == u"META-INF/manifest.xml") manifest = i;
        else if (name == u"content.xml") content = i;
        else if (name == u"styles.xml") styles = i;
        else if (name == u"meta.xml") meta = i;
        else if (name == u"Basic/script-lc.xml") libraries = i;
        else if (name.endsWith(u"/content.xml") || name.endsWith(u"/styles.xml")) objects.append(i);
        if ((name.startsWith(u"Basic/") || name.startsWith(u"Scripts/")) && !name.endsWith(u'/') &&
            i != libraries && !name.endsWith(u"/script-lb.xml")) {
            const QStringList path = name.split(u'/');
            const QString where = path.size() >= 3 ? path[0] + u'/' + path[1] : path[0];
            if (!macros.contains(where)) macros.append(where);
        }
    }
    if (manifest >= 0)
        package.parse(manifest, [&](const QXmlStreamReader& xml) {
            if (xml.isStartElement() && xml.name() == u"encryption-data" &&
                namespaceOf(xml.namespaceUri()) == Ns::Manifest)
                report.result.passwordProtected = true;
            return !report.result.passwordProtected;
        });
    const auto odf = [&](qsizetype index, const QString& folder) {
        if (index < 0) return;
        OdfReader reader(report, folder, true);
        package.parse(index, [&](const QXmlStreamReader& xml) { return reader.token(xml); });
    };
    odf(content, {});
    odf(styles, {});
    for (const qsizetype i : objects) odf(i, names[i].left(names[i].lastIndexOf(u'/') + 1));
    odf(meta, {});
    for (const QString& where : macros) report.outside(Macro, where);
    if (libraries >= 0)  // libraries the document links from elsewhere
        package.parse(libraries, [&](const QXmlStreamReader& xml) {
            if (xml.isStartElement() && xml.name() == u"library" &&
                namespaceOf(xml.namespaceUri()) == Ns::Library &&
                attribute(xml.attributes(), Ns::Library, u"link") == u"true")
                report.outside(Macro, attribute(xml.attributes(), Ns::XLink, u"href"));
            return true;
        });
}

void inspectWord(Package& package, const QStringList& names, Report& report) {
    // Part names of a package do not depend on case.
    QList<qsizetype> relationships, parts;
    bool macros = false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString name = names[i].toLower();
        if (!name.startsWith(u"word/")) continue;
        if (name == u"word/_rels/document.xml.rels") relationships.prepend(i);
        else if (name.endsWith(u".rels")) relationships.append(i);
        else if (name == u"word/document.xml") parts.prepend(i);
        else if (name.endsWith(u".xml")) parts.append(i);
        else if (name == u"word/vbaproject.bin") macros = true;
    }
    WordReader reader(report);
    for (const qsizetype i : relationships)
        package.parse(i, [&](const QXmlStreamReader& xml) { return reader.relationship(xml); });
    for (const qsizetype i : parts) {
        WordReader fields(report);  // fields do not run from one part into the next
        package.parse(i, [&](const QXmlStreamReader& xml) { return fields.part(xml); });
    }
    if (macros) report.outside(Macro, QStringLiteral("vbaProject.bin"));
}

void inspectPackage(Package& package, Report& report) {
    const QStringList names = package.names();
    const auto has = [&](const QString& name) { return names.contains(name, Qt::CaseSensitive); };
    if (has("content.xml") || has("styles.xml") || has("META-INF/manifest.xml")) inspectOdf(package, names, report);
    if (names.contains("[Content_Types].xml", Qt::CaseInsensitive) || names.contains("word/document.xml", Qt::CaseInsensitive))
        inspectWord(package, names, report);
}

// An OLE compound file holding an "EncryptedPackage" stream is an OOXML document under a password. Only
// the directory's chain of sectors is walked, within the file and a bound.
bool holdsEncryptedPackage(int fd, qint64 fileSize) {
    char header[512];
    if (readAt(fd, 0, header, sizeof header) != qint64(sizeof header)) return false;
    const quint16 shift = qFromLittleEndian<quint16>(header + 30);
    if (shift != 9 && shift != 12) return false;
    const qint64 sectorSize = qint64(1) << shift;
    const qint64 sectors = fileSize / sectorSize - 1;  // the header takes the first sector's place
    const quint32 perSector = quint32(sectorSize / 4);
    const auto word = [&](qint64 sector, quint32 slot, quint32& value) {
        char bytes[4];
        if (sector < 0 || sector >= sectors || slot >= perSector ||
            readAt(fd, (sector + 1) * sectorSize + slot * 4, bytes, 4) != 4)
            return false;
        value = qFromLittleEndian<quint32>(bytes);
        return true;
    };
    // The sector of the allocation table holding the entry of `sector`: the header lists the first 109,
    // a chain of sectors the rest.
    const auto tableSector = [&](quint32 sector, quint32& value) {
        quint32 k = sector / perSector;
        if (k < 109) {
            value = qFromLittleEndian<quint32>(header + 76 + 4 * k);
            return true;
        }
        k -= 109;
        quint32 chain = qFromLittleEndian<quint32>(header + 68);
        for (quint32 step = k / (perSector - 1); step > 0; --step)
            if (!word(chain, perSector - 1, chain)) return false;
        return word(chain, k % (perSector - 1), value);
    };
    QByteArray directory(sectorSize, Qt::Uninitialized);
    quint32 sector = qFromLittleEndian<quint32>(header + 48);
    for (int n = 0; n < DirectorySectorCap && sector < sectors; ++n) {
        if (readAt(fd, (qint64(sector) + 1) * sectorSize, directory.data(), sectorSize) != sectorSize) return false;
        for (qint64 at = 0; at + 128 <= sectorSize; at += 128) {
            const char* entry = directory.constData() + at;
            const quint16 nameBytes = qFromLittleEndian<quint16>(entry + 64);
            if (entry[66] != 2 || nameBytes != 34) continue;  // a stream of 16 characters and the terminator
            QString name;
            for (int c = 0; c < 16; ++c) name += QChar(qFromLittleEndian<quint16>(entry + 2 * c));
            if (name.compare(u"EncryptedPackage", Qt::CaseInsensitive) == 0) return true;
        }
        quint32 table = 0;
        if (!tableSector(sector, table) || !word(table, sector % perSector, sector)) return false;
    }
    return false;
}

void inspectFlat(int fd, Report& report) {
    OdfReader reader(report, {}, false);
    qint64 offset = 0;
    parseXml(
        [&](char* data, qint64 size) {
            const qint64 got = readAt(fd, offset, data, size);
            if (got > 0) offset += got;
            return got;
        },
        DocumentCap,  // a flat document holds all its parts, pictures included
        [&](const QXmlStreamReader& xml) { return reader.token(xml); });
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};
}  // namespace

DocumentInspection InspectDocument(const QString& path) {
    try {
        // Non-blocking, so that a pipe in a document's place cannot hold the opening up.
        const Descriptor file{::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
        struct stat status {};
        if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) return {};
        Report report;
        char magic[8];
        if (readAt(file.fd, 0, magic, sizeof magic) == qint64(sizeof magic) &&
            QByteArray(magic, sizeof magic) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
            report.result.passwordProtected = holdsEncryptedPackage(file.fd, status.st_size);
            return report.result;
        }
        Package package(file.fd);
        if (package.isOpen()) inspectPackage(package, report);
        else inspectFlat(file.fd, report);
        return report.result;
    } catch (...) {  // out of memory: nothing else here throws
        return {};
    }
}
