#include "UnitDM.h"

#include "CatalogueSchema.h"
#include "journal/Journal.h"
#include "journal/JournalWitness.h"
#include "recordset/Connection.h"
#include "recordset/server/ServerConnection.h"

TDMAuto *DMAuto = nullptr;

bool TDMAuto::onServer()
{
    return !qEnvironmentVariable(Store::ServerVariable).trimmed().isEmpty();
}

std::unique_ptr<Store> TDMAuto::makeStore()
{
    if (onServer())
        return std::make_unique<ServerConnection>(
            qEnvironmentVariable(Store::ServerVariable).trimmed());
    return std::make_unique<Connection>(QString::fromLatin1(DatabaseFile));
}

TDMAuto::TDMAuto(const ErrorReport &report)
    : store_(makeStore()), ADOConnection(*store_),
      tblCountry(ADOConnection, CatalogueSchema::countries()),
      tblCategory(ADOConnection, CatalogueSchema::categories()),
      tblAuto(ADOConnection, CatalogueSchema::goods()),
      tblMarka(ADOConnection, CatalogueSchema::makes()),
      tblCountryList(ADOConnection, CatalogueSchema::countries()), DSAuto(&tblAuto),
      DSCategory(&tblCategory), DSMarka(&tblMarka), DSCountry(&tblCountry),
      DsCountryList(&tblCountryList),
      tblAutoauto_id(tblAuto.FieldByName(QStringLiteral("auto_id"))),
      tblAutocodeTov(tblAuto.FieldByName(QStringLiteral("codeTov"))),
      tblAutonumSklad(tblAuto.FieldByName(QStringLiteral("numSklad"))),
      tblAutocat_id(tblAuto.FieldByName(QStringLiteral("cat_id"))),
      tblAutotovName(tblAuto.FieldByName(QStringLiteral("tovName"))),
      tblAutomodels(tblAuto.FieldByName(QStringLiteral("models"))),
      tblAutocounts(tblAuto.FieldByName(QStringLiteral("counts"))),
      tblAutoprice(tblAuto.FieldByName(QStringLiteral("price"))),
      tblAutoauto_type(tblAuto.FieldByName(QStringLiteral("auto_type"))),
      tblAutocountry_id(tblAuto.FieldByName(QStringLiteral("country_id"))),
      tblAutoscreenshots(tblAuto.FieldByName(QStringLiteral("screenshots"))),
      tblAutostrCat(tblAuto.addLookupField(QStringLiteral("strCat"), LookupWidth,
                                           QStringLiteral("cat_id"), &tblCategory,
                                           QStringLiteral("cat_id"), QStringLiteral("catName"))),
      tblAutostrMarka(tblAuto.addLookupField(QStringLiteral("strMarka"), LookupWidth,
                                             QStringLiteral("auto_type"), &tblMarka,
                                             QStringLiteral("auto_type"), QStringLiteral("name"))),
      tblAutostrCountry(tblAuto.addLookupField(
          QStringLiteral("strCountry"), LookupWidth, QStringLiteral("country_id"), &tblCountry,
          QStringLiteral("country_id"), QStringLiteral("country"))),
      tblCategorycat_id(tblCategory.FieldByName(QStringLiteral("cat_id"))),
      tblCategorycatName(tblCategory.FieldByName(QStringLiteral("catName"))),
      tblMarkaauto_type(tblMarka.FieldByName(QStringLiteral("auto_type"))),
      tblMarkaname(tblMarka.FieldByName(QStringLiteral("name"))),
      tblCountrycountry_id(tblCountry.FieldByName(QStringLiteral("country_id"))),
      tblCountrycountry(tblCountry.FieldByName(QStringLiteral("country"))),
      tblCountryListcountry_id(tblCountryList.FieldByName(QStringLiteral("country_id"))),
      tblCountryListcountry(tblCountryList.FieldByName(QStringLiteral("country")))
{
    // Messages name each column by the label the catalogue's description
    // gives it, as the windows title it.
    tblCountry.afterOpen = [this] { tblCountryAfterOpen(); };
    tblCategory.afterOpen = [this] { tblCategoryAfterOpen(); };
    tblMarka.afterOpen = [this] { tblMarkaAfterOpen(); };
    tblAuto.afterInsert = [this] { tblAutoAfterInsert(); };
    // The journal tells how each change was made: goods are posted from
    // their editor and deleted from the grid's commands; references change
    // in their own windows.
    tblAuto.setRoads(QString::fromLatin1(Journal::Road::Editor),
                     QString::fromLatin1(Journal::Road::Grid));
    for (Cursor *cursor : {&tblCountry, &tblCategory, &tblMarka, &tblCountryList})
        cursor->setRoads(QString::fromLatin1(Journal::Road::Reference),
                         QString::fromLatin1(Journal::Road::Reference));

    open(report);
}

void TDMAuto::open(const ErrorReport &report)
{
    try {
        ADOConnection.open();
    } catch (const std::exception &error) {
        report(error);
    }
    // Each cursor tries the connection again, so a missing file is reported
    // once for the connection and once for every cursor.
    for (Cursor *cursor : {&tblCountry, &tblCategory, &tblAuto, &tblMarka, &tblCountryList}) {
        try {
            cursor->open();
        } catch (const std::exception &error) {
            report(error);
        }
    }
    openJournal();
}

void TDMAuto::openJournal()
{
    journalProblem_.clear();
    ADOConnection.setWitness(nullptr);
    if (!isOpen())
        return;
    try {
        if (Journal::prepare(ADOConnection))
            ADOConnection.setWitness(std::make_shared<JournalWitness>());
        else
            journalProblem_ = QStringLiteral(
                "Каталог «%1» открыт только для чтения, а журнала изменений в нём ещё нет.")
                                  .arg(ADOConnection.name());
    } catch (const std::exception &error) {
        // The catalogue is worked with all the same; the journal's window
        // tells why it is empty.
        journalProblem_ = QStringLiteral("Журнал изменений не удалось подготовить: %1")
                              .arg(QString::fromUtf8(error.what()));
    }
}

bool TDMAuto::isOpen() const
{
    for (const Cursor *cursor : {&tblCountry, &tblCategory, &tblAuto, &tblMarka, &tblCountryList})
        if (!cursor->isOpen())
            return false;
    return ADOConnection.isOpen();
}

void TDMAuto::close()
{
    for (Cursor *cursor : {&tblCountryList, &tblMarka, &tblAuto, &tblCategory, &tblCountry})
        cursor->close();
    ADOConnection.close();
}

void TDMAuto::reload(const ErrorReport &report)
{
    close();
    open(report);
}

void TDMAuto::reopen(const ErrorReport &report)
{
    close();
    // As at start: no search and the table's own order, until the windows
    // sort it again.
    for (Cursor *cursor : {&tblCountry, &tblCategory, &tblAuto, &tblMarka, &tblCountryList})
        cursor->resetView();
    open(report);
}

TDMAuto::~TDMAuto() = default;

void TDMAuto::tblCountryAfterOpen()
{
    tblCountry.setSort(QStringLiteral("country"));
}

void TDMAuto::tblCategoryAfterOpen()
{
    tblCategory.setSort(QStringLiteral("catName"));
}

void TDMAuto::tblMarkaAfterOpen()
{
    tblMarka.setSort(QStringLiteral("name"));
}

void TDMAuto::tblAutoAfterInsert()
{
    // A reference table without rows gives 0, which is stored as 0, not NULL.
    tblAutocat_id.setAsInteger(tblCategorycat_id.AsInteger());
    tblAutoauto_type.setAsInteger(tblMarkaauto_type.AsInteger());
    tblAutocountry_id.setAsInteger(tblCountrycountry_id.AsInteger());
}
