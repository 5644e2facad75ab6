#include "util.h"

#include <stdio.h>

int greet(const char *name)
{
    unsigned int greetings = 0;

    if (greetings < 0)
        return -1;
    printf("Hello, %s!\n", name);
    greetings++;
    return greetings + undefined_total;
}
