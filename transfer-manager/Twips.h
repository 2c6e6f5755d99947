// Form designs are given in twips; the GUI layer places controls in
// logical pixels (15 twips each at 96 dots per inch).
#pragma once

namespace halvern {

constexpr int Tw(int twips) { return (twips + 7) / 15; }

}  // namespace halvern
