#pragma once

#include "model/SoundItem.h"

#include <QString>

namespace tc {

// A sound category's name as every screen shows it ("Mechanical", …, "My sounds").
QString categoryTitle(SoundCategory category);

} // namespace tc
