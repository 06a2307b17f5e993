#include "Samples.h"

#include <QByteArray>

#include "runtime/AppTitle.h"
#include "app/Form1.h"
#include "runtime/PathExists.h"
#include "runtime/Settings.h"
#include "runtime/Trap.h"
#include "doclist/ListView.h"
#include "engine/PathHelpers.h"

namespace {
const QString SnapshotKey = QStringLiteral("Snapshot");
const QChar Separator = QLatin1Char('|');

// The program folder's "\Samples", with '/' as the separator here.
QString SamplesFolder(const Platform& platform) { return platform.programFolder + QStringLiteral("/Samples"); }

// Scrambling: every UTF-16 unit of the text is XORed with a key that moves on by a fixed step per
// unit, and the units, high byte first, are written as Base64. Any text comes back exactly, the
// stored value is plain ASCII, and the empty text stays empty (so an empty snapshot is retaken at
// every start, which picks up a sample folder installed later).
quint16 KeyAt(qsizetype position) { return quint16(0x5A3C + 0x9E37 * position); }
}  // namespace

QString ScrambleSnapshot(const QString& plain) {
    QByteArray bytes;
    bytes.reserve(plain.size() * 2);
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const quint16 unit = plain[i].unicode() ^ KeyAt(i);
        bytes.append(char(unit >> 8)).append(char(unit & 0xFF));
    }
    return QString::fromLatin1(bytes.toBase64());
}

QString UnscrambleSnapshot(const QString& stored) {
    const auto decoded = QByteArray::fromBase64Encoding(stored.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    // A value edited by hand must not turn into made-up paths.
    if (!decoded || decoded.decoded.size() % 2 != 0)
        throw RuntimeError(5, QStringLiteral("The stored list of sample documents (setting \"Snapshot\") is damaged."));
    const QByteArray& bytes = decoded.decoded;
    QString plain(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < plain.size(); ++i)
        plain[i] = QChar(quint16(quint8(bytes[2 * i]) << 8 | quint8(bytes[2 * i + 1])) ^ KeyAt(i));
    return plain;
}

void TakeSamplesSnapshot(Form1& form) {
    Platform& platform = form.platform;
    const QString folder = SamplesFolder(platform);
    QStringList paths;
    for (const QString& name : ListFolderFiles(platform.files, folder, QStringLiteral("*.*"))) {
        const QString path = folder + QLatin1Char('/') + name;
        // '|' joins the paths, so a path holding one would come back as wrong pieces, one of them
        // a relative path that could name some other file; such a path is left out.
        if (!path.contains(Separator)) paths << path;
    }
    SaveSetting(platform.settings, SnapshotKey, ScrambleSnapshot(paths.join(Separator)));
}

void LoadSampleFiles(Form1& form, ListView* list) {
    Platform& platform = form.platform;
    // A missing setting reads as the empty text: one empty piece, which never exists.
    const QString plain = UnscrambleSnapshot(GetSetting(platform.settings, SnapshotKey));
    for (const QString& piece : plain.split(Separator, Qt::KeepEmptyParts))
        if (PathExists(platform, piece) && !ListContains(list, piece)) AppendEntry(list, piece);

    const MessageBoxRequest question{
        QStringLiteral("Would you like this software to open the folder where these sample files are stored (so "
                       "that you can view them before working with them)?"),
        AppTitle(), Buttons::YesNo, Icon::None};
    if (platform.dialogs.messageBox(&form, question) != Answer::Yes) return;
    // The folder goes quoted with its trailing separator inside the quotes; "/" stands for the
    // drive root as working folder. The shell's result is not looked at.
    platform.shell.execute(&form, QLatin1Char('"') + SamplesFolder(platform) + QStringLiteral("/\""),
                           QStringLiteral("/"), 5);
}

// No busy test: samples may be added during a print run; that run does not print them.
void Form1::PushButton7_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton7_Click"));
    trap(100, [&] { LoadSampleFiles(*this, ListView1); });
}
