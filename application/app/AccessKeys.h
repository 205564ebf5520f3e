#pragma once

#include <QString>
#include <QStringList>

class QMenu;
class QMenuBar;

// Access keys (the underlined letters of Alt navigation) for the items of one menu: each caption
// gets a "&" before one of its letters, no letter twice in the menu (A-Z and digits, compared
// without case). The first letter of the caption is preferred, then the first letter of another
// word, then any letter. A caption that already has an access key keeps it and its letter is
// taken; separators ("-") and captions with no free letter stay as they are. A "&" that is part
// of the text is written "&&".
QStringList withAccessKeys(const QStringList& captions);

// The caption as the user reads it, without the access key's "&".
QString withoutAccessKey(const QString& caption);

// Gives the menu bar's menus, each of their items and submenus, and the menu, access keys.
void giveAccessKeys(QMenuBar* menuBar);
void giveAccessKeys(QMenu* menu);
