// Replacing one game file with the package's copy, all or nothing: afterwards the destination is
// either the complete new file or the old file untouched.
#pragma once

// The copy goes to a temporary file beside the destination, is flushed to disk, and then takes
// the destination's place in one rename. A read-only destination, or a folder in its place, is
// refused before anything is written, as a plain overwriting copy would refuse it. On any
// failure the temporary file is removed. Returns 1 on success, 0 on failure.
int ReplaceFileAtomically(const char* source, const char* destination);
