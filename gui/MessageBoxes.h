#pragma once

#include <QString>
#include <exception>

class QWidget;

// The program's message boxes, with the owners, icons and captions its users
// know from every window.
class MessageBoxes
{
public:
    // Information icon, OK button, owned by `owner`.
    static void information(QWidget *owner, const QString &text, const QString &caption);
    // The application's Yes/No box: no icon, owned by the active window. True on Yes.
    static bool confirm(const QString &text, const QString &caption);
    // The system's error box for a failure that no command traps: owned by
    // the active window, stop icon, OK, the application's title as caption.
    static void error(const std::exception &failure);

    // The executable's name up to its first dot, capitalised: "Autoparts".
    static QString applicationTitle();
    // A full stop is added unless the text already ends in one or in a
    // character that sorts before it, such as "!" or ")".
    static QString withFullStop(const QString &text);
    static QString messageOf(const std::exception &failure);
};
