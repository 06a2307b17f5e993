// The files installed with the program: hand pointer, icon and sample documents.
#include <QtTest>

#include "app/Pointer.h"

namespace {
const QString Assets = QStringLiteral(QUORVANE_SOURCE_DIR "/assets");

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}
}  // namespace

class SampleAssetsTest : public QObject {
    Q_OBJECT

private slots:
    void handPointerPointsWithItsFingerTip() {
        const auto cursor = LoadCursorFile(Assets + QStringLiteral("/program/HAND-M.CUR"));
        QVERIFY(cursor);
        const QImage image = cursor->pixmap().toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(cursor->hotSpot(), QPoint(10, 1));
        QCOMPARE(qAlpha(image.pixel(10, 1)), 255);                // the tip's outline
        QCOMPARE(qAlpha(image.pixel(10, 0)), 0);                  // nothing above it
        QCOMPARE(qAlpha(image.pixel(0, 31)), 0);                  // around the hand the screen shows
        QCOMPARE(QColor(image.pixel(11, 8)), QColor(Qt::white));  // inside the finger
    }

    void aBrokenOrPlainImageFileStillLoadsSafely() {
        QTemporaryDir dir;
        QFile cursor(Assets + QStringLiteral("/program/HAND-M.CUR"));
        QVERIFY(cursor.open(QIODevice::ReadOnly));
        const QByteArray bytes = cursor.readAll();
        QVERIFY(!LoadCursorFile(writeFile(dir, QStringLiteral("cut.cur"), bytes.left(12))));
        QVERIFY(!LoadCursorFile(writeFile(dir, QStringLiteral("empty.cur"), {})));
        QVERIFY(!LoadCursorFile(dir.filePath(QStringLiteral("missing.cur"))));
        // An icon file (type 1) holds planes and colour depth where a cursor holds its hot spot.
        QByteArray icon = bytes;
        icon.replace(2, 1, "\x01", 1).replace(10, 4, QByteArray("\x01\0\x20\0", 4));
        const auto fromIcon = LoadCursorFile(writeFile(dir, QStringLiteral("hand.ico"), icon));
        QVERIFY(fromIcon);
        QCOMPARE(fromIcon->hotSpot(), QPoint(0, 0));
    }

    void iconIsASquareWithTransparentCorners() {
        const QImage icon(Assets + QStringLiteral("/icons/hicolor/128x128/apps/quorvane.png"));
        QCOMPARE(icon.size(), QSize(128, 128));
        QVERIFY(icon.hasAlphaChannel());
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(127, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(64, 64)), 255);
    }

    // Readers recognise an ODF package by an uncompressed "mimetype" entry at the very start.
    void sampleDocumentsAreWriterPackages() {
        const QDir samples(Assets + QStringLiteral("/program/Samples"));
        const QStringList names = samples.entryList(QDir::Files | QDir::Hidden);
        QVERIFY(names.size() >= 4);
        QVERIFY(names.contains(QStringLiteral("Résumé Müller.odt")));
        for (const QString& name : names) {
            QVERIFY2(name.endsWith(QStringLiteral(".odt")), qPrintable(name));
            QFile file(samples.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray head = file.read(77);
            QVERIFY2(head.startsWith("PK\x03\x04"), qPrintable(name));
            QCOMPARE(head[8] | head[9], 0);                          // stored
            QCOMPARE(head.mid(26, 4), QByteArray("\x08\0\0\0", 4));  // name length 8, no extra field
            QCOMPARE(head.mid(30), QByteArray("mimetypeapplication/vnd.oasis.opendocument.text"));
        }
    }
};

QTEST_MAIN(SampleAssetsTest)
#include "test_samples_assets.moc"
