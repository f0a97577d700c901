#pragma once
// The program's style: the one Qt chooses (or the user names), whose icon
// for a menu bar too narrow for its menus is read only when first drawn.
// Every menu bar makes that icon, and reading it loads every image reader
// Qt has, before the main window can show.

namespace vextrum {
// Call once the QApplication exists, before any window is made.
void installAppStyle();
}
