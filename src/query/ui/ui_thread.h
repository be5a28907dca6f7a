// Every control operation runs on the UI thread; this is how other threads get there.
#pragma once

#include <functional>

namespace tolvane {

bool OnUiThread();

// Runs work on the UI thread and returns once it has run (directly when already
// there). Without an application object there is no UI thread and the work is dropped.
void RunOnUiThread(const std::function<void()>& work);

// Hands work to the UI thread without waiting for it.
void PostToUiThread(std::function<void()> work);

} // namespace tolvane
