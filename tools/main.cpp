// ofertix-tool: checks proposal files and renders proposals without a window.
#include "commands.h"

#include <cstdio>
#include <string_view>

namespace {

void usage()
{
    std::fputs(
        "Uso:\n"
        "  ofertix-tool verificar [--json] ARQUIVO\n"
        "  ofertix-tool regravar ARQUIVO SAIDA\n"
        "  ofertix-tool documento [--tipo CPF|CNPJ] NUMERO\n"
        "  ofertix-tool pdf ARQUIVO SAIDA.pdf [--timbrado] [--ordem CD_ITEM|CD_LCTO|DS_ITEM]\n"
        "                   [--validade DD/MM/AAAA] [--prazo DD/MM/AAAA] [--obs TEXTO]\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage();
        return 2;
    }
    const std::string_view command = argv[1];
    ofx::tool::Args args(argv + 2, argv + argc);
    if (command == "verificar")
        return ofx::tool::verificar(args);
    if (command == "regravar")
        return ofx::tool::regravar(args);
    if (command == "documento")
        return ofx::tool::documento(args);
    if (command == "pdf")
        return ofx::tool::pdf(argc, argv, args);
    usage();
    return 2;
}
