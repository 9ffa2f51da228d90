#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace tc {

class KeyPlate;

// Screen readers see the key plate as a group of buttons, one per placed key, each named after the key and
// its sound ("A key: Meow"). The plate paints its keys itself, so this factory gives them their accessible
// objects. Main thread.
QAccessibleInterface *keyPlateAccessible(const QString &className, QObject *object);

// Tells screen readers that the plate's keyboard focus is now on the key at `index` of its layout, so they read
// that key's name.
void notifyKeyFocus(KeyPlate *plate, int index);

} // namespace tc
