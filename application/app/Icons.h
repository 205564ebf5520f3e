#pragma once

#include <QIcon>

// Toolbar image 0..19: the desktop theme's fitting icon when a real theme is set, else our own
// drawing; a null icon for any other index.
QIcon toolbarIcon(int imageIndex);

// Tab image 0 (a page with blue text lines: no unsaved changes) or 1 (a red square with a white
// cross: unsaved changes); a null icon for any other index.
QIcon tabIcon(int imageIndex);
