#pragma once
// The fixed text of the Help window, CR LF line ends.
#include <QString>
#include <QStringList>

namespace vextrum {
QString helpText();
QStringList helpTopics(); // the six lines of the topic list
} // namespace vextrum
