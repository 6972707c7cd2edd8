#pragma once
// The 32 process variables of the proposal entry module: texts (CP1252) that live for the whole
// process, filled from the participant line and from the last lot line read, and written back by
// saving. Loading overwrites a variable only when the file has the line that carries it, so values
// left by a file loaded earlier in the same run survive where the new file is silent.
#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace ofx::proposal {

struct ProcessVariables {
    // Participant (participant line fields 1-9; type and display form derived from field 3).
    std::string vCdFornecedor;      // "00000000": a supplier the public body has not registered
    std::string vNmFornecedor;
    std::string vTipoDocumento;     // "CPF" or "CNPJ"
    std::string vCpfCnpj;           // stored form: 14 CNPJ digits, "cpf" + 11 digits, or 14 zeros
    std::string vCpfCnpjFormatado;  // display form with mask punctuation; empty without document
    std::string vEndereco;
    std::string vNumero;
    std::string vCEP;
    std::string vBairro;
    std::string vCidade;
    std::string vUF;
    // Process data (participant line fields 10-23).
    std::string vCriterio;
    std::string vAvaliacao;         // e.g. "por Item"
    std::string vLocalAbertura;
    std::string vDtAbertura;
    std::string vHoraAbertura;
    std::string vDtEntrega;
    std::string vHoraEntrega;
    std::string vCondPagto;
    std::string vObjeto;
    std::string vDtValidade;        // "00/00/0000" in a file: no validity date given
    std::string vDtPrazo;
    std::string vUgEstado;
    std::string vUgCidade;
    std::string vUgCNPJ;
    // The last lot line read (lot line fields 1-7).
    std::string vTpModalidade;
    std::string vAnoLicitacao;
    std::string vNoLicitacao;
    std::string vNoLote;
    std::string vDsLote;
    std::string vMmDescricao;
    std::string vFlVlrPerc;         // "1": the proposal is made by discount percentage

    // Empties every variable (the state at program start).
    void clear() { *this = ProcessVariables{}; }

    using Member = std::string ProcessVariables::*;
    // Every variable with its name, participant variables first, then in the order above.
    static const std::array<std::pair<std::string_view, Member>, 32>& all();
};

// The one process-wide instance (process-wide by the program's design; tests reset it with
// clear()).
ProcessVariables& processVariables();

}  // namespace ofx::proposal
