#include "commands.h"

#include <cstdio>

int ofx::tool::documento(const Args&)
{
    std::fputs("ofertix-tool documento: ainda não disponível\n", stderr);
    return 2;
}
