#pragma once
// What a document asks the office to fetch from outside itself, read here without the office. The office
// runs where it can reach none of it, so this is what the user is told was refused.
#include <QList>
#include <QString>
#include <QStringList>

// One piece of outside content the document refers to.
struct OutsideReference {
    QString kind;    // "picture", "section", "object", "frame", "xforms", "dde", "macro", "template"
    QString target;  // the URL or path as the document names it (for a macro: the script URL or the library/part name)
    bool operator==(const OutsideReference&) const = default;
};

struct DocumentInspection {
    QList<OutsideReference> outside;  // in document order, each distinct (kind,target) once
    bool passwordProtected = false;
    QStringList fonts;  // font family names the document declares, distinct, in order
};

// Reads ODF packages, flat ODF XML, OOXML word-processing packages and encrypted OOXML (an OLE compound
// file holding an EncryptedPackage stream), recognised by content, not by name. Every document is taken
// as hostile: each part is read only up to a cap, and so is the whole document. Never throws; a file that
// cannot be read or is not a known format gives an empty inspection.
DocumentInspection InspectDocument(const QString& path);
