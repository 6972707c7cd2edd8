#include "commands.h"

#include <cstdio>

int ofx::tool::regravar(const Args&)
{
    std::fputs("ofertix-tool regravar: ainda não disponível\n", stderr);
    return 2;
}
