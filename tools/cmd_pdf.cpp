#include "commands.h"

#include <cstdio>

int ofx::tool::pdf(int, char**, const Args&)
{
    std::fputs("ofertix-tool pdf: ainda não disponível\n", stderr);
    return 2;
}
