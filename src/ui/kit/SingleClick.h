#pragma once

class QAbstractButton;

namespace tc {

// Makes a button that removes something take only the first click of a double or triple click. Removing an
// item moves the next one under the pointer (the next rule card's ×, the next trigger in the same editor), so
// without this a double click would remove two items and a triple click three. A press that follows the last
// press on any such button within the desktop's double-click time and distance is taken as nothing; a click
// after a pause works as before.
void removeOnSingleClicksOnly(QAbstractButton *button);

} // namespace tc
