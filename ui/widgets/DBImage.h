#pragma once

#include "photo/Bitmap.h"
#include "recordset/FieldDataLink.h"

#include <QFrame>
#include <QImage>


// A photo box bound to a blob column: shows the current row's picture at its
// natural size, centred and clipped, inside a single-line border. It copies,
// pastes and cuts pictures, and writes a changed picture into the column only
// when it loses the focus or the row is posted, and only into a row that is
// being edited or inserted.
class DBImage : public QFrame, public FieldDataLink
{
    Q_OBJECT
public:
    explicit DBImage(QWidget *parent = nullptr);


    const QImage &picture() const { return image_; }
    const Bitmap &bitmap() const { return bitmap_; }
    // True while the box holds a change not yet written into the column.
    bool isModified() const { return modified_; }

    // Shows `picture` as the box's changed picture.
    void setPicture(const Bitmap &picture);
    void copyToClipboard() const;
    // Gives up an unwritten change and shows what the row holds.
    void revert();
    // Writes an unwritten change into the column now.
    void updateRecord();

    void dataEvent(const DataEvent &event) override;

protected:
    void bindingChanged() override { loadPicture(); }
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // Reads the column again; throws when the stored value is no bitmap.
    void loadPicture();
    void startEditing();
    void paste();
    void cut();

    Bitmap bitmap_;
    QImage image_;
    bool modified_ = false;
};
