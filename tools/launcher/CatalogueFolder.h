#pragma once

#include <QProcessEnvironment>
#include <QString>

// Where the user's catalogue lives when the program is started from the
// desktop menu: "Автозапчасти" in the user's documents folder
// ($XDG_DOCUMENTS_DIR, or as ~/.config/user-dirs.dirs names it), else in
// the home folder.
class CatalogueFolder
{
public:
    static QString locate(const QProcessEnvironment &environment);

    static constexpr const char *Name = "Автозапчасти";
};
