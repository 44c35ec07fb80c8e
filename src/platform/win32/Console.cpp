#include "platform/Console.h"

#include "platform/win32/WideText.h"

#include <windows.h>
// These need windows.h first.
#include <shellapi.h>

namespace vorin {
namespace {

std::atomic<bool> *g_interruptFlag = nullptr;
std::atomic<int> g_interrupts{0};

BOOL WINAPI onConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    // The second one goes to the system's handler, which ends the program.
    if (g_interrupts.fetch_add(1) > 0 || g_interruptFlag == nullptr)
        return FALSE;
    g_interruptFlag->store(true);
    return TRUE;
}

} // namespace

std::vector<std::string> commandLineArguments(int, char **)
{
    // The char arguments are in the ANSI code page, which cannot hold every
    // name; the wide command line can.
    std::vector<std::string> args;
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(toUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

void prepareConsoleOutput()
{
    SetConsoleOutputCP(CP_UTF8);
    // The progress line rewrites itself with terminal sequences.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode))
        SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void stopOnInterrupt(std::atomic<bool> &flag)
{
    g_interruptFlag = &flag;
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

bool standardErrorIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 &&
           (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

} // namespace vorin
