#pragma once

// The program's start and end: the single instances of the main window, the
// data module and the other windows, created in their fixed order.
class Startup
{
public:
    // Failures to open the catalogue are reported in the error box as they
    // happen, and start-up goes on.
    static void createComponents();
    // Shows the main window in the centre of the screen; showing it applies
    // the first sort.
    static void showMainWindow();
    // What follows once the main window is up: a word, once, when the file
    // catalogue can only be read; then today's copy and the journal's upkeep
    // in the background.
    static void afterMainWindowShown();
    static void destroyComponents();
};
