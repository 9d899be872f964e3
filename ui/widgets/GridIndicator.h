#pragma once

#include <QHeaderView>

class DBGrid;

// The narrow column left of a grid's rows that marks the current row: an
// arrow while browsing, an I-beam while editing, a star while inserting.
class GridIndicator : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridIndicator(DBGrid *grid);

    static constexpr int Width = 11;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sizeHint() const override;

private:
    DBGrid *grid_;
};
