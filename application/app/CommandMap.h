#pragma once

#include <span>

// Where every command of the main window is reached from: menu items, toolbar buttons and
// tag buttons, each named, captioned and mapped to the handler it fires.

// `parent` is the object name of the menu that holds the item ("MainMenu1" for the menu bar,
// "PopupMenu2" for the context menu); an item that other items name as their parent is a menu.
// A caption "-" is a separator line. `command` is empty for separators and menus. `shortcut`
// holds the keys that fire the item, separated by ";" when there are several (the first shown).
struct MenuItemDef {
    const char* parent;
    const char* name;
    const char* caption;
    const char* command;
    const char* shortcut = "";
};

// A toolbar entry; an empty hint marks a separator.
struct ToolButtonDef {
    const char* name;
    const char* hint;
    int image;
    const char* command;
};

// A text button of the tag row, placed at `left` with the given width.
struct TagButtonDef {
    int left;
    int width;
    const char* name;
    const char* caption;
    const char* command;
};

std::span<const MenuItemDef> menuItems();
std::span<const MenuItemDef> popupMenuItems();
std::span<const ToolButtonDef> toolButtons();
std::span<const TagButtonDef> tagButtons();
