// The update procedure: discovery, pre-update checks, then confirmation and installation.
#pragma once

#include "util/update_status.h"

// Runs once per process. 0 only on a complete update; -1 after a stop (its box shown).
UpdateStatus RunUpdate();
