// ofertix-tool: checks proposal files and renders proposals without a window.
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
        usage();
        return 2;
    }
    const std::string_view command = all[1];
    ofx::tool::Args args(all.begin() + 2, all.end());
    if (command == "verificar")
        return ofx::tool::verificar(args);
    if (command == "regravar")
        return ofx::tool::regravar(args);
    if (command == "documento")
        return ofx::tool::documento(args);
    if (command == "pdf") {
#ifdef OFX_TOOL_PDF
        return ofx::tool::pdf(argc, argv, args);
#else
        static_cast<void>(argc);
        static_cast<void>(argv);
        std::fputs("ofertix-tool: o comando pdf não faz parte desta compilação (sem Qt).\n", stderr);
        return 2;
#endif
    }
    usage();
    return 2;
}
