#include "report/reportcontext.h"

#include "store/memorystore.h"

namespace vextrum {

ReportInputs ReportContext::screen() const
{
    return screenInputs(store.onScreen(), screenPicture ? screenPicture() : QImage());
}

} // namespace vextrum
