#pragma once

class QAbstractScrollArea;

namespace tc::PageWheel {

// For a list that scrolls inside a page that scrolls too (a short window): the wheel over the list moves the
// page first, while the page can still move the way the wheel turns and the list is not yet wholly in the
// page's view; then the list. So one turn of the wheel reaches everything, as it does on a page without lists,
// and the list never scrolls while half of it is out of sight. Where the page does not scroll the list takes
// the wheel as before.
void scrollPageFirst(QAbstractScrollArea *list);

} // namespace tc::PageWheel
