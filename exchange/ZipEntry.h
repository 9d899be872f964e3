#pragma once

#include <QIODevice>

// One file inside a zip archive, read as a stream (through minizip, the zip
// library the XLSX writer uses too).
class ZipEntry : public QIODevice
{
public:
    // Throws Error when `archive` is no zip archive.
    ZipEntry(const QString &archive, const QString &name);
    ~ZipEntry() override;

    // False when the archive has no file of that name; nothing can be read then.
    bool exists() const { return open_; }
    qint64 uncompressedSize() const { return size_; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void *zip_ = nullptr; // unzFile
    bool open_ = false;
    qint64 size_ = 0;
};
