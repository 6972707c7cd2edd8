#include "commands.h"

#include <cstdio>

int ofx::tool::verificar(const Args&)
{
    std::fputs("ofertix-tool verificar: ainda não disponível\n", stderr);
    return 2;
}
