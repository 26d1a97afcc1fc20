#pragma once

// True unless the product's uninstall entry existed at start-up.
extern bool g_isFirstInstall;
// Set once when the installed product is at least as new as the offered package.
extern bool g_isReinstall;
