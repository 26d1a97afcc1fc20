#include <windows.h>

#include "app/startup.h"
#include "platform/files.h"

namespace {

// The per-run folder exists from before WinMain until static destruction at exit.
struct RunFolderLifetime {
  RunFolderLifetime() { GetRunFolder(); }
  ~RunFolderLifetime() { RemoveRunFolder(); }
} g_runFolder;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return RunInstaller(instance); }
