#pragma once

#include <QtGlobal>
#include <sqlite3.h>

// A disk that fills up: a file-system layer for the engine, put in front of
// the real one, through which every file of the process is written. Once
// the files have grown by `room` bytes, a write that would grow a file
// further fails as on a full disk, and nothing of it is written.
namespace FullDisk {

inline qint64 room = -1; // bytes the files may still grow by; -1: no limit
inline sqlite3_vfs *real = nullptr;

struct File
{
    sqlite3_file base;
    sqlite3_file *real; // the real layer's file, which follows this struct
};

inline sqlite3_file *realOf(sqlite3_file *file)
{
    return reinterpret_cast<File *>(file)->real;
}

inline int write(sqlite3_file *file, const void *data, int amount, sqlite3_int64 offset)
{
    sqlite3_file *r = realOf(file);
    sqlite3_int64 size = 0;
    r->pMethods->xFileSize(r, &size);
    const qint64 growth = qMax<qint64>(0, offset + amount - size);
    if (room >= 0 && growth > 0) {
        if (growth > room)
            return SQLITE_FULL;
        room -= growth;
    }
    return r->pMethods->xWrite(r, data, amount, offset);
}

// The other calls go straight to the real file.
inline const sqlite3_io_methods methods = {
    3,
    [](sqlite3_file *f) {
        sqlite3_file *r = realOf(f);
        const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
        f->pMethods = nullptr;
        return rc;
    },
    [](sqlite3_file *f, void *d, int n, sqlite3_int64 o) {
        return realOf(f)->pMethods->xRead(realOf(f), d, n, o);
    },
    write,
    [](sqlite3_file *f, sqlite3_int64 s) { return realOf(f)->pMethods->xTruncate(realOf(f), s); },
    [](sqlite3_file *f, int flags) { return realOf(f)->pMethods->xSync(realOf(f), flags); },
    [](sqlite3_file *f, sqlite3_int64 *s) { return realOf(f)->pMethods->xFileSize(realOf(f), s); },
    [](sqlite3_file *f, int l) { return realOf(f)->pMethods->xLock(realOf(f), l); },
    [](sqlite3_file *f, int l) { return realOf(f)->pMethods->xUnlock(realOf(f), l); },
    [](sqlite3_file *f, int *out) {
        return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
    },
    [](sqlite3_file *f, int op, void *arg) {
        return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
    },
    [](sqlite3_file *f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); },
    [](sqlite3_file *f) { return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)); },
    [](sqlite3_file *f, int p, int s, int e, void volatile **out) {
        return realOf(f)->pMethods->xShmMap(realOf(f), p, s, e, out);
    },
    [](sqlite3_file *f, int o, int n, int flags) {
        return realOf(f)->pMethods->xShmLock(realOf(f), o, n, flags);
    },
    [](sqlite3_file *f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); },
    [](sqlite3_file *f, int d) { return realOf(f)->pMethods->xShmUnmap(realOf(f), d); },
    [](sqlite3_file *f, sqlite3_int64 o, int n, void **p) {
        return realOf(f)->pMethods->xFetch(realOf(f), o, n, p);
    },
    [](sqlite3_file *f, sqlite3_int64 o, void *p) {
        return realOf(f)->pMethods->xUnfetch(realOf(f), o, p);
    },
};

inline int open(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *shim = reinterpret_cast<File *>(file);
    shim->real = reinterpret_cast<sqlite3_file *>(shim + 1);
    const int rc = real->xOpen(real, name, shim->real, flags, outFlags);
    file->pMethods = shim->real->pMethods ? &methods : nullptr;
    return rc;
}

// Makes the layer the engine's default, for every connection opened after.
inline void install()
{
    static sqlite3_vfs vfs;
    if (real)
        return;
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "fulldisk";
    vfs.szOsFile = int(sizeof(File)) + real->szOsFile;
    vfs.xOpen = open;
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace FullDisk
