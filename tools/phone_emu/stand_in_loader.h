#pragma once
// The one loader image this emulated phone accepts (the boot header in front of it is in
// link/loader_protocol.h). The image is our own filler, not code for any processor; the host
// is handed a copy of it as its loader file.
#include "link/loader_protocol.h"

#include <QByteArray>

namespace qv::emu {

// Always the same kLoaderImageSize bytes.
QByteArray standInLoaderImage();

}  // namespace qv::emu
