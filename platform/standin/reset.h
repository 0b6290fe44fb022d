// Each part of the stand-in forgets its state here; standin::Reset calls them all.
#pragma once

#include <string>

namespace standin::internal {

void ResetLastError();
void ResetFaults();
void ResetHandles();
void ResetPaths(const std::string& hostRoot);
void ResetAttributes();
void ResetOpenFiles();
void ResetFinds();
void ResetCopyFaults();
void ResetRegistry();
void ResetObjects();
void ResetWindows();
void ResetMessageBoxes();
void ResetSpecialFolders();
void ResetHeap();

}  // namespace standin::internal
