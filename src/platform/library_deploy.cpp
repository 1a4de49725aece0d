// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/library_deploy.h"

#include "platform/install_layout.h"
#include "platform/shared_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

QString in_folder(const QString &folder, const QString &file_name)
{
    return folder + u'/' + file_name;
}

// Whether a file already at the system path stays as it is. A build that carries no copy has
// no size to compare: any usable library is kept.
bool kept_by_rule(const CarriedLibrary &library, const QString &path)
{
    if (library.keep == KeepRule::SameSize && !library.image.isEmpty()) {
        const QFileInfo info(path);
        return info.isFile() && info.size() == library.image.size();
    }
    return usable_library(path, library.operations);
}

// A copy kept by its size is never read again, so it must not be left torn by a power cut.
FileSync sync_for(const CarriedLibrary &library)
{
    return library.keep == KeepRule::SameSize ? FileSync::Durable : FileSync::Unflushed;
}

bool settle_in_system_folder(const QList<CarriedLibrary> &group, const QString &folder, bool &wrote)
{
    QList<const CarriedLibrary *> to_write;
    for (const CarriedLibrary &library : group) {
        const QString path = in_folder(folder, library.file_name);
        const bool present = QFileInfo::exists(path);
        if (present && kept_by_rule(library, path))
            continue;
        if (present && library.keep == KeepRule::Usable)
            return false;
        to_write.append(&library);
    }
    for (const CarriedLibrary *library : to_write) {
        if (!place_library_copy(in_folder(folder, library->file_name), library->image, sync_for(*library)))
            return false;
        wrote = true;
    }
    return true;
}

bool all_usable(const QList<CarriedLibrary> &group, const QString &folder)
{
    return std::all_of(group.begin(), group.end(), [&folder](const CarriedLibrary &library) {
        return usable_library(in_folder(folder, library.file_name), library.operations);
    });
}

bool settle_as_carried(const QList<CarriedLibrary> &group, const QString &folder, bool &wrote)
{
    for (const CarriedLibrary &library : group) {
        const QString path = in_folder(folder, library.file_name);
        const bool already = file_holds_bytes(path, library.image);
        if (!already && !place_library_copy(path, library.image, sync_for(library)))
            return false;
        wrote = wrote || !already;
    }
    return true;
}

bool carries_all(const QList<CarriedLibrary> &group)
{
    return std::none_of(group.begin(), group.end(),
                        [](const CarriedLibrary &library) { return library.image.isEmpty(); });
}

bool settle(LibraryPlace place, const QList<CarriedLibrary> &group, const QString &folder, bool &wrote)
{
    // Copies of its own go to the program's or the user's folder: none when there is nothing to copy.
    if ((place == LibraryPlace::Program || place == LibraryPlace::User) && !carries_all(group))
        return false;
    switch (place) {
    case LibraryPlace::Installed:
        return all_usable(group, folder);
    case LibraryPlace::System:
        return settle_in_system_folder(group, folder, wrote);
    case LibraryPlace::User:
        return QDir().mkpath(folder) && settle_as_carried(group, folder, wrote);
    case LibraryPlace::Program:
        return settle_as_carried(group, folder, wrote);
    case LibraryPlace::Nowhere:
        break;
    }
    return false;
}

bool opened_usable(SharedLibrary &library, const QString &path, const QList<QByteArray> &operations)
{
    const bool usable = library.open(path)
                        && std::all_of(operations.begin(), operations.end(), [&library](const QByteArray &operation) {
                               return library.resolve(operation.constData()) != nullptr;
                           });
    if (!usable)
        library.close();
    return usable;
}

// The folders after place, for a library that could not be used there.
LibraryFolders folders_after(LibraryFolders folders, LibraryPlace place)
{
    folders.installed.clear();
    if (place != LibraryPlace::Installed)
        folders.system.clear();
    if (place == LibraryPlace::Program || place == LibraryPlace::User)
        folders.program.clear();
    if (place == LibraryPlace::User)
        folders.user.clear();
    return folders;
}

} // namespace

LibraryFolders LibraryFolders::for_program(const QString &program_folder)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {qEnvironmentVariable("LUMENO_LIBRARY_DIR", QStringLiteral(LUMENO_LIBRARY_DIR)), program_folder,
            data.isEmpty() ? QString() : data + QStringLiteral("/lumeno/lib"),
            install_layout::library_folder_beside(program_folder)};
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
    // The install's folder is the system one when the install is where it was configured for.
    const bool installed_is_system = QFileInfo(folders.installed) == QFileInfo(folders.system);
    const struct {
        LibraryPlace place;
        const QString &folder;
    } places[] = {{LibraryPlace::Installed, installed_is_system ? QString() : folders.installed},
                  {LibraryPlace::System, folders.system},
                  {LibraryPlace::Program, folders.program},
                  {LibraryPlace::User, folders.user}};
    for (const auto &candidate : places) {
        bool wrote = false;
        if (!candidate.folder.isEmpty() && settle(candidate.place, group, candidate.folder, wrote))
            return {candidate.place, candidate.folder, wrote};
    }
    return {};
}

Deployment deploy_carried_library(const CarriedLibrary &library, const LibraryFolders &folders)
{
    return deploy_carried_libraries({library}, folders);
}

bool open_carried_library(SharedLibrary &library, const CarriedLibrary &carried, const LibraryFolders &folders)
{
    const Deployment deployment = deploy_carried_library(carried, folders);
    const QString path = deployment.path(carried.file_name);
    if (opened_usable(library, path, carried.operations))
        return true;
    if (deployment.place == LibraryPlace::Nowhere)
        return false;
    // The install's folder is never written; elsewhere the copy is mended where it stands.
    if (deployment.place != LibraryPlace::Installed && place_library_copy(path, carried.image, FileSync::Durable)
        && opened_usable(library, path, carried.operations))
        return true;
    const Deployment later = deploy_carried_library(carried, folders_after(folders, deployment.place));
    return later.place != LibraryPlace::Nowhere
           && opened_usable(library, later.path(carried.file_name), carried.operations);
}

void report_unloadable_library(const CarriedLibrary &library, const LibraryFolders &folders,
                               const QString &loader_error)
{
    // A build that carries no copy only ever looks for the installed one.
    QStringList tried;
    const bool carried = !library.image.isEmpty();
    for (const QString *folder : {&folders.installed, &folders.system, carried ? &folders.program : &folders.installed,
                                  carried ? &folders.user : &folders.installed}) {
        if (!folder->isEmpty() && !tried.contains(*folder))
            tried.append(*folder);
    }
    const QString where = tried.isEmpty() ? QStringLiteral("the system's library path") : tried.join(u", ");
    const QString text =
        library.image.isEmpty()
            ? QStringLiteral("%1: %2 is not installed (looked in %3); this build carries no copy of its own and "
                             "uses the installed one: reinstall the package (%4)")
            : QStringLiteral("%1: %2 could not be loaded from or written to %3 (%4)");
    std::fprintf(stderr, "%s\n",
                 qPrintable(text.arg(QCoreApplication::applicationName(), library.file_name, where, loader_error)));
    std::fflush(stderr);
}
