#pragma once
// Reading the phone's media area into new service files: every item that the tables list,
// read at its address, written to a new data file, then swapped in.
#include "files/workspace.h"
#include "link/phone_link.h"

namespace qv {

// The body of the read task. The workspace's table file is open (its data file may be missing).
// On any failure the old files stay untouched and the temporary ones are removed.
Result readPhoneIntoServiceFile(PhoneLink& link, Workspace& workspace);

}  // namespace qv
