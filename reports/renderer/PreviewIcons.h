#pragma once

#include <QIcon>

// The preview's toolbar pictures, drawn rather than shipped as files.
class PreviewIcons
{
public:
    enum class Kind {
        ZoomFit, ZoomActual, ZoomWidth, First, Previous, Next, Last,
        PrinterSetup, Print, Save, Load, Pdf,
    };

    static QIcon icon(Kind kind);
};
