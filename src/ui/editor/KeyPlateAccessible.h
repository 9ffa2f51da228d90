#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace tc {

// Screen readers see the key plate as a group of buttons, one per placed key, each named after the key and
// its sound ("A key: Meow"). The plate paints its keys itself, so this factory gives them their accessible
// objects. Main thread.
QAccessibleInterface *keyPlateAccessible(const QString &className, QObject *object);

} // namespace tc
