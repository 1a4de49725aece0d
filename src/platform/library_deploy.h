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

    // LUMENO_LIBRARY_DIR or the installed folder, this program folder, and
    // $XDG_DATA_HOME/lumeno/lib.
    static LibraryFolders for_program(const QString &program_folder);
};

struct CarriedLibrary {
    QString file_name;            // e.g. "libmsc.so"
    QByteArrayView image;         // the file as carried; empty: nothing to write
    QList<QByteArray> operations; // a copy found at the system path must export all of them
};

enum class LibraryPlace { System, Program, User, Nowhere };

struct Deployment {
    LibraryPlace place = LibraryPlace::Nowhere;
    QString folder; // where to load from; empty for Nowhere
    bool wrote = false;

    // The path to load file_name from; the bare name (the platform's search) when nowhere.
    QString path(const QString &file_name) const;
};

// Places every library of the group in one folder, so that libraries that load each other
// find each other beside themselves. The system folder is taken when each library there is
// usable or can be written there; anything else at its path (a folder, a file that does not
// load or lacks an operation) sends the whole group on to the program folder, then to the
// per-user folder, where each file is made to hold exactly the carried bytes. Copies are not
// flushed to disk: each start checks them again (a system copy by loading it, any other by
// its bytes), so one torn by a power cut is found and written anew.
Deployment deploy_carried_libraries(const QList<CarriedLibrary> &group, const LibraryFolders &folders);

// One library on its own (for example the skin library) by the same rule.
Deployment deploy_carried_library(const CarriedLibrary &library, const LibraryFolders &folders);

// Makes path a regular file holding exactly image, executable, writing it beside and renaming
// it over the old one only when it holds something else. False when path is a folder or the
// write failed.
bool place_library_copy(const QString &path, QByteArrayView image, FileSync sync);

// True when path is a regular file holding exactly these bytes.
bool file_holds_bytes(const QString &path, QByteArrayView bytes);

// True when path is a file that loads and exports every operation.
bool usable_library(const QString &path, const QList<QByteArray> &operations);
