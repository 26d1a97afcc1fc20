// Getting the vendor SDK out of the installer's resources and into the SDK folder. Each step raises a
// MorvelError text on failure; the logger's construction catches them.
#pragma once
#include <windows.h>

#include <string>

// Where the SDK comes from and where it goes.
struct SdkPlace {
  HMODULE module = nullptr;  // the module carrying the archive resource
  int resourceId = 105;      // of type "BinarySystem"
  std::wstring runFolder;    // the per-run folder; empty: the archive copy is "Yelk.zip" in the current folder
  std::wstring sdkFolder;    // with a trailing backslash; empty when there is no application-data folder
};

// The installer's own: its module, resource 105, the per-run folder and the application-data "Yelk\".
SdkPlace InstallerSdkPlace();

std::wstring SdkArchiveCopyPath(const SdkPlace& place);

// Writes the archive resource to `archivePath`, replacing a file there.
void CopySdkArchive(HMODULE module, int resourceId, const std::wstring& archivePath);

// Creates the SDK folder when missing ("Create YELK cache path failed").
void PrepareSdkFolder(const std::wstring& sdkFolder);

// Unpacks the entries with plain file names into `folder`, skipping every other entry, empty entries
// and entries whose target can't be written (a library in use, say). An archive that can't be opened
// unpacks nothing. Never raises; returns how many entries were copied to their end.
int UnpackSdkArchive(const std::wstring& archivePath, const std::wstring& folder);
