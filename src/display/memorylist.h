#pragma once
// What the memory list does beyond a plain list: Enter shows the first
// selected memory, as a double-click does, and hovering a captured entry
// tells about its memory.

#include <functional>

class QListWidget;
class QString;

namespace vextrum {

// `show` runs on Enter (Return or the keypad's Enter); `toolTip` gives the
// tooltip of an entry's row, empty for none.
void driveMemoryList(QListWidget *list, std::function<void()> show, std::function<QString(int row)> toolTip);

} // namespace vextrum
