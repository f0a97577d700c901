#pragma once
// How long the link waits for the instrument. The defaults are the
// instrument's; tests hand in shorter ones so that a wait for a silent or
// broken line does not take the real seconds.

namespace vextrum {

struct LinkTimeouts
{
    int requestMs = 2000;  // a request without the reply's start byte: asked again, then given up
    int quietMs = 2000;    // a reply with no byte for this long has stalled
    // A whole reply is about 1600 bytes and fill: 1.7 s at the line rate.
    int replyMs = 10000;   // a reply not complete by then is given up
    int tailQuietMs = 250; // the rest of a broken reply is dropped until the line is this quiet
    int tailMostMs = 2000; // ... or for this long at most, whatever the line does
};

} // namespace vextrum
