// ofertix-tool documento [--tipo CPF|CNPJ] NUMERO
//
// Tests NUMERO as leaving the participant's document field does: blanks become zeros, ".", "/"
// and "-" are dropped, and the check digits are tested as a CPF with "--tipo CPF", else as a
// CNPJ. Letters of an alphanumeric CNPJ may be typed in lower case (the field upper-cases them).
// Accepted: exit 0, the stored form on stdout ("cpf" + 11 digits, or the CNPJ's 14 characters).
// Refused: exit 1, the program's own message on stderr. Bad usage: exit 2.
#include "commands.h"

#include "proposal/document.h"
#include "text/cp1252.h"

#include <cstdio>
#include <optional>
#include <string>

namespace {

int usageError(const char* what)
{
    std::fprintf(stderr, "ofertix-tool documento: %s\nUso: ofertix-tool documento [--tipo CPF|CNPJ] NUMERO\n", what);
    return 2;
}

}  // namespace

int ofx::tool::documento(const Args& args)
{
    std::string type = "CNPJ";
    std::optional<std::string> number;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--tipo" || arg.rfind("--tipo=", 0) == 0) {
            if (arg == "--tipo") {
                if (i + 1 >= args.size())
                    return usageError("falta o tipo depois de --tipo.");
                type = args[++i];
            } else {
                type = arg.substr(7);
            }
            if (type != "CPF" && type != "CNPJ")
                return usageError("o tipo deve ser CPF ou CNPJ.");
        } else if (arg.rfind("--", 0) == 0) {
            return usageError(("opção desconhecida: " + arg).c_str());
        } else if (number) {
            return usageError("informe um único número.");
        } else {
            number = arg;
        }
    }
    if (!number)
        return usageError("falta o número.");

    // The argument arrives in UTF-8; the document's characters are all ASCII, so anything else
    // simply fails the test.
    std::string field = ofx::text::utf8ToCp1252(*number);
    if (type == "CNPJ")
        for (char& c : field)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');

    const ofx::proposal::DocumentCheck check = ofx::proposal::checkDocument(field, type);
    if (!check.accepted) {
        std::fprintf(stderr, "%s\n", ofx::text::cp1252ToUtf8(check.message).c_str());
        return 1;
    }
    std::printf("%s\n", check.stored.c_str());
    return 0;
}
