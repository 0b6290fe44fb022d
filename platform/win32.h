// The one header through which the updater reaches the platform. On Windows it is the system's
// own API; elsewhere it is the project's stand-in, which models the same calls for the tests.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shlobj.h>
#else
#include "platform/standin/win32_api.h"
#endif
