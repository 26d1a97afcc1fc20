// The vendor SDK's exports as the installer calls them: plain C functions with the C calling convention,
// looked up by name in "Yelk.dll". Texts are zero-terminated UTF-8; results are 0 on success.
#pragma once

namespace yelk {

using CrashCallback = void(__cdecl*)(int code, const wchar_t* dumpPath);

using CreateFn = int(__cdecl*)(void** handle);
using SetApplyKeyFn = int(__cdecl*)(const char* appId, const char* appKey);
using SetMidVersionFn = int(__cdecl*)(int version);
using SetAppInfoFn = int(__cdecl*)(const char* name, int, int);
using SetCertificateFn = int(__cdecl*)(const char* key);
using EnableSandboxFn = int(__cdecl*)(int on);
using EnableCrashReportFn = int(__cdecl*)(CrashCallback callback, void* context);
using FreeFn = int(__cdecl*)(void* handle);
using SetHostInfoFn = int(__cdecl*)(const char* host, int port);
using SetSensorUrlFn = int(__cdecl*)(const char* url);
using SetNetProtocolFn = int(__cdecl*)(int protocol);
using SetUrlVersionFn = int(__cdecl*)(const char* version);

using CltCreateFn = int(__cdecl*)(void* handle, int type, void** record);
using CltWriteEventFn = int(__cdecl*)(void* record, const char* name, int serial);
using CltWriteIntPropertyFn = int(__cdecl*)(void* record, const char* name, int value);
using CltWriteBoolPropertyFn = int(__cdecl*)(void* record, const char* name, unsigned char value);
using CltWriteStringPropertyFn = int(__cdecl*)(void* record, const char* name, const char* value);
using CltWriteIntFn = int(__cdecl*)(void* record, int field, int value);
using CltWriteDataFn = int(__cdecl*)(void* record, int field, const void* data, int length);
using CltRecordFn = int(__cdecl*)(void* record);  // yelkCLTCommit, yelkCLTFree

using BuildHttpDataFn = void*(__cdecl*)(void* context, const void* data, int length, int* outLength, int flags,
                                        const char* urlVersion);
using DecryptDataFn = void*(__cdecl*)(const void* data, int length, int* outLength);
using DataFreeFn = void(__cdecl*)(void* buffer);
using MidFn = const char*(__cdecl*)();
using MidExFn = const char*(__cdecl*)(int kind);
using OpenUrlFn = int(__cdecl*)(const char* url);

// "TaskAsUser.dll": opens a file with the shell as the logged-on desktop user; non-zero on success.
using ShellExecAsUserFn = int(__cdecl*)(const char* verb, const char* file, const char* parameters,
                                        const char* directory, int showCommand);

}  // namespace yelk
