#pragma once

#include <QString>
#include <functional>
#include <vector>

class Connection;

// Measures the program against the plain engine on one generated catalogue:
// each figure of ours is printed beside the nearest plain query over the same
// file, so the ratio shows.
class Benchmark
{
public:
    // Works in `folder`, which holds (or receives) the catalogue of `goods`
    // rows. With a `server` connection string, the program works on a copy
    // of that catalogue there instead.
    Benchmark(QString folder, int goods, QString server = {});

    // Prints one table of figures for this catalogue size.
    void run();

    // The median of `times` runs of `action`, in milliseconds; the figure
    // files use it too.
    static double median(int times, const std::function<void()> &action);

private:
    struct Row
    {
        QString what;
        double ours = 0;     // milliseconds
        double baseline = 0; // milliseconds, 0 when there is none
        QString baselineQuery;
    };

    void prepareCatalogue();
    // Runs a plain query of the goods, every value looked at.
    static void readPlainly(Connection &connection, const QByteArray &sql);
    // Steps through every row of `sql`, reading every column, as a plain
    // client of the engine would.
    static double plainQuery(Connection &connection, const QByteArray &sql);
    void add(const QString &what, double ours, double baseline = 0, const QString &query = {});
    void print() const;

    void openAndFirstPaint(Connection &plain);
    void dailyCopy();
    void refresh();
    void filters(Connection &plain);
    void sorts(Connection &plain);
    void searchPanel(Connection &plain);
    void repaint();
    void lookupFollowing();
    void posts(Connection &plain);
    void reports();

    QString folder_;
    int goods_;
    QString server_;
    QString target_; // the server's catalogue of this size
    std::vector<Row> rows_;
};
