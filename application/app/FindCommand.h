#pragma once

#include "app/CommandLine.h"

#include <functional>

// Runs "tagomir --find": each match goes to `print` as "path:line:column: line\n" (the line as
// the file holds it, decoded from its own encoding), each file passed by or not read to
// `problem` as "tagomir: path: reason\n". Returns grep's exit status: 0 when something was
// found, 1 when nothing was, 2 on an error (a malformed expression, a file that could not be
// read), whatever was found.
int runFind(const CommandLine& commandLine, const std::function<void(const QString&)>& print,
            const std::function<void(const QString&)>& problem);

// The whole command for main(): UTF-8 on standard output and standard error.
int runFindCommand(const CommandLine& commandLine);
