// libFuzzer target for the data file reader. Reads the input as one piece
// and again split in two, and checks that both give the same store and the
// same result, and that the result stays within the file's bounds.
#include "files/datafile.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace vextrum;

namespace {

bool sameResult(const OpenResult &a, const OpenResult &b)
{
    return a.status == b.status && a.slot == b.slot && a.index == b.index && a.item == b.item
        && a.captured == b.captured;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const auto whole = std::make_unique<Store>();
    static const auto split = std::make_unique<Store>();
    const char *bytes = reinterpret_cast<const char *>(data);

    const QByteArray content(bytes, qsizetype(size));
    const OpenResult r = parseDataFile(content, *whole);
    if (r.slot < 0 || r.slot > kFileSlots || r.index < 0 || r.index >= kFileValues
        || r.item.size() > 64 || (r.status == OpenResult::Ok) != (r.slot == kFileSlots))
        std::abort();
    if (r.status != OpenResult::Ok && r.message().isEmpty())
        std::abort();

    // Split at a point taken from the input, each piece in a buffer of
    // exactly its size, so the address checker sees any read past a piece.
    const std::size_t at = size == 0 ? 0 : data[0] % (size + 1);
    const auto first = std::make_unique<char[]>(at);
    const auto second = std::make_unique<char[]>(size - at);
    std::copy(bytes, bytes + at, first.get());
    std::copy(bytes + at, bytes + size, second.get());
    DataFileParser parser(*split);
    parser.feed(first.get(), qsizetype(at));
    parser.feed(second.get(), qsizetype(size - at));
    const OpenResult s = parser.finish();
    if (!sameResult(r, s) || *whole != *split)
        std::abort();
    return 0;
}
