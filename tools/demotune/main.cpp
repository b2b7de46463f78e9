// demotune OUT.mod: writes the bundled demo tune.
#include <cstdio>

#include "tools/demotune/Composer.h"

int
main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: demotune OUT.mod\n");
        return 2;
    }
    if (!demo::ComposeDemo().Save(argv[1])) {
        fprintf(stderr, "demotune: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
