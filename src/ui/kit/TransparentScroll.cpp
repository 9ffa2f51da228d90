#include "ui/kit/TransparentScroll.h"

#include <QScrollArea>

namespace tc {

void makeTransparentScroll(QScrollArea *scroll) {
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setAutoFillBackground(false);
    scroll->setAttribute(Qt::WA_TranslucentBackground);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->viewport()->setAttribute(Qt::WA_TranslucentBackground);
}

} // namespace tc
