#pragma once

#include "PlixDecode.h"
#include "PlixFields.h"
#include "PlixParamSet.h"
#include "values/Result.h"
#include "words/Words.h"

#include <QString>
#include <optional>

namespace tarnixw::plix {

inline constexpr int kFileSize = kParamSetSize;
inline const QString kModelName = Words::plixModelName();

// Save File's first step: refreshes the mask, the two constants after it and the eighteen
// parameter fields of `paramSet` from the screen, converting exactly as Write does. On a text
// that is not a number or a value that does not fit, returns the message and refreshes nothing.
// Offsets 8 to 39 (calibration) are left as they are.
std::optional<QString> captureForSave(const Texts& texts, ChannelFlags flags, PLIXParamSet& paramSet);

// Open File: a file of exactly 100 bytes becomes the parameter image, and its texts and flags
// are returned. Any other file is refused with the message to show, and the image is left
// unchanged.
using LoadResult = values::Result<DecodedSet>;
LoadResult loadConfigurationFile(const QString& path, PLIXParamSet& paramSet);

} // namespace tarnixw::plix
