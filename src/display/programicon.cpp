#include "display/programicon.h"

namespace vextrum {

QIcon programIcon()
{
    // Built once; every window shares the one icon.
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 32, 48, 64, 128, 256})
            i.addFile(QStringLiteral(":/icons/vextrum-dgs-%1.png").arg(size), QSize(size, size));
        return i;
    }();
    return icon;
}

} // namespace vextrum
