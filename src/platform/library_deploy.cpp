#include "platform/library_deploy.h"

#include "platform/shared_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>

namespace {

QString in_folder(const QString &folder, const QString &file_name)
{
    return folder + u'/' + file_name;
}

// An existing usable copy is kept whatever its version; an absent one is written.
bool settle_in_system_folder(const QList<CarriedLibrary> &group, const QString &folder, bool &wrote)
{
    QList<const CarriedLibrary *> missing;
    for (const CarriedLibrary &library : group) {
        const QString path = in_folder(folder, library.file_name);
        if (!QFileInfo::exists(path))
            missing.append(&library);
        else if (!usable_library(path, library.operations))
            return false;
    }
    for (const CarriedLibrary *library : missing) {
        if (!place_library_copy(in_folder(folder, library->file_name), library->image, FileSync::Unflushed))
            return false;
        wrote = true;
    }
    return true;
}

bool settle_as_carried(const QList<CarriedLibrary> &group, const QString &folder, bool &wrote)
{
    for (const CarriedLibrary &library : group) {
        const QString path = in_folder(folder, library.file_name);
        const bool already = file_holds_bytes(path, library.image);
        if (!already && !place_library_copy(path, library.image, FileSync::Unflushed))
            return false;
        wrote = wrote || !already;
    }
    return true;
}

} // namespace

LibraryFolders LibraryFolders::for_program(const QString &program_folder)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {qEnvironmentVariable("LUMENO_LIBRARY_DIR", QStringLiteral(LUMENO_LIBRARY_DIR)), program_folder,
            data.isEmpty() ? QString() : data + QStringLiteral("/lumeno/lib")};
}

QString Deployment::path(const QString &file_name) const
{
    return folder.isEmpty() ? file_name : in_folder(folder, file_name);
}

bool usable_library(const QString &path, const QList<QByteArray> &operations)
{
    if (!QFileInfo(path).isFile())
        return false;
    SharedLibrary library;
    if (!library.open(path))
        return false;
    for (const QByteArray &operation : operations) {
        if (library.resolve(operation.constData()) == nullptr)
            return false;
    }
    return true;
}

bool place_library_copy(const QString &path, QByteArrayView image, FileSync sync)
{
    if (image.isEmpty())
        return false;
    if (file_holds_bytes(path, image))
        return true;
    if (QFileInfo(path).isDir() || !replace_file(path, image, sync))
        return false;
    // Libraries are loaded, not edited: executable like any installed library.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                    | QFileDevice::ExeOther);
    return true;
}

bool file_holds_bytes(const QString &path, QByteArrayView image)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != image.size())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    // Compared block by block: every start does this, and reading the whole library into one
    // buffer first costs more than the comparison itself.
    constexpr qint64 kBlock = 256 * 1024;
    QByteArray block(kBlock, Qt::Uninitialized);
    for (qsizetype at = 0; at < image.size();) {
        const qint64 n = file.read(block.data(), std::min<qint64>(kBlock, image.size() - at));
        if (n <= 0 || std::memcmp(block.constData(), image.data() + at, static_cast<std::size_t>(n)) != 0)
            return false;
        at += n;
    }
    return true;
}

Deployment deploy_carried_libraries(const QList<CarriedLibrary> &group, const LibraryFolders &folders)
{
    const struct {
        LibraryPlace place;
        const QString &folder;
    } places[] = {{LibraryPlace::System, folders.system},
                  {LibraryPlace::Program, folders.program},
                  {LibraryPlace::User, folders.user}};
    for (const auto &candidate : places) {
        if (candidate.folder.isEmpty())
            continue;
        bool wrote = false;
        const bool settled = candidate.place == LibraryPlace::System
                                 ? settle_in_system_folder(group, candidate.folder, wrote)
                                 : (candidate.place == LibraryPlace::Program || QDir().mkpath(candidate.folder))
                                       && settle_as_carried(group, candidate.folder, wrote);
        if (settled)
            return {candidate.place, candidate.folder, wrote};
    }
    return {};
}

Deployment deploy_carried_library(const CarriedLibrary &library, const LibraryFolders &folders)
{
    return deploy_carried_libraries({library}, folders);
}
