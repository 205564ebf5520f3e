#pragma once

#include "app/CommandLine.h"
#include "files/SiteConversion.h"

#include <functional>

// One line of the report: "path: from → to, what happened (why)".
QString conversionLine(const FileConversion& conversion, bool dryRun);

// Runs "tagomir --convert": each line of the report (ending in '\n') goes to `print`, then a
// summary; `progress`, when given, receives "[n/total] path" before each file is looked at.
// Returns the exit status: 0 when every file was converted or already right, else 1.
int runSiteConversion(const CommandLine& commandLine,
                      const std::function<void(const QString&)>& print,
                      const std::function<void(const QString&)>& progress = {});

// Runs "tagomir --restore FOLDER": each file put back, then a summary, to `print`; 0 when every
// file holds its old bytes again.
int runRestore(const CommandLine& commandLine, const std::function<void(const QString&)>& print);

// The whole command for main(): writes to standard output, with a progress line when it is a
// terminal; returns the exit status (2 for bad usage, reported on standard error).
int runSiteConversionCommand(const CommandLine& commandLine);
