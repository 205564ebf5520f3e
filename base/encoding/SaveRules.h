#pragma once

#include "encoding/DocumentCodec.h"

// How a document's text is turned into the bytes of its file.
struct SaveOutput {
    SaveForm form;
    LineBreak lineBreak;
};

// `pageEncodingIndex` is the page's own encoding (0-3) when saving by page encoding, else -1;
// `selectedIndex` is the window's selected encoding index. The page's encoding wins, then a
// selected UTF-8, ISO-8859-2 or CP-1250, each written with CR LF; with neither, the text's
// 8-bit form with the file's own line breaks.
SaveOutput chooseSaveOutput(int pageEncodingIndex, int selectedIndex, LineBreak fileLineBreak);
