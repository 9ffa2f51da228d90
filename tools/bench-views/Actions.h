#pragma once

#include <string>

namespace tc {
class AppModel;
class MainWindow;
} // namespace tc

namespace tc::bench {

// Does each user action of the table on the big document with the window shown, `rounds` times, and prints for
// each the longest hold of the main thread and the time until the window is idle (the longest of the rounds).
void measureActions(MainWindow &window, AppModel &model, const std::string &suffix, int rounds);

} // namespace tc::bench
