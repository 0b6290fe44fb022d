// The result of the update procedure and of every step that can stop it. A step that stops has
// already shown its message box; callers only pass the -1 on.
#pragma once

typedef int UpdateStatus;

const UpdateStatus kUpdateSucceeded = 0;
const UpdateStatus kUpdateStopped = -1;
