// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "skin/carried_skin.h"
#include "skin/skin_loader.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Where the skin library is loaded from when what stands at its places is not usable.
class TestSkinLoader final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void keptLibraryThatDoesNotWork_isMendedAndAttaches_data();
    void keptLibraryThatDoesNotWork_isMendedAndAttaches();
    void noInstalledCopyAndNoWritableFolder_usesThePerUserFolder();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    const SkinImages m_images = carried_skin_images();
};

void TestSkinLoader::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("system")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("program")));
}

void TestSkinLoader::keptLibraryThatDoesNotWork_isMendedAndAttaches_data()
{
    QTest::addColumn<QByteArray>("kept"); // at the system path, of the carried size
    QByteArray other_library = file_bytes::read(QStringLiteral(CODEC_FILE));
    QVERIFY(!other_library.isEmpty() && other_library.size() < m_images.library.size());
    // A library loads whatever follows its last section: a real one of the carried size.
    other_library.append(QByteArray(m_images.library.size() - other_library.size(), '\0'));
    QTest::newRow("not a library") << QByteArray(m_images.library.size(), 'j');
    QTest::newRow("without SkinH_AttachRes") << other_library;
}

void TestSkinLoader::keptLibraryThatDoesNotWork_isMendedAndAttaches()
{
    QFETCH(QByteArray, kept);
    const QString at_system = path(QStringLiteral("system/libSkinH_EL.so"));
    QVERIFY(file_bytes::write(at_system, kept));
    SkinLoader loader(m_images.library, path(QStringLiteral("system")), path(QStringLiteral("program")));
    bool fatal = false;
    loader.set_fatal_handler([&fatal](const QString &, const QString &) { fatal = true; });
    QCOMPARE(loader.attach(m_images.skin, {}, 0, 0, 0), 0);
    QVERIFY(!fatal);
    QCOMPARE(file_bytes::read(at_system), m_images.library.toByteArray());
    QVERIFY(QDir(path(QStringLiteral("program"))).isEmpty());
}

void TestSkinLoader::noInstalledCopyAndNoWritableFolder_usesThePerUserFolder()
{
    // Folders nobody can write to, whoever runs the test: ones that do not exist.
    const LibraryFolders folders{path(QStringLiteral("no/system")), path(QStringLiteral("no/program")),
                                 path(QStringLiteral("data/lumeno/lib")), path(QStringLiteral("no/install"))};
    SkinLoader loader(m_images.library, folders);
    QCOMPARE(loader.attach(m_images.skin, {}, 0, 0, 0), 0);
    QCOMPARE(file_bytes::read(path(QStringLiteral("data/lumeno/lib/libSkinH_EL.so"))), m_images.library.toByteArray());
}

QTEST_MAIN(TestSkinLoader)
#include "test_skin_loader.moc"
