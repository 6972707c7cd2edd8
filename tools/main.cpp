// ofertix-tool: checks proposal files and renders or prints proposals without a window.
#include "commands.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kCommands =
    "Uso: ofertix-tool COMANDO [OPÇÕES]\n"
    "\n"
    "Comandos:\n"
    "  verificar [--json] ARQUIVO\n"
    "      confere se o arquivo da proposta pode ser aberto (com --json, mostra o conteúdo)\n"
    "  regravar ARQUIVO SAIDA\n"
    "      abre o arquivo e o grava de novo em SAIDA, como o programa salva\n"
    "  documento [--tipo CPF|CNPJ] NUMERO\n"
    "      confere os dígitos de um CPF ou CNPJ (também o CNPJ alfanumérico)\n"
    "  pdf ARQUIVO SAIDA.pdf [OPÇÕES DO RELATÓRIO]\n"
    "      grava a \"PROPOSTA DE PREÇOS\" em PDF\n"
    "  imprimir ARQUIVO [--impressora NOME] [--copias N] [OPÇÕES DO RELATÓRIO]\n"
    "      imprime a \"PROPOSTA DE PREÇOS\" na impressora indicada (sem --impressora, na padrão)\n"
    "\n"
    "Opções do relatório:\n"
    "  --timbrado                        papel timbrado (sem o cabeçalho do órgão)\n"
    "  --ordem CD_ITEM|CD_LCTO|DS_ITEM   ordem dos itens em cada lote (padrão: CD_ITEM)\n"
    "  --validade DD/MM/AAAA             validade da proposta\n"
    "  --prazo DD/MM/AAAA                prazo de entrega\n"
    "  --obs TEXTO                       observações\n"
    "\n"
    "  --help       mostra esta ajuda\n"
    "  --version    mostra a versão\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(kCommands, stderr);
        return 2;
    }
    const std::string_view command = argv[1];
    ofx::tool::Args args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "ajuda") {
        std::fputs(kCommands, stdout);
        return 0;
    }
    if (command == "--version") {
        std::fputs("ofertix-tool " OFX_VERSION "\n", stdout);
        return 0;
    }
    if (command == "verificar")
        return ofx::tool::verificar(args);
    if (command == "regravar")
        return ofx::tool::regravar(args);
    if (command == "documento")
        return ofx::tool::documento(args);
    if (command == "pdf")
        return ofx::tool::pdf(argc, argv, args);
    if (command == "imprimir")
        return ofx::tool::imprimir(argc, argv, args);
    std::fprintf(stderr, "ofertix-tool: comando desconhecido: %s\n\n", argv[1]);
    std::fputs(kCommands, stderr);
    return 2;
}
