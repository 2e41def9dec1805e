// What assistive technology says of the program's combo boxes.
#pragma once

namespace qvl {

// On Linux Qt says a combo box's current text as its name and leaves its label
// to a relation. Installed once, before any combo box is asked for its
// interface: a combo box with a name of its own says that, and its current
// text as its value.
void InstallComboBoxAccessible();

}  // namespace qvl
