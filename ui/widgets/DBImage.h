#pragma once

#include "recordset/DataLink.h"

#include <QFrame>
#include <QImage>

class Field;

// A photo box bound to a blob column: shows the current row's picture at its
// natural size, centred and clipped, inside a single-line border.
class DBImage : public QFrame, public DataLink
{
    Q_OBJECT
public:
    explicit DBImage(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    Field *field() const;
    const QImage &picture() const { return picture_; }

    void dataEvent(const DataEvent &event) override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Reads the column again; throws when the stored value is no bitmap.
    void loadPicture();

    QString fieldName_;
    QImage picture_;
};
