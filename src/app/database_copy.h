#pragma once

#include "store/database.h"

namespace vlr::app {

// Copies every saved file of source (its catalog row, its records with their notes) into
// target, in one transaction: all files or none. A saved file of the same name and creation
// time already in target refuses the whole copy (StoreError naming it), as does any failure.
// Returns the number of files copied.
int copySavedFiles(const store::Database& source, const store::Database& target);

}  // namespace vlr::app
