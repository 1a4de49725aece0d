// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/file_replace.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

// Puts the libraries the program carries as data where they can be loaded, without ever
// changing a file another process may have mapped: a copy is written beside its place and
// renamed over it, and not written at all when the bytes there are already the carried ones.

// The folders a carried library may live in, in the order they are tried.
struct LibraryFolders {
    QString system;  // the installed copy: taken as found when usable, written only when absent
    QString program; // the folder of the executable
    QString user;    // a per-user folder, created when needed (empty: not tried)
    // The install's own folder beside the program (<prefix>/bin/../lib/.../lumeno), tried
    // before all others and only ever taken as found: an install put under another prefix than
    // the configured one finds its libraries there and writes nothing (empty: not tried).
    QString installed = {};

    // The install's folder beside program_folder, LUMENO_LIBRARY_DIR or the configured
    // installed folder, this program folder, and $XDG_DATA_HOME/lumeno/lib.
    static LibraryFolders for_program(const QString &program_folder);
};

// How a file already at the system path is judged.
enum class KeepRule {
    // Kept when it loads and exports every operation. Anything else there is left alone and
    // the group goes on to the next folder.
    Usable,
    // Kept unread when it has the carried size (another release of the library is as good);
    // any other file there is replaced by the carried copy. One kept that turns out not to load
    // is mended by open_carried_library.
    SameSize,
};

struct CarriedLibrary {
    QString file_name;            // e.g. "libmsc.so"
    QByteArrayView image;         // the file as carried; empty: none, only an installed copy is used
    QList<QByteArray> operations; // a copy found at the system path must export all of them
    KeepRule keep = KeepRule::Usable;
};

enum class LibraryPlace { Installed, System, Program, User, Nowhere };

struct Deployment {
    LibraryPlace place = LibraryPlace::Nowhere;
    QString folder; // where to load from; empty for Nowhere
    bool wrote = false;

    // The path to load file_name from; the bare name (the platform's search) when nowhere.
    QString path(const QString &file_name) const;
};

// Places every library of the group in one folder, so that libraries that load each other
// find each other beside themselves. The install's own folder is taken when every library
// there is usable. The system folder is taken when each library there is kept by its rule or
// can be written there; anything else at its path (a folder, a file the rule does not keep and
// that cannot be replaced) sends the whole group on to the program folder, then to the
// per-user folder, where each file is made to hold exactly the carried bytes. Copies checked
// at each start (by loading them or by their bytes) are not flushed to disk, so one torn by a
// power cut is found and written anew; a copy kept by its size alone is flushed.
Deployment deploy_carried_libraries(const QList<CarriedLibrary> &group, const LibraryFolders &folders);

// One library on its own by the same rule (open_carried_library deploys one again this way).
Deployment deploy_carried_library(const CarriedLibrary &library, const LibraryFolders &folders);

class SharedLibrary;

// Opens a library deployed by deploy_carried_library, so that a copy that was kept but does
// not load or lacks an operation (a damaged file of the carried size) never stops the program:
// the carried copy is written beside it and renamed over it, and it is opened once more; where
// that folder cannot be written, the library is deployed again to the folders after it. False
// when no usable copy could be opened anywhere; the library is then left closed.
bool open_carried_library(SharedLibrary &library, const CarriedLibrary &carried, const LibraryFolders &folders);

// Says on standard error, in one line naming the program, why a carried library could not be
// loaded: the folders tried and the loader's reason, and for a build that carries no copy of
// its own, that the installed one is missing. Called before the fatal error.
void report_unloadable_library(const CarriedLibrary &library, const LibraryFolders &folders,
                               const QString &loader_error);

// Makes path a regular file holding exactly image, executable, writing it beside and renaming
// it over the old one only when it holds something else. False when path is a folder or the
// write failed.
bool place_library_copy(const QString &path, QByteArrayView image, FileSync sync);

// True when path is a regular file holding exactly these bytes.
bool file_holds_bytes(const QString &path, QByteArrayView bytes);

// True when path is a file that loads and exports every operation.
bool usable_library(const QString &path, const QList<QByteArray> &operations);
