#pragma once

// The process: configures TQKit and hands the process to the application's main loop.

// Returns the exit code of the process. The command line is handed on unchanged; the application
// reads no options of its own.
int TQProcessEntry(int argc, char** argv);

// Runs at exit: stops the usage statistics and saves their state. Never throws.
void TQProcessExitHandler();
