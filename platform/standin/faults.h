// The call log and the one fault check that every failable stand-in function passes first.
#pragma once

#include "platform/standin/win32_api.h"

namespace standin::internal {

// Logs `function` as one platform call and tells whether the fault controls make it fail. A
// failing call has `error` set as its last error and must return at once without any effect.
bool CallFails(const char* function, DWORD error);
// Logs a call that can never fail (GetLastError).
void LogCall(const char* function);

}  // namespace standin::internal

// The opening line of every failable platform function: log, then fail if a fault says so.
#define STANDIN_FAILABLE(failValue, error)                                   \
    do {                                                                     \
        if (::standin::internal::CallFails(__func__, static_cast<DWORD>(error))) { \
            return (failValue);                                              \
        }                                                                    \
    } while (0)
