#pragma once
// The program's icon, an A-scan echo on the instrument's screen, at every
// size drawn for it. Each window sets it when it is built, so it carries
// the icon whoever creates it.

#include <QIcon>

namespace vextrum {
QIcon programIcon();
}
