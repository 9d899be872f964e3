#pragma once

#include <QElapsedTimer>
#include <QString>

struct sqlite3;

// The one connection to the catalogue file. The file is opened by the name the
// caller gives (a bare name resolves against the current directory), for shared
// use with other programs, and is never created here.
class Connection
{
public:
    explicit Connection(QString fileName);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the file unless it is open already; throws Error when it cannot.
    void open();
    void close();
    bool isOpen() const { return db_ != nullptr; }
    // True when the engine or the file system refuses writes to the file.
    bool isReadOnly() const { return readOnly_; }

    const QString &fileName() const { return fileName_; }
    sqlite3 *handle() const { return db_; }

    // Throws the engine's failure `rc` as a StoreError with a message for the user.
    [[noreturn]] void raise(int rc) const;
    QString describe(int rc) const;

    // How long a write waits for another program's lock before it gives up.
    static constexpr int BusyTimeoutMs = 3000;

private:
    void verifyIsDatabase();

    QString fileName_;
    sqlite3 *db_ = nullptr;
    bool readOnly_ = false;
    QElapsedTimer lockedOut_; // runs since opening last failed for another program's lock
};
