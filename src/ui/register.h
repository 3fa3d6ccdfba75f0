#pragma once
// The windowing layer's hook into the program entry; no Qt header is needed to call it.

namespace zz {

// Lets the program entry create the windowed work manager.
void RegisterFormManager();

}  // namespace zz
