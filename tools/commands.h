#pragma once
// The subcommands of ofertix-tool. Each takes the arguments after its own name and returns the
// process's exit code; messages go to stdout/stderr in UTF-8.
#include <string>
#include <vector>

namespace ofx::proposal {
struct LoadResult;
}

namespace ofx::tool {

using Args = std::vector<std::string>;

int verificar(const Args& args);  // verificar [--json] ARQUIVO
int regravar(const Args& args);   // regravar ARQUIVO SAIDA
int documento(const Args& args);  // documento [--tipo CPF|CNPJ] NUMERO
int pdf(int argc, char** argv, const Args& args);  // pdf ARQUIVO SAIDA.pdf [opções]; needs Qt
int imprimir(int argc, char** argv, const Args& args);  // imprimir ARQUIVO [opções]; needs Qt

// A file that did not load: its message, and the line where loading stopped, on stderr.
void printLoadFailure(const proposal::LoadResult& loaded);

}  // namespace ofx::tool
