#pragma once

#include "recordset/Cursor.h"
#include "recordset/DataSource.h"
#include "recordset/Store.h"

#include <exception>
#include <functional>
#include <memory>

// The data module: the one connection to the catalogue, its five cursors, the
// data links the windows bind to, and the column objects.
class TDMAuto
{
    // The store that ADOConnection names; declared first, as it is made first.
    std::unique_ptr<Store> store_;

public:
    using ErrorReport = std::function<void(const std::exception &)>;

    // Opens the connection, then the cursors in their fixed order. Each
    // failure is handed to `report` at once and opening goes on.
    explicit TDMAuto(const ErrorReport &report);
    ~TDMAuto();
    TDMAuto(const TDMAuto &) = delete;
    TDMAuto &operator=(const TDMAuto &) = delete;

    Store &ADOConnection;
    Cursor tblCountry;
    Cursor tblCategory;
    Cursor tblAuto;
    Cursor tblMarka;
    Cursor tblCountryList;

    DataSource DSAuto;
    DataSource DSCategory;
    DataSource DSMarka;
    DataSource DSCountry;
    DataSource DsCountryList;

    Field &tblAutoauto_id;
    Field &tblAutocodeTov;
    Field &tblAutonumSklad;
    Field &tblAutocat_id;
    Field &tblAutotovName;
    Field &tblAutomodels;
    Field &tblAutocounts;
    Field &tblAutoprice;
    Field &tblAutoauto_type;
    Field &tblAutocountry_id;
    Field &tblAutoscreenshots;
    Field &tblAutostrCat;
    Field &tblAutostrMarka;
    Field &tblAutostrCountry;
    Field &tblCategorycat_id;
    Field &tblCategorycatName;
    Field &tblMarkaauto_type;
    Field &tblMarkaname;
    Field &tblCountrycountry_id;
    Field &tblCountrycountry;
    Field &tblCountryListcountry_id;
    Field &tblCountryListcountry;

    // True when the connection and all five cursors are open.
    bool isOpen() const;
    // Closes the cursors and the connection; a change not yet posted is dropped.
    void close();
    // Opens everything anew, as at start (no filter, no sort), after the
    // file was replaced; each failure goes to `report`.
    void reopen(const ErrorReport &report);
    // Opens everything anew with the search and order in force, after the
    // file was changed in bulk, so that added rows show too.
    void reload(const ErrorReport &report);

    void tblCountryAfterOpen();
    void tblCategoryAfterOpen();
    void tblMarkaAfterOpen();
    void tblAutoAfterInsert();

    // True when the store keeps the journal of changes; otherwise why not.
    bool hasJournal() const { return ADOConnection.witness() != nullptr; }
    const QString &journalProblem() const { return journalProblem_; }

    // The catalogue file, looked for in the current directory.
    static constexpr const char *DatabaseFile = "db.mdb";
    // The catalogue's store: the server that Store::ServerVariable names, or
    // else the file.
    static std::unique_ptr<Store> makeStore();
    // True when the catalogue is kept on a server rather than in the file.
    static bool onServer();
    // Names in the lookup columns are cut to this many characters.
    static constexpr int LookupWidth = 20;

private:
    void open(const ErrorReport &report);
    void openJournal();

    QString journalProblem_;
};

// The single instance, alive from its creation at start-up to the end.
extern TDMAuto *DMAuto;
