#pragma once

#include <span>

// A tag command: the texts it puts before and after the selection (or around the caret).
struct TagCommand {
    const char* command;
    const char* openText;
    const char* closeText;
};

std::span<const TagCommand> tagCommands();
