#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace vorin {

// What a program without windows needs of its console.

// The command line after the program's name, as UTF-8 (on Windows from the
// wide command line, so that names outside the ANSI code page arrive whole).
[[nodiscard]] std::vector<std::string> commandLineArguments(int argc, char **argv);

// Makes the console show the UTF-8 the program writes (Windows; nothing to
// do elsewhere).
void prepareConsoleOutput();

// The first Ctrl-C sets flag and nothing else, so that the program can stop
// its work and print what it has; a second one ends the program at once.
// Install once; flag must outlive the program's work.
void stopOnInterrupt(std::atomic<bool> &flag);

// True when standard error is a terminal (a console window), where a
// progress line that rewrites itself can be shown.
[[nodiscard]] bool standardErrorIsTerminal();

} // namespace vorin
