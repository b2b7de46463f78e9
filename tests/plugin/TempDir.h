// The scratch folder is shared by every test area.
#include "tests/common/TempDir.h"
