// genproposta ITENS SAIDA.TXT [--lotes N] [--semente S]
// Writes a realistic proposal exchange file with ITENS items (see genproposta.h).
#include "genproposta.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

const char* const usage =
    "Uso: genproposta ITENS SAIDA.TXT [--lotes N] [--semente S]\n"
    "  ITENS        número de itens do arquivo\n"
    "  --lotes N    distribui os itens igualmente por N lotes (padrão: lotes de 50 a 500 itens)\n"
    "  --semente S  semente do gerador; a mesma semente gera os mesmos bytes (padrão: 1)\n";

template <typename T>
bool parseNumber(std::string_view text, T& value, T minimum)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= minimum;
}

int fail(std::string_view message, std::string_view value)
{
    std::fprintf(stderr, "%.*s \"%.*s\".\n%s", static_cast<int>(message.size()), message.data(),
                 static_cast<int>(value.size()), value.data(), usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    ofx::bench::ProposalShape shape;
    const char* output = nullptr;
    bool haveItems = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--lotes" || arg == "--semente") {
            if (i + 1 >= argc)
                return fail("Falta o valor da opção", arg);
            const std::string_view value = argv[++i];
            const bool ok = arg == "--lotes" ? parseNumber(value, shape.lots, 1)
                                             : parseNumber(value, shape.seed, std::uint64_t{0});
            if (!ok)
                return fail("Valor inválido para a opção " + std::string(arg) + ":", value);
        } else if (arg.starts_with("-")) {
            return fail("Opção desconhecida", arg);
        } else if (!haveItems) {
            if (!parseNumber(arg, shape.items, 0L))
                return fail("Número de itens inválido:", arg);
            haveItems = true;
        } else if (!output) {
            output = argv[i];
        } else {
            return fail("Argumento a mais:", arg);
        }
    }
    if (!output) {
        std::fputs(usage, stderr);
        return 2;
    }
    try {
        const auto result = ofx::bench::generateProposalFile(output, shape);
        std::printf("%s: %ld %s em %d %s, %llu bytes%s.\n", output, result.items,
                    result.items == 1 ? "item" : "itens", result.lots,
                    result.lots == 1 ? "lote" : "lotes",
                    static_cast<unsigned long long>(result.bytes),
                    result.discountMode ? ", proposta por desconto" : "");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
