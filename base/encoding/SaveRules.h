#pragma once

#include "encoding/DocumentCodec.h"

// How a document's text is turned into the bytes of its file.
struct SaveOutput {
    Encoding encoding;
    LineBreak lineBreak;
};

// `page` is the page's own encoding when saving by page encoding; `selected` is the window's
// selected encoding; `fileLineBreak` what reading the file found (CR LF for a new document).
// The page's encoding wins, then a selected UTF-8, ISO-8859-2 or CP-1250, each written with LF
// when the file had LF breaks only, else with CR LF; with neither, Nieznany (the text's 8-bit
// form) with the file's own line breaks.
SaveOutput chooseSaveOutput(std::optional<Encoding> page, std::optional<Encoding> selected,
                            LineBreak fileLineBreak);
