#pragma once
// The windows and the report name "MS Sans Serif", "Arial" and "Courier";
// where those faces are missing, metric-compatible ones stand in.
namespace vextrum {
void installFontSubstitutes();
}
