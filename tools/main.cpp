// ofertix-tool: checks proposal files and renders or prints proposals without a window.
#include "commands.h"

#include <cstdio>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <shellapi.h>
#endif

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

#ifdef _WIN32
// The arguments as the system holds them (UTF-16), in UTF-8: argv would carry them in the ANSI
// code page, losing every character outside it.
ofx::tool::Args utf8Arguments()
{
    ofx::tool::Args out;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; wide && i < count; ++i) {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
        if (size > 1)
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        out.push_back(std::move(arg));
    }
    ::LocalFree(wide);
    return out;
}
#endif

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Messages and JSON are UTF-8, byte for byte as on Linux, also into pipes and files; the
    // console is told to show them as UTF-8.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
    const ofx::tool::Args all = utf8Arguments();
#else
    const ofx::tool::Args all(argv, argv + argc);
#endif
    if (all.size() < 2) {
        std::fputs(kCommands, stderr);
        return 2;
    }
    const std::string_view command = all[1];
    ofx::tool::Args args(all.begin() + 2, all.end());
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
    if (command == "pdf" || command == "imprimir") {
#ifdef OFX_TOOL_PDF
        return command == "pdf" ? ofx::tool::pdf(argc, argv, args) : ofx::tool::imprimir(argc, argv, args);
#else
        static_cast<void>(argc);
        static_cast<void>(argv);
        std::fprintf(stderr, "ofertix-tool: o comando %s não faz parte desta compilação (sem Qt).\n", all[1].c_str());
        return 2;
#endif
    }
    std::fprintf(stderr, "ofertix-tool: comando desconhecido: %s\n\n", all[1].c_str());
    std::fputs(kCommands, stderr);
    return 2;
}
