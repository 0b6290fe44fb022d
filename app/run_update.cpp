#include "app/run_update.h"

#include "app/discovery.h"
#include "app/installation.h"
#include "app/pre_update_checks.h"

UpdateStatus RunUpdate() {
    char installDir[kPathBufferSize];
    char probePath[kPathBufferSize];
    char packPath[kPathBufferSize];
    if (DiscoverInstallation(installDir, probePath) != kUpdateSucceeded ||
        RunPreUpdateChecks(installDir, packPath) != kUpdateSucceeded) {
        return kUpdateStopped;
    }
    return ConfirmAndInstall(installDir, probePath);
}
