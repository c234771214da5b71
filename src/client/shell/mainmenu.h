// The main menu as data: every menu, sub-menu and item of the main window in order, with
// how each item opens its window. The workspace tiles and quick-launch buttons open the same
// items by name.
#pragma once

#include <span>

struct TMainMenuEntry
{
    // Menu starts a menu of the bar, Submenu a sub-menu of the current menu (entries with
    // sub set go into it); the other kinds are items and say how the item opens its window.
    enum TOpen { Menu, Submenu, Child, Modal, ModalText, HR, SameAs, Command };
    TOpen open;
    const char *name;
    const char *caption;
    const char *target = nullptr; // window class, item name or command
    const char *text = nullptr;   // the window's kind or mode text
    bool separator = false;       // a line before the entry
    bool sub = false;             // an item of the current sub-menu
};

std::span<const TMainMenuEntry> MainMenuEntries();
