#ifndef UTIL_H
#define UTIL_H

int greet(const char *name);

#endif
