#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class JetTable;

// A shop's Jet database file (Access 97 or 2000-2003), opened for reading
// through mdbtools' library. Nothing is ever written to it. Failures throw
// Error in the user's words: the file cannot be read, is damaged, or is
// protected by a password or encoded.
class JetFile
{
public:
    explicit JetFile(const QString &path);
    ~JetFile();
    JetFile(const JetFile &) = delete;
    JetFile &operator=(const JetFile &) = delete;

    // The file as messages name it.
    const QString &name() const;
    bool isJet3() const;
    // The tables the shop made, as the file spells them; system tables and
    // tables linked from other files are not among them.
    const QStringList &tables() const;
    // Tables whose rows are kept in another file.
    const QStringList &linkedTables() const;
    // The table of that name (letter case aside), or none.
    std::unique_ptr<JetTable> table(const QString &name);

    // Throws the error that says the file is damaged, with `detail`.
    [[noreturn]] void damaged(const QString &detail) const;

    struct Private;

private:
    void readCatalogue();

    std::unique_ptr<Private> d_;
};
