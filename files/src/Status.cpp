// Status is header-only; this unit gives the library an object file of its
// own until the file helpers join it.
#include "files/Status.h"
