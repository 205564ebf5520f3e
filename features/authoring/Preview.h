#pragma once

#include <QString>

class Desktop;
class QWidget;

// True when the file name ends in exactly ".htm" or ".html" (letter case counts).
bool isPreviewable(const QString& path);

// Opens the saved file at `path` in the program the desktop associates with it (the browser);
// for a document that is not a saved HTML file, says so instead.
void previewInBrowser(Desktop& desktop, QWidget* owner, const QString& path);
