// Torvanik.exe: the main program. Takes no command-line arguments.
#include <windows.h>

#include "startup/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunTorvanik(instance); }
