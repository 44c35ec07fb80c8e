#pragma once

// The engine's kept files, for code that also reads Qt's headers. Qt defines
// `slots` as a macro (the keyword of its signal-slot declarations), and the
// engine's FileFacts has a member of that name, the half hours of a file's
// three times: the macro is put aside while the engine's header is read, so
// that the header compiles whatever Qt header came before it.
#pragma push_macro("slots")
#undef slots
#include "engine/FigureFiles.h"
#pragma pop_macro("slots")
