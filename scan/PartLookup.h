#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

class Cursor;

// Which part a code names, as a scanner types it from a shelf label or the
// user types it by hand: first the article code, exactly and then regardless
// of case (Caps Lock inverts a scanner's letters), then an in-store EAN-13
// by the goods code it carries. The whole snapshot of the goods cursor is
// searched, rows the search hides included, so that the caller can tell a
// hidden part from a missing one.
class PartLookup
{
public:
    enum class Match { Article, ArticleIgnoringCase, StoreBarcode };
    struct Found
    {
        qint64 key = 0; // the goods code
        Match match = Match::Article;
    };

    // The parts `code` names in `goods`, best first and in the table's order
    // among equals; empty when it names none. A code that names none is tried
    // once more as its keys give it in the Latin layout: a scanner types with
    // whatever keyboard layout is on.
    static std::vector<Found> find(const Cursor &goods, const QString &code);

private:
    static std::vector<Found> findAsTyped(const Cursor &goods, const QString &code);
};
