#pragma once

class QAbstractButton;

namespace tc {

// Makes a button that removes something take the second click of a double click as nothing. Removing an item
// moves the next one under the pointer (the next rule card's ×, the next trigger in the same editor), so
// without this a double click removes two items. The first click works as before.
void removeOnSingleClicksOnly(QAbstractButton *button);

} // namespace tc
