/* Tinker's example: this file and src/util.c have real errors and warnings.
   From examples/, run `make:hello.c` in tinker (or ./scripts/demo from the top). */
#include <stdio.h>

#include "src/util.h"

int main(void)
{
    int unused;
    int count = greet("world");

    printf("%d greeting(s)\n", count)
    return count + missing_value;
}
