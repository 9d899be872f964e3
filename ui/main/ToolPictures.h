#pragma once

#include <QIcon>
#include <QList>

// The seven 16x16 pictures of the menus and toolbars, drawn here so that the
// program carries no image files: 0 categories, 1 countries, 2 makes,
// 3 printing, 4 adding, 5 editing, 6 deleting.
class ToolPictures
{
public:
    enum Index { Categories, Countries, Makes, Printing, Adding, Editing, Deleting, Count };

    static QList<QIcon> imageList();
};
