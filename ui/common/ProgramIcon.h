#pragma once

#include <QIcon>

// The program's icon (a wheel on an orange tile), in every size the desktop
// asks for. The pictures are a resource of each program that shows it
// (packaging/autoparts.qrc).
class ProgramIcon
{
public:
    static QIcon icon();
};
